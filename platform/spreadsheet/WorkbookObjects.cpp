#include <algorithm>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/ObjectGeometry.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

using detail::SheetData;

[[noreturn]] void fail(std::int32_t number, const char* source)
{
    throw platform::Error::runtime(number, source);
}

const char* kindName(ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::Line:
        return "Line";
    case ObjectKind::Rectangle:
        return "Rectangle";
    case ObjectKind::Oval:
        return "Oval";
    case ObjectKind::Arc:
        return "Arc";
    case ObjectKind::Chart:
        return "Chart";
    case ObjectKind::Button:
        return "Button";
    case ObjectKind::Polygon:
        return "Polygon";
    case ObjectKind::CheckBox:
        return "Check Box";
    case ObjectKind::DropDown:
        return "Drop Down";
    }
    return "Object";
}

void checkObject(const DrawingObject& o, const char* source)
{
    if (!isValidObject(o))
        fail(platform::err::InvalidCall, source);
}

template <typename Sheet>
auto findObject(Sheet& s, std::int32_t id, const char* source)
{
    const auto it =
        std::find_if(s.objects.begin(), s.objects.end(), [id](const DrawingObject& o) { return o.id == id; });
    if (it == s.objects.end())
        fail(platform::err::Subscript, source);
    return it;
}

// Moves the selected objects to one end of the stack, keeping their order.
void restack(SheetData& s, bool toFront)
{
    const auto selected = [&s](const DrawingObject& o) {
        return std::find(s.selectedObjects.begin(), s.selectedObjects.end(), o.id) != s.selectedObjects.end();
    };
    if (toFront)
        std::stable_partition(s.objects.begin(), s.objects.end(), [&](const DrawingObject& o) { return !selected(o); });
    else
        std::stable_partition(s.objects.begin(), s.objects.end(), selected);
}

} // namespace

bool isObjectKind(std::int32_t code) noexcept
{
    return (code >= 1 && code <= 5) || (code >= 7 && code <= 10);
}

bool isValidObject(const DrawingObject& o) noexcept
{
    const auto within = [](double v, double hi) { return v >= 0 && v <= hi; };  // false for NaN
    const auto inside = [&](const CellAnchor& a) {
        return a.row >= 1 && a.row <= kMaxRows && a.col >= 1 && a.col <= kMaxCols &&
               within(a.dx, SheetFormat::kMaxColWidth * kPointsPerChar) && within(a.dy, SheetFormat::kMaxRowHeight);
    };
    const auto range = [](const RangeRef& r) {
        return r.firstRow >= 1 && r.firstCol >= 1 && r.lastRow <= kMaxRows && r.lastCol <= kMaxCols &&
               r.firstRow <= r.lastRow && r.firstCol <= r.lastCol;
    };
    const ObjectStyle& st = o.style;
    if (!isObjectKind(static_cast<std::int32_t>(o.kind)) || !inside(o.from) || !inside(o.to) ||
        !range(o.chartSource))
        return false;
    if (st.lineColor > 0xFFFFFF || st.fillColor > 0xFFFFFF || !within(st.lineWidth, kMaxLineWidth) ||
        st.lineStyle < 0 || st.lineStyle > 4)
        return false;
    if (o.checkState < 0 || o.checkState > 2 || o.chosenItem < 0 ||
        static_cast<std::size_t>(o.chosenItem) > o.items.size())
        return false;
    if (o.kind == ObjectKind::Polygon && o.points.size() < 2)
        return false;
    return std::all_of(o.points.begin(), o.points.end(),
                       [&](const UnitPoint& p) { return within(p.x, 1) && within(p.y, 1); });
}

void Workbook::setMode(std::int32_t mode)
{
    if (mode != 0 && !isObjectKind(mode))
        fail(platform::err::InvalidPropertyValue, "Mode");
    m_mode = mode;
    if (m_onChange)
        m_onChange();
}

const std::vector<DrawingObject>& Workbook::objects(std::int32_t sheet) const
{
    return sheetData(sheet).objects;
}

