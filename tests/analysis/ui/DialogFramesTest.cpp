#include "analysis/ui/DialogFrames.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <vector>

namespace {

// The input and output frames the analysis dialogs share: their texts, the
// grid cells the dialog's own rows follow, and the order Tab goes through
// them (the order the controls were made in).
TEST(DialogFrames, FramesHoldTheirTextsInTabOrder)
{
    QDialog dialog;
    QGroupBox* frInput = nullptr;
    QLabel* lblInRange = nullptr;
    QLineEdit* txtInRange = nullptr;
    QCheckBox* chkMissing = nullptr;
    QLabel* lblMissing = nullptr;
    QLineEdit* txtMissing = nullptr;
    QGridLayout* grid =
        analysis::addInputFrame(dialog, {"Input Range", "Code missing value as: ", "0.999999"},
                                {frInput, lblInRange, txtInRange, chkMissing, lblMissing, txtMissing});
    QGroupBox* frOutput = nullptr;
    QRadioButton* optOutRange = nullptr;
    QLineEdit* txtOutRange = nullptr;
    QRadioButton* optNewSheet = nullptr;
    QLineEdit* txtNewSheet = nullptr;
    QRadioButton* optNewBook = nullptr;
    analysis::addOutputFrame(dialog, {frOutput, optOutRange, txtOutRange, optNewSheet, txtNewSheet, optNewBook});

    EXPECT_EQ(frInput->title(), "Input");
    EXPECT_EQ(lblInRange->text(), "Input Range");
    EXPECT_EQ(chkMissing->text(), "Has missing value");
    EXPECT_EQ(lblMissing->text(), "Code missing value as: ");
    EXPECT_EQ(txtMissing->text(), "0.999999");
    EXPECT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(frOutput->title(), "Output");
    EXPECT_EQ(optOutRange->text(), "Output range:");
    EXPECT_EQ(optNewSheet->text(), "New worksheet");
    EXPECT_EQ(optNewBook->text(), "New workbook");
    for (const QRadioButton* choice : {optOutRange, optNewSheet, optNewBook}) {
        EXPECT_FALSE(choice->isChecked()) << choice->text().toStdString();
    }

    const std::vector<QWidget*> expected = {txtInRange, chkMissing,  txtMissing,  optOutRange,
                                            txtOutRange, optNewSheet, txtNewSheet, optNewBook};
    std::vector<QWidget*> tabbed;
    for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0) {
            tabbed.push_back(w);
        }
    }
    EXPECT_EQ(tabbed, expected);
}

} // namespace
