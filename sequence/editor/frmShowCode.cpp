#include "sequence/editor/frmShowCode.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "sequence/GeneticCode.h"

namespace sequence::editor {

frmShowCode::frmShowCode(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmShowCode");
    frFrame = new QGroupBox(this);
    frFrame->setObjectName("frFrame");
    txtGenCode = new QPlainTextEdit(frFrame);
    txtGenCode->setObjectName("txtGenCode");
    txtGenCode->setReadOnly(true);
    txtGenCode->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtGenCode->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* inner = new QVBoxLayout(frFrame);
    inner->addWidget(txtGenCode);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(frFrame);

    const GeneticCode& code = CurrentGeneticCode();
    setWindowTitle(QString("Translation Table: %1").arg(code.number));
    txtGenCode->setPlainText(QString::fromStdString(GeneticCodeTableText(code)));
    resize(460, 520);
}

} // namespace sequence::editor
