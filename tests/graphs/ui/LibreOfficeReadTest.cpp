// Every picture file the graph window and the metafile recorder write is
// opened by an independent reader: LibreOffice converts it to PNG, and the
// picture must not be blank and must have the extent it was written with.

#include <QApplication>
#include <QImage>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "graphs/clsEMF.h"
#include "graphs/ui/frmGraphics.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/widgets/graph/GraphView.h"
#include "tests/graphs/ui/GraphTestData.h"
#include "tests/support/LibreOffice.h"
#include "tests/support/TestSupport.h"

namespace {

// A file written and the extent its drawing must have on the reader's page,
// in pixels at 96 per inch (the drawing's ink, inside its white margins).
struct Written {
    std::string name;
    double minWidth, maxWidth, minHeight, maxHeight;
};

double inkShare(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    qint64 ink = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            ink += (qRed(line[x]) < 230 || qGreen(line[x]) < 230 || qBlue(line[x]) < 230) ? 1 : 0;
        }
    }
    return static_cast<double>(ink) / (static_cast<double>(rgb.width()) * rgb.height());
}

// Bounding box of the pixels that are not white.
QRect inkBox(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QRect box;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            if (qRed(line[x]) < 230 || qGreen(line[x]) < 230 || qBlue(line[x]) < 230) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

TEST(LibreOfficeReadsOurPictures, GraphAndRecorderFilesConvertToPictures)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is needed: the test command installs it";
    testsupport::TempDir dir;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped(dialogs);
    std::vector<Written> files;

    // Small enough for the reader's page to show it at its own size.
    graphs::frmGraphics window;
    window.resize(640, 480);
    window.show();
    QApplication::processEvents();
    platform::GraphView& view = window.graph();
    const auto scores = graphtest::seededScores(300, 5);
    std::int32_t n = 300;
    std::string type = "SCATTER";
    std::vector<double> y;
    for (const auto& row : scores.data) {
        y.push_back(row[0]);
    }
    window.Graph2To3(scores.x, y, n, "PC1", "PC2", type, true, true, &scores.pointNames);
    view.model().setStatistics(8);
    view.draw();
    // The graph's ink lies inside the picture, with margins of a few per cent.
    const Written graphExtent{"", 0.8 * view.width(), 1.03 * view.width(), 0.8 * view.height(), 1.03 * view.height()};
    const auto graphFile = [&graphExtent](const char* name) {
        Written w = graphExtent;
        w.name = name;
        return w;
    };
    ASSERT_TRUE(view.saveMetafile(QString::fromStdString(dir.file("scatter-emf.emf").string())));
    ASSERT_TRUE(view.saveBitmap(QString::fromStdString(dir.file("scatter-bmp.bmp").string())));
    ASSERT_TRUE(view.saveBitmap(QString::fromStdString(dir.file("scatter-png.png").string())));
    files.push_back(graphFile("scatter-emf.emf"));
    files.push_back(graphFile("scatter-bmp.bmp"));
    files.push_back(graphFile("scatter-png.png"));

    const auto table = graphtest::seededTable(8, 4, 3);
    std::int32_t points = 8;
    std::int32_t sets = 4;
    type = "3DBAR";
    window.DrawGraph(table.x, table.data, points, sets, "Time", "Level", type, &table.setNames, false, false, nullptr);
    ASSERT_TRUE(view.saveMetafile(QString::fromStdString(dir.file("bar3d.emf").string())));
    files.push_back(graphFile("bar3d.emf"));

    // A tree-like drawing through the recorder in a 3 x 2 inch frame: an L
    // whose foot is at the bottom (y grows downwards), 3800 x 2400 twips.
    {
        graphs::clsEMF e(dir.path());
        e.emfWidth(4320);
        e.emfHeight(2880);
        e.emfMoveToEx(200, 200);
        e.emfLineTo(200, 2600);
        e.emfLineTo(4000, 2600);
        e.emfMoveToEx(1000, 1200);
        e.emfPrint("gene_1_at");
        e.emfEndDoc();
        std::filesystem::copy_file(e.emfFileName(), dir.file("tree.emf"));
    }
    files.push_back({"tree.emf", 0.9 * 253, 1.1 * 253, 0.9 * 160, 1.1 * 160});

    const std::filesystem::path out = dir.file("out");
    std::filesystem::create_directory(out);
    testsupport::OfficeRun run;
    run.program = soffice.toStdString();
    run.profile = dir.file("profile");
    run.args = {"--convert-to", "png", "--outdir", out.string()};
    for (const Written& w : files) {
        run.args.push_back(dir.file(w.name).string());
    }
    run.done = [&] {
        return std::all_of(files.begin(), files.end(), [&out](const Written& w) {
            return std::filesystem::exists(out / (std::filesystem::path(w.name).stem().string() + ".png"));
        });
    };
    ASSERT_TRUE(testsupport::runOffice(run));
    std::map<std::string, double> inkInside;  // share of dark pixels inside each drawing
    for (const Written& w : files) {
        const std::filesystem::path png = out / (std::filesystem::path(w.name).stem().string() + ".png");
        SCOPED_TRACE(w.name);
        ASSERT_TRUE(std::filesystem::exists(png));
        const QImage image(QString::fromStdString(png.string()));
        ASSERT_FALSE(image.isNull());
        const QRect ink = inkBox(image);
        std::cerr << w.name << ": page " << image.width() << "x" << image.height() << ", drawing " << ink.width()
                  << "x" << ink.height() << " at " << ink.x() << "," << ink.y() << "\n";
        EXPECT_GT(inkShare(image), 0.0005) << "the picture is not blank";
        inkInside[w.name] = inkShare(image.copy(ink));
        EXPECT_GE(ink.width(), w.minWidth);
        EXPECT_LE(ink.width(), w.maxWidth);
        EXPECT_GE(ink.height(), w.minHeight);
        EXPECT_LE(ink.height(), w.maxHeight);
        if (w.name == "tree.emf") {
            // Upright: the foot of the L is the bottom row of the drawing.
            const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
            const auto inkInRow = [&rgb, &ink](int y) {
                int count = 0;
                for (int x = ink.left(); x <= ink.right(); ++x) {
                    count += qGray(rgb.pixel(x, y)) < 200 ? 1 : 0;
                }
                return count;
            };
            EXPECT_GT(std::max(inkInRow(ink.bottom()), inkInRow(ink.bottom() - 1)), ink.width() * 0.8);
            EXPECT_LT(inkInRow(ink.top()), ink.width() * 0.2);
        }
    }
    // The vector picture looks like the bitmap: about as much ink inside the
    // drawing (a background gone black or lost would change it many times).
    ASSERT_EQ(inkInside.count("scatter-emf.emf"), 1u);
    const double ratio = inkInside["scatter-emf.emf"] / inkInside["scatter-bmp.bmp"];
    EXPECT_GT(ratio, 0.5) << ratio;
    EXPECT_LT(ratio, 2.0) << ratio;
}

} // namespace
