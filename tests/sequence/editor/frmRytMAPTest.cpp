#include "sequence/editor/frmRytMAP.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"

namespace {

using sequence::editor::frmRytMAP;

TEST(frmRytMAP, LoadsDefaultsAndTheMatrixListOfTheKind)
{
    frmRytMAP protein(0);
    EXPECT_EQ(protein.windowTitle(), "Multiple alignment");
    EXPECT_EQ(protein.txtMinLenCCI->text(), "10");
    EXPECT_EQ(protein.txtMatch->text(), "10");
    EXPECT_EQ(protein.txtMisMatch->text(), "-5");
    EXPECT_EQ(protein.txtGapOpen->text(), "10");
    EXPECT_EQ(protein.txtGapExtend->text(), "4");
    EXPECT_TRUE(protein.optMisMatch->isChecked());
    EXPECT_TRUE(protein.chkHasStop->isEnabled());
    EXPECT_EQ(protein.cboSubMat->count(), 25);
    EXPECT_EQ(protein.cboSubMat->currentText(), "Blosum62");
    EXPECT_EQ(protein.cboSubMat->itemText(24), "Johnson & Overington");

    frmRytMAP dna(1);
    EXPECT_FALSE(dna.chkHasStop->isEnabled());
    EXPECT_EQ(dna.cboSubMat->count(), 2);
    EXPECT_EQ(dna.cboSubMat->currentText(), "Transition bias");
    EXPECT_EQ(dna.cboSubMat->currentIndex(), 1);
}

TEST(frmRytMAP, GoRefusesEachBadBoxInTurn)
{
    struct Case {
        const char* what;
        const char* box;
        const char* text;
        const char* message;
        const char* restored;
    } cases[] = {
        {"min half", "txtMinLenCCI", "0.5", "The minimum length for constant-cost insertion is a positive integer.", "10"},
        {"min text", "txtMinLenCCI", "abc", "The minimum length for constant-cost insertion is a positive integer.", "10"},
        {"match zero", "txtMatch", "0", "Match score should be a positive integer.", "10"},
        {"mismatch zero", "txtMisMatch", "0", "Mismatch score should be smaller than 0.", "-5"},
        {"mismatch rounds to zero", "txtMisMatch", "-0.4", "Mismatch score should be smaller than 0.", "-5"},
        {"open negative", "txtGapOpen", "-1",
         "The gap-open penalty is a nonnegative integer. It should be greater than 0.", "10"},
        {"extend negative", "txtGapExtend", "-0.5",
         "The gap-extend penalty is a nonnegative integer. It should be greater than 0.", "4"},
        {"min beyond a double", "txtMinLenCCI", "1e999",
         "The minimum length for constant-cost insertion is too large: it can be at most 2147483647.", "10"},
        {"match beyond 32 bits", "txtMatch", "3e9", "Match score is too large: it can be at most 2147483647.", "10"},
        {"mismatch below 32 bits", "txtMisMatch", "-1e10",
         "Mismatch score is too small: it can be at least -2147483648.", "-5"},
        {"open beyond a double", "txtGapOpen", "1e400",
         "The gap-open penalty is too large: it can be at most 2147483647.", "10"},
        {"extend beyond 32 bits", "txtGapExtend", "2147483648",
         "The gap-extend penalty is too large: it can be at most 2147483647.", "4"},
    };
    for (const auto& c : cases) {
        platform::ScriptedDialogs script;
        platform::ScopedDialogs scope(script);
        frmRytMAP dialog(0);
        auto* box = dialog.findChild<QLineEdit*>(c.box);
        ASSERT_NE(box, nullptr) << c.what;
        box->setText(c.text);
        dialog.cmdDone->click();
        EXPECT_FALSE(dialog.isAccepted()) << c.what;
        ASSERT_EQ(script.calls().size(), 1u) << c.what;
        EXPECT_EQ(script.last().text, c.message) << c.what;
        EXPECT_EQ(box->text(), c.restored) << c.what;
    }
}

TEST(frmRytMAP, GoKeepsRoundedValues)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    frmRytMAP dialog(0);
    dialog.txtMinLenCCI->setText("1.4");
    dialog.txtGapOpen->setText("0");
    dialog.txtGapExtend->setText("2.5");
    dialog.txtMisMatch->setText("-7.6");
    dialog.chkKeepOriginalOrder->setChecked(true);
    dialog.cmdDone->click();
    ASSERT_TRUE(dialog.isAccepted());
    EXPECT_TRUE(script.calls().empty());
    const auto& p = dialog.params();
    EXPECT_EQ(p.minLenCCI, 1);
    EXPECT_EQ(p.gapOpen, 0);
    EXPECT_EQ(p.gapExtend, 2);
    EXPECT_EQ(p.misMatch, -8);
    EXPECT_FALSE(p.useSubMat);
    EXPECT_TRUE(p.keepOriginalOrder);
}

TEST(frmRytMAP, ChoosingAMatrixIgnoresTheMismatchBox)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    frmRytMAP dialog(0);
    dialog.cboSubMat->setCurrentIndex(18);
    emit dialog.cboSubMat->activated(18);
    EXPECT_TRUE(dialog.optSubMat->isChecked());
    dialog.txtMisMatch->setText("5");
    dialog.chkHasStop->setChecked(true);
    dialog.cmdDone->click();
    ASSERT_TRUE(dialog.isAccepted());
    EXPECT_TRUE(script.calls().empty());
    EXPECT_TRUE(dialog.params().useSubMat);
    EXPECT_EQ(dialog.params().subMatIndex, 18);
    EXPECT_TRUE(dialog.params().hasStop);
    EXPECT_EQ(dialog.params().misMatch, -5) << "kept from before, not read";
}

TEST(frmRytMAP, CancelLeavesNothingAccepted)
{
    frmRytMAP dialog(1);
    dialog.cmdCancel->click();
    EXPECT_FALSE(dialog.isAccepted());
}

} // namespace
