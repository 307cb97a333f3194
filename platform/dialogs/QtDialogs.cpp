#include "platform/dialogs/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace platform {

namespace {

QString toQt(std::string_view text)
{
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    Answer answer;
};

std::vector<ButtonSpec> buttonsFor(int style)
{
    switch (mb::buttons(style)) {
    case mb::OkCancel:
        return {{QMessageBox::Ok, Answer::Ok}, {QMessageBox::Cancel, Answer::Cancel}};
    case mb::AbortRetryIgnore:
        return {{QMessageBox::Abort, Answer::Abort}, {QMessageBox::Retry, Answer::Retry},
                {QMessageBox::Ignore, Answer::Ignore}};
    case mb::YesNoCancel:
        return {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}, {QMessageBox::Cancel, Answer::Cancel}};
    case mb::YesNo:
        return {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}};
    case mb::RetryCancel:
        return {{QMessageBox::Retry, Answer::Retry}, {QMessageBox::Cancel, Answer::Cancel}};
    default:
        return {{QMessageBox::Ok, Answer::Ok}};
    }
}

QMessageBox::Icon iconFor(int style)
{
    switch (mb::icon(style)) {
    case mb::Critical:
        return QMessageBox::Critical;
    case mb::Question:
        return QMessageBox::Question;
    case mb::Exclamation:
        return QMessageBox::Warning;
    case mb::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

Answer QtDialogs::MsgBox(std::string_view prompt, int style, std::string_view title)
{
    QMessageBox box(iconFor(style), toQt(title), toQt(prompt), QMessageBox::NoButton, QApplication::activeWindow());
    const auto specs = buttonsFor(style);
    for (const auto& spec : specs) {
        box.addButton(spec.button);
    }
    const auto d = static_cast<std::size_t>(mb::defaultButton(style));
    box.setDefaultButton(specs[d < specs.size() ? d : 0].button);
    // A box that closes without a button (Escape) answers like Cancel where it
    // has one; boxes without Cancel cannot be escaped.
    const int result = box.exec();
    for (const auto& spec : specs) {
        if (result == spec.button) {
            return spec.answer;
        }
    }
    return defaultAnswer(style);
}

std::string QtDialogs::InputBox(std::string_view prompt, std::string_view title, std::string_view defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), toQt(title), toQt(prompt),
                                               QLineEdit::Normal, toQt(defaultText), &ok);
    return ok ? text.toStdString() : std::string();
}

} // namespace platform
