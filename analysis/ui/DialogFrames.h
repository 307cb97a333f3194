#pragma once

// The frames that the analysis dialogs lay out alike, made as children of a
// dialog in the order the user tabs through them:
//   - the input frame's first rows: the block to analyse, "Has missing
//     value" across both columns, and the missing-value code;
//   - the output frame: "Output range:" with its range box, "New worksheet"
//     with its name box, and "New workbook".
// Each dialog keeps the controls under its own member names; these functions
// create them into those members.

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace analysis {

struct InputFrameTexts {
    const char* rangeLabel;    // e.g. "Input range:"
    const char* missingLabel;  // e.g. "Code missing value as:"
    const char* missingCode;   // the code box's text before the dialog is loaded
};

struct InputFrameControls {
    QGroupBox*& frame;
    QLabel*& rangeLabel;
    QLineEdit*& range;
    QCheckBox*& hasMissing;
    QLabel*& missingLabel;
    QLineEdit*& missingCode;
};

// The frame "Input" with its first three rows (grid rows 0 to 2). Returns the
// frame's grid, to which the dialog adds its own rows from row 3 on.
QGridLayout* addInputFrame(QWidget& dialog, const InputFrameTexts& texts, const InputFrameControls& controls);

struct OutputFrameControls {
    QGroupBox*& frame;
    QRadioButton*& toRange;
    QLineEdit*& range;
    QRadioButton*& toNewSheet;
    QLineEdit*& sheetName;
    QRadioButton*& toNewBook;
};

// The frame "Output", no choice checked.
void addOutputFrame(QWidget& dialog, const OutputFrameControls& controls);

} // namespace analysis
