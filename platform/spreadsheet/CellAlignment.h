#pragma once

// Where the grid and the printer put a cell's text.

#include <Qt>

#include "platform/spreadsheet/CellFormat.h"
#include "platform/spreadsheet/Value.h"

namespace spreadsheet {

// The alignment of a cell's text as the grid paints it: the format's, or
// by default numbers right, logicals and errors centred, texts left.
inline Qt::Alignment cellAlignment(const Value& v, const CellFormat& f)
{
    Qt::Alignment align = Qt::AlignLeft;
    switch (f.hAlign) {
    case HAlign::Left:
        align = Qt::AlignLeft;
        break;
    case HAlign::Center:
        align = Qt::AlignHCenter;
        break;
    case HAlign::Right:
        align = Qt::AlignRight;
        break;
    default:
        if (v.isNumber())
            align = Qt::AlignRight;
        else if (v.isLogical() || v.isError())
            align = Qt::AlignHCenter;
    }
    return align | (f.vAlign == VAlign::Top      ? Qt::AlignTop
                    : f.vAlign == VAlign::Center ? Qt::AlignVCenter
                                                 : Qt::AlignBottom);
}

} // namespace spreadsheet
