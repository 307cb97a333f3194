#include "platform/widgets/plot/PlotView.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What one clipboard entry holds for the forms given: an empty picture form
// is left out, a text is put even when it is empty, and the metafile goes
// under both of its names.
TEST(PlotView, CopyPutsTheFormsGivenInOneEntry)
{
    const QImage bitmap = platform::PlotView::imageOf(QSize(20, 10), {}, [](QPainter&, const QRectF&) {});
    struct Row {
        const char* name;
        platform::PlotView::ClipboardForms forms;
        std::vector<const char*> present;
        std::vector<const char*> absent;
    };
    const std::vector<Row> rows = {
        {"text only", {.text = QString("a\tb")}, {"text/plain"}, {"image/svg+xml", "image/emf", "application/x-qt-image"}},
        {"empty text", {.text = QString()}, {"text/plain"}, {"image/svg+xml"}},
        {"bitmap, svg and text",
         {.bitmap = bitmap, .svg = "<svg/>", .text = QString("x")},
         {"application/x-qt-image", "image/svg+xml", "text/plain"},
         {"image/emf", "image/x-emf"}},
        {"svg and metafile", {.svg = "<svg/>", .metafile = "EMF"}, {"image/svg+xml", "image/emf", "image/x-emf"},
         {"text/plain", "application/x-qt-image"}},
        {"empty svg left out", {.bitmap = bitmap, .svg = QByteArray()}, {"application/x-qt-image"},
         {"image/svg+xml", "text/plain"}},
    };
    for (const Row& row : rows) {
        QApplication::clipboard()->setText("before");
        platform::PlotView::copy(row.forms);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr) << row.name;
        for (const char* format : row.present) {
            EXPECT_TRUE(data->hasFormat(format)) << row.name << ": " << format;
        }
        for (const char* format : row.absent) {
            EXPECT_FALSE(data->hasFormat(format)) << row.name << ": " << format;
        }
    }
    platform::PlotView::copy({.svg = "<svg/>", .metafile = "EMF"});
    EXPECT_EQ(QApplication::clipboard()->mimeData()->data("image/x-emf"), QByteArray("EMF"));
    platform::PlotView::copy({.text = QString("a\tb")});
    EXPECT_EQ(QApplication::clipboard()->text(), "a\tb");
}

// A picture drawn by a painting function is drawn once on white over the
// whole size asked for, in each form.
TEST(PlotView, PicturesOfAPaintingCoverTheSizeAsked)
{
    std::vector<QRectF> targets;
    const platform::PlotView::Painting paint = [&targets](QPainter& painter, const QRectF& target) {
        targets.push_back(target);
        painter.fillRect(QRectF(0, 0, 5, 5), Qt::black);
    };
    const QImage image = platform::PlotView::imageOf(QSize(40, 30), QPainter::Antialiasing, paint);
    EXPECT_EQ(image.size(), QSize(40, 30));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(39, 29), QColor(Qt::white));
    const QByteArray svg = platform::PlotView::svgOf(QSize(40, 30), "Chart", paint);
    EXPECT_TRUE(svg.contains("<title>Chart</title>")) << svg.left(400).toStdString();
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 40 30\""));
    const QByteArray emf = platform::PlotView::metafileOf(QSize(40, 30), paint);
    EXPECT_FALSE(emf.isEmpty());
    ASSERT_EQ(targets.size(), 3u);
    for (const QRectF& target : targets) {
        EXPECT_EQ(target, QRectF(0, 0, 40, 30));
    }
}

} // namespace
