#include "graphs/ui/DrawChart.h"

#include <memory>

#include <QApplication>
#include <QEventLoop>

#include "graphs/Graphics.h"
#include "graphs/ui/frmChart.h"
#include "platform/widgets/chart/ChartView.h"
#include "platform/widgets/placement/WindowPlacement.h"

namespace graphs::Graphics {

namespace {

ModalRunner& runner()
{
    static ModalRunner r;
    return r;
}

void runModal(frmChart& window, const QWidget* frame)
{
    // The window opens inside the main window, whole, like a document window.
    platform::placeInsideWhenOpened(window, frame != nullptr ? frame : QApplication::activeWindow());
    if (runner()) {
        runner()(window);
        return;
    }
    QEventLoop loop;
    QObject::connect(&window, &frmChart::closed, &loop, &QEventLoop::quit);
    window.setWindowModality(Qt::ApplicationModal);
    window.show();
    loop.exec();
}

void showChart(platform::ChartModel chart, const QWidget* frame)
{
    const auto window = std::make_unique<frmChart>();
    window->MSChart1().setModel(std::move(chart));
    runModal(*window, frame);
}

} // namespace

void setModalRunner(ModalRunner r)
{
    runner() = std::move(r);
}

void DrawChart(std::span<const std::string> rowLabels, std::span<const std::string> columnLabels,
               const std::vector<std::vector<double>>& data, std::int32_t rows, std::int32_t columns,
               const std::string& xTitle, const std::string& zTitle, const std::string& yTitle, std::string& keyword,
               std::optional<double> missingCode, std::int16_t labelFlag)
{
    showChart(BuildChart(rowLabels, columnLabels, data, rows, columns, xTitle, zTitle, yTitle, keyword, missingCode,
                         labelFlag),
              nullptr);
}

void PlotExpressionProfiles(const std::vector<std::string>& timePoints, const std::vector<std::string>& loci,
                            const std::vector<std::vector<double>>& expression, const QWidget* frame)
{
    std::string keyword = "2DLINE";
    showChart(BuildChart(timePoints, loci, expression, static_cast<std::int32_t>(timePoints.size()),
                         static_cast<std::int32_t>(loci.size()), "Time", "Loci", "Expression", keyword, std::nullopt,
                         0),
              frame);
}

} // namespace graphs::Graphics
