// Takes the picture of a sheet with drawing objects of every kind: the grid
// rendered offscreen into the PNG named on the command line. Not a test; built
// on demand (target drawing_screenshot):
//   QT_QPA_PLATFORM=offscreen build/bin/drawing_screenshot docs/screenshots/drawing-objects.png

#include <cstdio>
#include <string>

#include <QApplication>
#include <QPixmap>

#include "platform/spreadsheet/ObjectGeometry.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"

namespace {

using spreadsheet::DrawingObject;
using spreadsheet::ObjectKind;
using spreadsheet::Value;

DrawingObject object(ObjectKind kind, spreadsheet::CellAnchor from, spreadsheet::CellAnchor to)
{
    DrawingObject o;
    o.kind = kind;
    o.from = from;
    o.to = to;
    return o;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: drawing_screenshot <file.png>\n");
        return 2;
    }
    QApplication app(argc, argv);
    spreadsheet::SpreadsheetWidget widget;
    widget.resize(980, 520);
    spreadsheet::Workbook& wb = widget.workbook();

    const char* genes[] = {"YAL001C", "YAL002W", "YAL003W", "YAL004C"};
    wb.setCellValue(1, 1, 1, Value("Gene"));
    for (int c = 0; c < 5; ++c)
        wb.setCellValue(1, 1, c + 2, Value(std::to_string(c * 2) + "h"));
    for (int r = 0; r < 4; ++r) {
        wb.setCellValue(1, r + 2, 1, Value(genes[r]));
        for (int c = 0; c < 5; ++c)
            wb.setCellValue(1, r + 2, c + 2, Value(((r * 5 + c * 3) % 7) / 2.0 - 1.0 + 0.4 * r));
    }

    DrawingObject chart = object(ObjectKind::Chart, {1, 8, 10, 4}, {13, 12, 40, 6});
    chart.chartSource = {2, 2, 5, 6};
    wb.addObject(1, chart);

    DrawingObject note = object(ObjectKind::Rectangle, {8, 1, 8, 4}, {11, 2, 30, 8});
    note.text = "Induced after 4h";
    note.style.fillColor = 0xFFF3B0;
    wb.addObject(1, note);

    DrawingObject arrow = object(ObjectKind::Line, {9, 3, 10, 4}, {6, 4, 20, 6});
    arrow.flipY = true;  // from the note up to the 4h column
    arrow.style.arrowAtEnd = true;
    arrow.style.lineWidth = 1.5;
    arrow.style.lineColor = 0xC00000;
    wb.addObject(1, arrow);

    DrawingObject oval = object(ObjectKind::Oval, {13, 1, 10, 2}, {17, 2, 20, 6});
    oval.text = "Cluster 1";
    oval.style.fillColor = 0xCFE2FF;
    const auto ovalId = wb.addObject(1, oval);

    DrawingObject arc = object(ObjectKind::Arc, {13, 4, 0, 4}, {17, 5, 10, 10});
    arc.style.filled = false;
    arc.style.lineWidth = 1.5;
    wb.addObject(1, arc);

    DrawingObject poly = object(ObjectKind::Polygon, {12, 6, 0, 0}, {18, 7, 20, 0});
    poly.points = {{0.5, 0}, {1, 0.4}, {0.8, 1}, {0.2, 1}, {0, 0.4}, {0.5, 0}};
    poly.style.fillColor = 0xD9F2D0;
    poly.style.lineStyle = 1;
    wb.addObject(1, poly);

    DrawingObject button = object(ObjectKind::Button, {16, 8, 6, 2}, {17, 8, 60, 10});
    button.text = "Run";
    wb.addObject(1, button);

    DrawingObject check = object(ObjectKind::CheckBox, {16, 9, 30, 3}, {16, 10, 45, 14});
    check.text = "Log scale";
    check.checkState = 1;
    wb.addObject(1, check);

    DrawingObject list = object(ObjectKind::DropDown, {16, 11, 10, 0}, {16, 12, 40, 12});
    list.items = {"Single linkage", "Average linkage", "Complete linkage"};
    list.chosenItem = 2;
    wb.addObject(1, list);

    wb.setSelection(2, 2, 5, 6);
    wb.selectObject(ovalId, false);
    widget.show();
    QApplication::processEvents();
    if (!widget.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "drawing_screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
