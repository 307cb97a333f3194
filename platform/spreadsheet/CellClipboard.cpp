#include "platform/spreadsheet/CellClipboard.h"

#include <memory>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet::CellClipboard {

namespace {

constexpr const char* CellsFormat = "application/x-tessaray-cells";

// The cells of the last copy, on sheet 1 of a private workbook at the
// places they were copied from.
struct Held {
    std::unique_ptr<Workbook> book;
    RangeRef range;
    QByteArray token;
};

Held& held()
{
    static Held h;
    return h;
}

[[noreturn]] void doesNotFit()
{
    throw platform::Error(platform::err::InvalidCall, "Paste",
                          "The cells to paste do not fit on the sheet from the selected cell.");
}

} // namespace

void copy(const Workbook& book)
{
    const RangeRef r = book.SelectionEx(0);
    auto snapshot = std::make_unique<Workbook>();
    snapshot->CopyRangeEx(1, r.firstRow, r.firstCol, r.lastRow, r.lastCol, book, book.Sheet(), r.firstRow,
                          r.firstCol, r.lastRow, r.lastCol);
    static std::uint64_t counter = 0;
    Held& h = held();
    h.book = std::move(snapshot);
    h.range = r;
    h.token = QByteArray::number(QCoreApplication::applicationPid()) + '.' + QByteArray::number(++counter);

    auto mime = std::make_unique<QMimeData>();
    mime->setText(QString::fromStdString(book.Clip()));
    mime->setData(QString::fromLatin1(CellsFormat), h.token);
    QGuiApplication::clipboard()->setMimeData(mime.release());
}

void paste(Workbook& book, PasteWhat what)
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime)
        return;
    const RangeRef at = book.SelectionEx(0);
    Held& h = held();
    const bool ours = h.book && mime->hasFormat(QString::fromLatin1(CellsFormat)) &&
                      mime->data(QString::fromLatin1(CellsFormat)) == h.token;
    if (what == PasteWhat::Formats)
        return;
    if (!ours) {
        const std::string text = mime->text().toStdString();
        if (text.empty())
            return;
        const Workbook::ClipExtent e = Workbook::clipExtent(text);
        if (!book.clipFits(text))
            doesNotFit();
        book.setClip(text);
        book.setSelection(at.firstRow, at.firstCol, at.firstRow + e.rows - 1, at.firstCol + e.cols - 1);
        return;
    }
    const RangeRef& from = h.range;
    const std::int32_t lastRow = at.firstRow + from.rows() - 1;
    const std::int32_t lastCol = at.firstCol + from.cols() - 1;
    if (lastRow > kMaxRows || lastCol > kMaxCols)
        doesNotFit();
    if (what == PasteWhat::Values) {
        ValueTable values(from.rows(), from.cols());
        h.book->CopyDataToArray(1, from.firstRow, from.firstCol, from.lastRow, from.lastCol, true, values);
        book.CopyDataFromArray(book.Sheet(), at.firstRow, at.firstCol, lastRow, lastCol, true, values);
    } else {
        book.CopyRangeEx(book.Sheet(), at.firstRow, at.firstCol, lastRow, lastCol, *h.book, 1, from.firstRow,
                         from.firstCol, from.lastRow, from.lastCol);
    }
    book.setSelection(at.firstRow, at.firstCol, lastRow, lastCol);
}

bool canPaste()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime && (mime->hasFormat(QString::fromLatin1(CellsFormat)) || !mime->text().isEmpty());
}

} // namespace spreadsheet::CellClipboard
