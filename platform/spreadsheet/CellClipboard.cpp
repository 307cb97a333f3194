#include "platform/spreadsheet/CellClipboard.h"

#include <algorithm>
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
// places they were copied from, and the values they showed then. The
// private workbook lacks the cells that copied formulas refer to, so their
// results there are not the values shown: a paste of values takes these.
struct Held {
    std::unique_ptr<Workbook> book;
    RangeRef range;
    ValueTable values;  // the used part of the range, from its top-left cell
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
    // Only the used part of the selection holds cells (a whole sheet may be selected).
    const std::int32_t lastRow = std::min(r.lastRow, book.lastUsedRow());
    const std::int32_t lastCol = std::min(r.lastCol, book.lastUsedCol());
    ValueTable values;
    if (lastRow >= r.firstRow && lastCol >= r.firstCol) {
        snapshot->CopyRangeEx(1, r.firstRow, r.firstCol, lastRow, lastCol, book, book.Sheet(), r.firstRow,
                              r.firstCol, lastRow, lastCol);
        values = ValueTable(lastRow - r.firstRow + 1, lastCol - r.firstCol + 1);
        book.CopyDataToArray(book.Sheet(), r.firstRow, r.firstCol, lastRow, lastCol, true, values);
    }
    snapshot->copyFormats(1, r.firstRow, r.firstCol, book, book.Sheet(), r);
    static std::uint64_t counter = 0;
    Held& h = held();
    h.book = std::move(snapshot);
    h.values = std::move(values);
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
    if (what == PasteWhat::Formats) {
        // Only cells copied here carry formats; text from elsewhere has none.
        if (!ours)
            return;
        const RangeRef& from = h.range;
        if (at.firstRow + from.rows() - 1 > kMaxRows || at.firstCol + from.cols() - 1 > kMaxCols)
            doesNotFit();
        book.copyFormats(book.Sheet(), at.firstRow, at.firstCol, *h.book, 1, from);
        book.setSelection(at.firstRow, at.firstCol, at.firstRow + from.rows() - 1, at.firstCol + from.cols() - 1);
        return;
    }
    if (!ours) {
        const std::string text = mime->text().toStdString();
        if (text.empty())
            return;
        const Workbook::ClipExtent e = Workbook::clipExtent(text);
        if (!book.clipFits(text))
            doesNotFit();
        // Formulas too large to enter are left out and refused after the
        // rest is pasted: what was pasted is selected either way.
        const auto selectPasted = [&] {
            book.setSelection(at.firstRow, at.firstCol, at.firstRow + e.rows - 1, at.firstCol + e.cols - 1);
        };
        try {
            book.setClip(text);
        } catch (const platform::Error& refusal) {
            if (Workbook::isFormulaRefusal(refusal))
                selectPasted();
            throw;
        }
        selectPasted();
        return;
    }
    const RangeRef& from = h.range;
    const std::int32_t lastRow = at.firstRow + from.rows() - 1;
    const std::int32_t lastCol = at.firstCol + from.cols() - 1;
    if (lastRow > kMaxRows || lastCol > kMaxCols)
        doesNotFit();
    // The block's empty cells empty their places; its used part brings the cells.
    book.clearRange(book.Sheet(), RangeRef{at.firstRow, at.firstCol, lastRow, lastCol});
    if (what == PasteWhat::Values) {
        if (h.values.rows() > 0 && h.values.cols() > 0)
            book.CopyDataFromArray(book.Sheet(), at.firstRow, at.firstCol, at.firstRow + h.values.rows() - 1,
                                   at.firstCol + h.values.cols() - 1, true, h.values);
        book.setSelection(at.firstRow, at.firstCol, lastRow, lastCol);
        return;
    }
    const std::int32_t usedRows = std::min(from.lastRow, h.book->lastUsedRow(1)) - from.firstRow + 1;
    const std::int32_t usedCols = std::min(from.lastCol, h.book->lastUsedCol(1)) - from.firstCol + 1;
    if (usedRows > 0 && usedCols > 0) {
        const std::int32_t srcLastRow = from.firstRow + usedRows - 1;
        const std::int32_t srcLastCol = from.firstCol + usedCols - 1;
        const std::int32_t dstLastRow = at.firstRow + usedRows - 1;
        const std::int32_t dstLastCol = at.firstCol + usedCols - 1;
        book.CopyRangeEx(book.Sheet(), at.firstRow, at.firstCol, dstLastRow, dstLastCol, *h.book, 1,
                         from.firstRow, from.firstCol, srcLastRow, srcLastCol);
    }
    if (what == PasteWhat::All)
        book.copyFormats(book.Sheet(), at.firstRow, at.firstCol, *h.book, 1, from);
    book.setSelection(at.firstRow, at.firstCol, lastRow, lastCol);
}

bool canPaste()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime && (mime->hasFormat(QString::fromLatin1(CellsFormat)) || !mime->text().isEmpty());
}

} // namespace spreadsheet::CellClipboard
