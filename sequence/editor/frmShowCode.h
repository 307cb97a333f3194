#pragma once

// The genetic-code window: the program's current genetic code as a text
// table, titled "Translation Table: " and the code's number.

#include <QDialog>

class QGroupBox;
class QPlainTextEdit;

namespace sequence::editor {

class frmShowCode : public QDialog {
    Q_OBJECT
public:
    explicit frmShowCode(QWidget* parent = nullptr);

    QGroupBox* frFrame = nullptr;
    QPlainTextEdit* txtGenCode = nullptr;
};

} // namespace sequence::editor
