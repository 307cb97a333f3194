#include "engines/progress_qt/QtProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

namespace tallowin {
namespace {

QString fromEngine(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QtProgress::QtProgress()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::MSWindowsFixedSizeDialogHint)
    , label_(new QLabel(QStringLiteral("Running..."), this))
    , bar_(new QProgressBar(this))
{
    setWindowTitle(QStringLiteral("Running......"));
    setModal(false);
    setFixedSize(435, 146);
    if (!QApplication::windowIcon().isNull())
        setWindowIcon(QApplication::windowIcon());
    label_->setGeometry(10, 11, 414, 89);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label_->setWordWrap(true);
    bar_->setGeometry(10, 112, 414, 23);
    bar_->setTextVisible(false);
    bar_->setRange(0, 100);
    bar_->setValue(0);
}

QtProgress::~QtProgress() = default;

void QtProgress::paintNow()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtProgress::open()
{
    show();
    raise();
    paintNow();
}

void QtProgress::setCaption(std::string_view caption)
{
    setWindowTitle(fromEngine(caption));
    paintNow();
}

void QtProgress::setText(std::string_view text)
{
    label_->setText(fromEngine(text));
    paintNow();
}

void QtProgress::setRange(int low, int high)
{
    bar_->setRange(low, high < low ? low : high);
    paintNow();
}

void QtProgress::setPosition(int position)
{
    bar_->setValue(position);
    paintNow();
}

void QtProgress::close()
{
    hide();
    paintNow();
}

EngineProgress* createQtProgress(void*)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return nullptr;
    return new QtProgress();
}

void installQtProgress(ProgressSetter setter)
{
    if (setter != nullptr)
        setter(&createQtProgress, nullptr);
}

} // namespace tallowin
