#include "analysis/ui/DialogFrames.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace analysis {

QGridLayout* addInputFrame(QWidget& dialog, const InputFrameTexts& texts, const InputFrameControls& c)
{
    c.frame = new QGroupBox("Input", &dialog);
    c.rangeLabel = new QLabel(texts.rangeLabel, c.frame);
    c.range = new QLineEdit(c.frame);
    c.hasMissing = new QCheckBox("Has missing value", c.frame);
    c.missingLabel = new QLabel(texts.missingLabel, c.frame);
    c.missingCode = new QLineEdit(texts.missingCode, c.frame);
    auto* grid = new QGridLayout(c.frame);
    grid->addWidget(c.rangeLabel, 0, 0);
    grid->addWidget(c.range, 0, 1);
    grid->addWidget(c.hasMissing, 1, 0, 1, 2);
    grid->addWidget(c.missingLabel, 2, 0);
    grid->addWidget(c.missingCode, 2, 1);
    return grid;
}

void addOutputFrame(QWidget& dialog, const OutputFrameControls& c)
{
    c.frame = new QGroupBox("Output", &dialog);
    c.toRange = new QRadioButton("Output range:", c.frame);
    c.range = new QLineEdit(c.frame);
    c.toNewSheet = new QRadioButton("New worksheet", c.frame);
    c.sheetName = new QLineEdit(c.frame);
    c.toNewBook = new QRadioButton("New workbook", c.frame);
    auto* grid = new QGridLayout(c.frame);
    grid->addWidget(c.toRange, 0, 0);
    grid->addWidget(c.range, 0, 1);
    grid->addWidget(c.toNewSheet, 1, 0);
    grid->addWidget(c.sheetName, 1, 1);
    grid->addWidget(c.toNewBook, 2, 0);
}

} // namespace analysis
