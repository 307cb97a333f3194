#include "shell/core/FormatRules.h"

namespace shell {

FreezeAction decideFreeze(const spreadsheet::RangeRef& sel, bool frozen)
{
    FreezeAction a;
    if (frozen) {
        a.kind = FreezeAction::Kind::Unfreeze;
        return a;
    }
    if (sel.firstRow == sel.lastRow && sel.firstCol == sel.lastCol) {
        a.kind = FreezeAction::Kind::FreezeCell;
        a.firstCol = 1;
        a.cols = sel.firstCol - 1;
        a.firstRow = 1;
        a.rows = sel.firstRow - 1;
    } else if (sel.lastRow == spreadsheet::kMaxRows) {
        a.kind = FreezeAction::Kind::FreezeCols;
        a.firstCol = sel.firstCol;
        a.cols = sel.cols();
    } else if (sel.lastCol == spreadsheet::kMaxCols) {
        a.kind = FreezeAction::Kind::FreezeRows;
        a.firstRow = sel.firstRow;
        a.rows = sel.rows();
    }
    return a;
}

FormatMenuState stateFor(bool frozen, std::int32_t selectedObjects)
{
    FormatMenuState s;
    s.cellItems = selectedObjects < 1;
    s.objectItems = !s.cellItems;
    s.freezeCaption = frozen ? "Un&freeze Panes" : "&Freeze Panes";
    return s;
}

} // namespace shell