std::int32_t Workbook::addObject(std::int32_t sheet, DrawingObject object)
{
    checkObject(object, "addObject");
    SheetData& s = sheetData(sheet);
    object.id = s.nextObjectId++;
    if (object.name.empty())
        object.name = std::string(kindName(object.kind)) + " " + std::to_string(object.id);
    s.objects.push_back(std::move(object));
    touch();
    return s.objects.back().id;
}

const DrawingObject& Workbook::object(std::int32_t sheet, std::int32_t id) const
{
    return *findObject(sheetData(sheet), id, "object");
}

void Workbook::setObject(std::int32_t sheet, const DrawingObject& object)
{
    checkObject(object, "setObject");
    *findObject(sheetData(sheet), object.id, "setObject") = object;
    touch();
}

void Workbook::deleteObject(std::int32_t sheet, std::int32_t id)
{
    SheetData& s = sheetData(sheet);
    s.objects.erase(findObject(s, id, "deleteObject"));
    std::erase(s.selectedObjects, id);
    touch();
}

std::int32_t Workbook::selectedObjectCount() const
{
    return static_cast<std::int32_t>(active().selectedObjects.size());
}

std::int32_t Workbook::selectedObjectId(std::int32_t position) const
{
    const auto& sel = active().selectedObjects;
    if (position < 0 || static_cast<std::size_t>(position) >= sel.size())
        fail(platform::err::Subscript, "selectedObjectId");
    return sel[static_cast<std::size_t>(position)];
}

std::int32_t Workbook::objectType(std::int32_t id) const
{
    return static_cast<std::int32_t>(object(m_active, id).kind);
}

bool Workbook::isObjectSelected(std::int32_t id) const
{
    const auto& sel = active().selectedObjects;
    return std::find(sel.begin(), sel.end(), id) != sel.end();
}

void Workbook::selectObject(std::int32_t id, bool add)
{
    SheetData& s = active();
    findObject(s, id, "selectObject");
    if (!add)
        s.selectedObjects.clear();
    if (std::find(s.selectedObjects.begin(), s.selectedObjects.end(), id) == s.selectedObjects.end())
        s.selectedObjects.push_back(id);
    if (m_onChange)
        m_onChange();
}

void Workbook::deselectObjects()
{
    active().selectedObjects.clear();
    if (m_onChange)
        m_onChange();
}

void Workbook::selectAllObjects()
{
    SheetData& s = active();
    s.selectedObjects.clear();
    for (const auto& o : s.objects)
        s.selectedObjects.push_back(o.id);
    if (m_onChange)
        m_onChange();
}

void Workbook::ObjBringToFront()
{
    if (active().selectedObjects.empty())
        return;
    restack(active(), true);
    touch();
}

void Workbook::ObjSendToBack()
{
    if (active().selectedObjects.empty())
        return;
    restack(active(), false);
    touch();
}

void Workbook::deleteSelectedObjects()
{
    SheetData& s = active();
    if (s.selectedObjects.empty())
        return;
    std::erase_if(s.objects, [&s](const DrawingObject& o) {
        return std::find(s.selectedObjects.begin(), s.selectedObjects.end(), o.id) != s.selectedObjects.end();
    });
    s.selectedObjects.clear();
    touch();
}

void Workbook::deselectObject(std::int32_t id)
{
    std::erase(active().selectedObjects, id);
    if (m_onChange)
        m_onChange();
}

BoxF Workbook::objectBox(std::int32_t sheet, std::int32_t id) const
{
    const SheetData& s = sheetData(sheet);
    return spreadsheet::objectBox(s.format, *findObject(s, id, "objectBox"));
}

void Workbook::setObjectBox(std::int32_t sheet, std::int32_t id, const BoxF& box)
{
    SheetData& s = sheetData(sheet);
    DrawingObject& o = *findObject(s, id, "setObjectBox");
    placeObject(s.format, o, box);
    touch();
}

void Workbook::moveSelectedObjects(double dx, double dy)
{
    SheetData& s = active();
    if (s.selectedObjects.empty())
        return;
    for (DrawingObject& o : s.objects) {
        if (std::find(s.selectedObjects.begin(), s.selectedObjects.end(), o.id) == s.selectedObjects.end())
            continue;
        placeObject(s.format, o, movedInsideSheet(s.format, spreadsheet::objectBox(s.format, o), dx, dy));
    }
    touch();
}

} // namespace spreadsheet
