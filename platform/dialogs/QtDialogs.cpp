#include "platform/dialogs/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
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
    // The text can be selected and copied: an address to open elsewhere, an
    // error to pass on.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
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

QStringList qtNameFilters(std::string_view barFilter)
{
    const QStringList parts = toQt(barFilter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const qsizetype paren = description.indexOf(QLatin1Char('('));
        if (paren > 0) {
            description = description.left(paren).trimmed();
        }
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

std::optional<FileDialogResult> QtDialogs::chooseFile(const FileDialogRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), toQt(request.title), toQt(request.initDir));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Saving over an existing file is always confirmed, whatever the flags.
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : 1;
        dialog.selectNameFilter(filters[index - 1]);
    }
    // A name typed without an extension gets the chosen filter's before the
    // dialog asks about replacing a file, so the question names the file
    // that will be written (FileDialog adds the same extension otherwise).
    const auto suffixFor = [&request](int index) {
        const std::string extension = FilterExtension(request.filter, index);
        return toQt(extension.empty() ? request.defaultExt : extension);
    };
    if (request.save) {
        dialog.setDefaultSuffix(suffixFor(std::max(1, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1)));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &filters, suffixFor](const QString& f) {
            dialog.setDefaultSuffix(suffixFor(static_cast<int>(filters.indexOf(f)) + 1));
        });
    } else if (!request.defaultExt.empty()) {
        dialog.setDefaultSuffix(toQt(request.defaultExt));
    }
    if (!request.fileName.empty()) {
        dialog.selectFile(toQt(request.fileName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    FileDialogResult result;
    result.path = dialog.selectedFiles().first().toStdString();
    result.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (result.filterIndex < 1) {
        result.filterIndex = 1;
    }
    return result;
}

std::optional<FontChoice> QtDialogs::FontDialog(const FontChoice& initial)
{
    QFont font(QString::fromStdString(initial.face));
    if (initial.size > 0) {
        font.setPointSizeF(initial.size);
    }
    font.setBold(initial.bold);
    font.setItalic(initial.italic);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, QApplication::activeWindow());
    if (!ok) {
        return std::nullopt;
    }
    return FontChoice{chosen.family().toStdString(), chosen.pointSizeF(), chosen.bold(), chosen.italic()};
}

} // namespace platform
