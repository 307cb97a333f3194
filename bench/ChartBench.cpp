// Chart drawing: time to paint one 1200 x 800 picture of seeded expression
// profiles for each chart type at the sizes where the 3-D question starts
// (100 x 60 cells, 1001 rows) and for a large line chart (16 time points x
// 2,000 loci). Run with QT_QPA_PLATFORM=offscreen where there is no display.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"
#include "platform/widgets/chart/ChartModel.h"
#include "platform/widgets/chart/ChartPainter.h"

namespace {

platform::ChartModel chart(int rows, int columns, int type)
{
    std::mt19937 gen(7);
    std::normal_distribution<double> noise(0, 0.3);
    platform::ChartModel m;
    m.resize(rows, columns);
    m.setChartType(type);
    for (int c = 1; c <= columns; ++c) {
        for (int r = 1; r <= rows; ++r) {
            m.setValue(r, c, 2 + std::sin(r * 0.4 + c) + noise(gen));
        }
    }
    m.axis(platform::chartaxis::X).categoryAuto = false;
    m.axis(platform::chartaxis::X).divisionsPerLabel = std::max(1, rows / 6);
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args(argc, argv, "\n  Times the chart painter on seeded tables of each chart type; takes no arguments.\n").finish();
    QGuiApplication app(argc, argv);
    struct Case {
        const char* name;
        int rows, columns, type;
    } cases[] = {
        {"2-D line, 12 x 12", 12, 12, platform::charttype::Line2d},
        {"2-D line, 16 x 2000", 16, 2000, platform::charttype::Line2d},
        {"2-D bar, 100 x 60", 100, 60, platform::charttype::Bar2d},
        {"3-D bar, 100 x 60", 100, 60, platform::charttype::Bar3d},
        {"3-D line, 100 x 60", 100, 60, platform::charttype::Line3d},
        {"3-D bar, 1001 x 1", 1001, 1, platform::charttype::Bar3d},
        {"2-D pie, 12 x 12", 12, 12, platform::charttype::Pie2d},
        {"2-D XY, 1000 x 12", 1000, 12, platform::charttype::XY2d},
    };
    std::printf("%-24s %12s\n", "chart", "ms / picture");
    for (const Case& c : cases) {
        const platform::ChartModel m = chart(c.rows, c.columns, c.type);
        QImage image(1200, 800, QImage::Format_RGB32);
        const int repeats = 5;
        const auto from = std::chrono::steady_clock::now();
        for (int i = 0; i < repeats; ++i) {
            QPainter painter(&image);
            platform::paintChart(painter, QRectF(0, 0, 1200, 800), m);
        }
        std::printf("%-24s %12.1f\n", c.name, bench::seconds(from) * 1000 / repeats);
    }
    return 0;
}
