#include "sequence/SubMatFile.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/sequence/SeqTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using sequence::SubMatKind;

std::vector<std::int32_t> triangle(int count, int base)
{
    std::vector<std::int32_t> v;
    for (int i = 0; i < count; ++i) {
        v.push_back(base + (i % 7) - 3);
    }
    return v;
}

TEST(SubMatFile, RecordsAreReadByMatrixNumber)
{
    testsupport::TempDir dir;
    const auto path = dir.file(sequence::SubMatFileName(SubMatKind::AminoAcid));
    const auto first = triangle(300, -100000);
    const auto second = triangle(300, 11);
    // The last record may end right after its values.
    std::string bytes = sequence::EncodeSubMatRecord(SubMatKind::AminoAcid, "First", first) +
                        sequence::EncodeSubMatRecord(SubMatKind::AminoAcid, "Second matrix", second);
    bytes.resize(bytes.size() - 30);
    testsupport::writeFile(path, bytes);

    const auto r0 = sequence::ReadSubMatRecord(path, SubMatKind::AminoAcid, 0, true);
    EXPECT_EQ(r0.name, "First");
    EXPECT_EQ(r0.values, first);
    EXPECT_EQ(r0.alphabet, "ARNDCQEGHILKMFPSTWYVBZX*");
    const auto r1 = sequence::ReadSubMatRecord(path, SubMatKind::AminoAcid, 1, false);
    EXPECT_EQ(r1.name, "Second matrix");
    EXPECT_EQ(r1.values, second);
    EXPECT_EQ(r1.alphabet, "ARNDCQEGHILKMFPSTWYVBZX");
    EXPECT_EQ(bytes.substr(0, 30), "First" + std::string(25, ' '));
    EXPECT_EQ(bytes.substr(30, 4), std::string("\x5d\x79\xfe\xff", 4));
}

TEST(SubMatFile, NucleotideRecordsHaveTheirOwnLength)
{
    testsupport::TempDir dir;
    const auto path = dir.file("NucSubMat.Bin");
    const auto values = triangle(120, 5);
    testsupport::writeFile(path, sequence::EncodeSubMatRecord(SubMatKind::Nucleotide, "Standard IUB", values));
    EXPECT_EQ(testsupport::readFile(path).size(), 540U);
    const auto r = sequence::ReadSubMatRecord(path, SubMatKind::Nucleotide, 0, true);
    EXPECT_EQ(r.values, values);
    EXPECT_EQ(r.alphabet, "ACGTRYMWSKDHVBN");
}

TEST(SubMatFile, MissingShortAndDamagedFilesGiveNumberedErrors)
{
    testsupport::TempDir dir;
    const auto path = dir.file("AASubMat.Bin");
    std::string source;
    EXPECT_EQ(testsupport::errorNumber([&] { (void)sequence::ReadSubMatRecord(path, SubMatKind::AminoAcid, 0, true); },
                                   &source),
              53);
    EXPECT_EQ(source, "ReadAASubMat");

    testsupport::writeFile(path, sequence::EncodeSubMatRecord(SubMatKind::AminoAcid, "Only", triangle(300, 0)));
    EXPECT_EQ(testsupport::errorNumber([&] { (void)sequence::ReadSubMatRecord(path, SubMatKind::AminoAcid, 1, true); }),
              62);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)sequence::ReadSubMatRecord(path, SubMatKind::AminoAcid, -1, true); }),
              63);
    testsupport::writeFile(path, std::string(1000, '\0'));
    EXPECT_EQ(testsupport::errorNumber([&] { (void)sequence::ReadSubMatRecord(path, SubMatKind::AminoAcid, 0, true); }),
              62);
    testsupport::writeFile(path, "");
    EXPECT_EQ(testsupport::errorNumber([&] { (void)sequence::ReadSubMatRecord(path, SubMatKind::AminoAcid, 0, true); }),
              62);
    EXPECT_EQ(sequence::SubMatFilePath(SubMatKind::Nucleotide).filename(), "NucSubMat.Bin");
}

} // namespace
