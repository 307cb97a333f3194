// The graph window, timed: DrawGraph of a 32,767-point scatter and of a
// 16,000 x 20 line graph, each with the picture rendered once (what the
// screen shows), plus the metafile and SVG exports of the scatter. With a
// folder argument it also saves pictures of the window: a scatter with its
// least-squares line, a 3-D bar graph and a polar graph. Prints its figures;
// asserts nothing.

#include <QApplication>
#include <QAction>
#include <QImage>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "graphs/ui/frmGraphics.h"
#include "platform/widgets/graph/GraphView.h"
#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

using bench::seconds;

struct Table {
    std::vector<double> x;
    std::vector<std::vector<double>> data;  // [point][set]
    std::vector<std::string> names;
};

Table lines(int points, int sets, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 1);
    Table t;
    for (int s = 0; s < sets; ++s) {
        t.names.push_back("Array " + std::to_string(s + 1));
    }
    for (int p = 0; p < points; ++p) {
        t.x.push_back(p + 1);
        std::vector<double> row;
        for (int s = 0; s < sets; ++s) {
            row.push_back(std::sin(p / 900.0 + s) * 3 + s + 0.2 * noise(rng) + 0.5);
        }
        t.data.push_back(row);
    }
    return t;
}

Table scores(int points, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 1);
    Table t;
    for (int p = 0; p < points; ++p) {
        const double a = 2.2 * noise(rng);
        t.x.push_back(a);
        t.data.push_back({0.55 * a + 0.6 * noise(rng)});
        t.names.push_back("probe_" + std::to_string(p + 1) + "_at");
    }
    return t;
}

double render(graphs::frmGraphics& window)
{
    const auto start = Clock::now();
    const QImage image = window.graph().toImage();
    (void)image;
    return seconds(start);
}

void save(graphs::frmGraphics& window, const std::string& folder, const char* name)
{
    QApplication::processEvents();
    const std::string path = folder + "/" + name;
    window.grab().save(QString::fromStdString(path));
    std::printf("picture %s\n", path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv, "[folder]\n  folder  where the pictures of the graphs are saved (none without it)\n");
    const std::string folder = args.done() ? std::string() : args.text("folder");
    args.finish();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    graphs::frmGraphics window;
    window.resize(1100, 750);
    window.show();
    QApplication::processEvents();

    {
        Table t = scores(32767, 11);
        std::vector<double> y;
        for (const auto& row : t.data) {
            y.push_back(row[0]);
        }
        std::string type = "SCATTER";
        const auto start = Clock::now();
        window.Graph2To3(t.x, y, 32767, "PC1", "PC2", type, true, true, nullptr);
        const double draw = seconds(start);
        const double paint = render(window);
        std::printf("scatter 32767 points: DrawGraph %.3f s, picture %.3f s, total %.3f s\n", draw, paint, draw + paint);
        auto t0 = Clock::now();
        const auto emf = window.graph().metafileBytes();
        std::printf("scatter 32767 points: metafile %.3f s (%lld bytes)\n", seconds(t0), static_cast<long long>(emf.size()));
        t0 = Clock::now();
        const auto svg = window.graph().svgBytes();
        std::printf("scatter 32767 points: SVG %.3f s (%lld bytes)\n", seconds(t0), static_cast<long long>(svg.size()));
    }
    {
        Table t = lines(16000, 20, 12);
        std::int32_t n = 16000;
        std::int32_t m = 20;
        std::string type = "LINE";
        const auto start = Clock::now();
        window.DrawGraph(t.x, t.data, n, m, "Locus", "Expression", type, &t.names, false, true, nullptr);
        const double draw = seconds(start);
        const double paint = render(window);
        std::printf("line 16000 x 20: DrawGraph %.3f s, picture %.3f s, total %.3f s\n", draw, paint, draw + paint);
    }

    if (!folder.empty()) {
        Table t = scores(400, 5);
        std::vector<double> y;
        for (const auto& row : t.data) {
            y.push_back(row[0]);
        }
        std::string type = "SCATTER";
        window.Graph2To3(t.x, y, 400, "PC1", "PC2", type, true, true, nullptr);
        window.action(QStringLiteral("StatBestFitMean"))->trigger();
        save(window, folder, "graph-scatter-fit.png");

        Table bars = lines(8, 4, 3);
        for (auto& row : bars.data) {
            for (double& v : row) {
                v = std::abs(v) + 1;
            }
        }
        std::int32_t n = 8;
        std::int32_t m = 4;
        type = "3DBAR";
        window.DrawGraph(bars.x, bars.data, n, m, "Time point", "Expression", type, &bars.names, false, false, nullptr);
        save(window, folder, "graph-3d-bar.png");

        Table polar;
        for (int p = 0; p <= 72; ++p) {
            const double angle = p * 5.0;
            polar.x.push_back(angle);
            polar.data.push_back({2 + std::cos(angle * M_PI / 60.0), 1.5 + std::sin(angle * M_PI / 90.0)});
        }
        polar.names = {"Clone A", "Clone B"};
        n = 73;
        m = 2;
        type = "POLAR";
        window.DrawGraph(polar.x, polar.data, n, m, "Phase (degrees)", "Amplitude", type, &polar.names, false, false,
                         nullptr);
        save(window, folder, "graph-polar.png");
    }
    return 0;
}
