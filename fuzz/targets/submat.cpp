// The substitution-matrix file reader, on a file of the fuzzer's bytes, for
// both kinds of matrix. Every matrix that reads is encoded again and must
// read back the same.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/errors/Error.h"
#include "sequence/SubMatFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::TempFile file("matrices.bin", fuzz::asText(data, size));
    for (const auto kind : {sequence::SubMatKind::AminoAcid, sequence::SubMatKind::Nucleotide}) {
        for (std::int32_t index = 0; index < 64; ++index) {
            sequence::SubMatRecord record;
            try {
                record = sequence::ReadSubMatRecord(file.path(), kind, index, (index % 2) == 0);
            } catch (const platform::Error& e) {
                fuzz::check(e.number() == 62, "a readable file ends only by running out of matrices");
                break;
            }
            fuzz::check(record.values.size() == static_cast<std::size_t>(sequence::SubMatValueCount(kind)),
                        "a matrix holds its whole triangle");
            const fuzz::TempFile again("again.bin", sequence::EncodeSubMatRecord(kind, record.name, record.values));
            const sequence::SubMatRecord reread = sequence::ReadSubMatRecord(again.path(), kind, 0, (index % 2) == 0);
            fuzz::check(reread.values == record.values, "an encoded matrix reads back its values");
            fuzz::check(reread.name == record.name.substr(0, reread.name.size()) &&
                            reread.name.size() <= record.name.size(),
                        "an encoded matrix reads back its name");
        }
    }
    return 0;
}
