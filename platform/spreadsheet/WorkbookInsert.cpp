#include "platform/errors/Error.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

void Workbook::EditInsert(std::int32_t how)
{
    const RangeRef r = SelectionEx(0);
    switch (how) {
    case 3:
        insertRows(m_active, r.firstRow, r.rows());
        return;
    case 4:
        insertCols(m_active, r.firstCol, r.cols());
        return;
    default:
        throw platform::Error::runtime(platform::err::InvalidCall, "EditInsert");
    }
}

void Workbook::AddPageBreak() {}

} // namespace spreadsheet
