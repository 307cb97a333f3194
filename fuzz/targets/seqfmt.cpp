// Format detection of sequence files, from a text and from a file: never
// fails and always gives a code of the input catalogue.

#include "fuzz/FuzzSupport.h"
#include "sequence/cSeqFmt.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    const sequence::cSeqFmt& fmt = sequence::gSeqFmt();
    const std::int16_t fromText = fmt.GetFileTypeStr(text);
    fuzz::check(fromText >= 0 && fromText < fmt.NumInSeqFmt(), "detection gives a catalogue code");
    const fuzz::TempFile file("detect.seq", text);
    const std::int16_t fromFile = fmt.GetFileType(file.path());
    fuzz::check(fromFile >= 0 && fromFile < fmt.NumInSeqFmt(), "file detection gives a catalogue code");
    return 0;
}
