#include "sequence/editor/frmShowCode.h"

#include <QGroupBox>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "sequence/GeneticCode.h"

namespace {

using sequence::CurrentGeneticCode;
using sequence::GeneticCode;
using sequence::MakeGeneticCode;

// The cell of a codon in the table text, as the window lays it out.
std::string cell(const std::string& codon, const std::string& symbol) { return " " + codon + "  " + symbol + "    "; }

struct RestoreCode {
    GeneticCode saved = CurrentGeneticCode();
    ~RestoreCode() { CurrentGeneticCode() = saved; }
};

TEST(frmShowCode, ShowsEveryTranslationTable)
{
    RestoreCode restore;
    // Codons that tell each table from the standard code.
    struct Case {
        std::int32_t number;
        const char* codon;
        const char* symbol;
    } cases[] = {
        {1, "TGA", "*"},  {2, "AGA", "*"},  {2, "ATA", "M"}, {3, "CTG", "T"},  {4, "TGA", "W"},  {5, "AGG", "S"},
        {6, "TAA", "Q"},  {9, "AAA", "N"},  {10, "TGA", "C"}, {11, "TAG", "*"}, {12, "CTG", "S"}, {13, "AGA", "G"},
        {14, "TAA", "Y"}, {16, "TAG", "L"}, {21, "ATA", "M"}, {22, "TCA", "*"}, {23, "TTA", "*"}, {24, "AGG", "K"},
        {25, "TGA", "G"}, {26, "CTG", "A"},
    };
    for (const auto& c : cases) {
        CurrentGeneticCode() = MakeGeneticCode(c.number);
        sequence::editor::frmShowCode window;
        EXPECT_EQ(window.windowTitle().toStdString(), "Translation Table: " + std::to_string(c.number));
        const std::string text = window.txtGenCode->toPlainText().toStdString();
        EXPECT_NE(text.find(cell(c.codon, c.symbol)), std::string::npos) << c.number << " " << c.codon;
        EXPECT_NE(text.find("Genetic code: " + CurrentGeneticCode().name), std::string::npos) << c.number;
        EXPECT_EQ(window.frFrame->objectName(), "frFrame");
        // Every table keeps ATG as methionine and TGG as tryptophan.
        EXPECT_NE(text.find(cell("ATG", "M")), std::string::npos) << c.number;
        EXPECT_NE(text.find(cell("TGG", "W")), std::string::npos) << c.number;
    }
    EXPECT_EQ(sequence::GeneticCodeNumbers().size(), 19u);
}

TEST(frmShowCode, StandardTableLayout)
{
    const std::string text = sequence::GeneticCodeTableText(MakeGeneticCode(1));
    const std::string expectedHead = "Codon  AA    Codon  AA    Codon  AA    Codon  AA\r\n"
                                     "-------------------------------------------------\r\n"
                                     " TTT  F     TCT  S     TAT  Y     TGT  C    \r\n"
                                     " TTC  F     TCC  S     TAC  Y     TGC  C    \r\n"
                                     " TTA  L     TCA  S     TAA  *     TGA  *    \r\n"
                                     " TTG  L     TCG  S     TAG  *     TGG  W    \r\n"
                                     "\r\n"
                                     " CTT  L     CCT  P     CAT  H     CGT  R    \r\n";
    EXPECT_EQ(text.substr(0, expectedHead.size()), expectedHead);
    EXPECT_NE(text.find(" GGG  G    \r\n\r\n\r\nGenetic code: Standard\r\n"), std::string::npos);
}

TEST(frmShowCode, EmptyRecordStillGivesFourBlocks)
{
    RestoreCode restore;
    CurrentGeneticCode() = GeneticCode{};
    sequence::editor::frmShowCode window;
    EXPECT_EQ(window.windowTitle().toStdString(), "Translation Table: 0");
    const std::string text = sequence::GeneticCodeTableText(CurrentGeneticCode());
    const std::string blankLine = std::string(28, ' ') + "\r\n";
    std::size_t lines = 0;
    for (std::size_t p = text.find(blankLine); p != std::string::npos; p = text.find(blankLine, p + 1))
        ++lines;
    EXPECT_EQ(lines, 16u);
    EXPECT_NE(text.find("Genetic code: "), std::string::npos);
}

} // namespace
