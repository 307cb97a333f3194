#include "graphs/GraphData.h"

#include "platform/errors/Error.h"
#include "platform/widgets/graph/GraphModel.h"

namespace graphs {

SavedGraphData SaveGraphData(const platform::GraphModel& graph)
{
    SavedGraphData saved;
    saved.numPoints = graph.numPoints();
    saved.numSets = graph.numSets();
    for (int s = 0; s < saved.numSets; ++s) {
        saved.setNames.push_back(graph.legendText(s));
        saved.values.push_back(graph.setValues(s));
    }
    return saved;
}

void RestoreGraphData(platform::GraphModel& graph, const SavedGraphData& saved)
{
    graph.setCounts(saved.numSets, saved.numPoints);
    for (int s = 0; s < saved.numSets; ++s) {
        const auto si = static_cast<std::size_t>(s);
        graph.setLegendText(s, saved.setNames[si]);
        for (int p = 0; p < saved.numPoints; ++p) {
            graph.setValue(s, p, saved.values[si][static_cast<std::size_t>(p)]);
        }
    }
}

void GraphSubsets::RePlot(platform::GraphModel& graph, const std::vector<int>& shownPositions)
{
    if (shownPositions.empty()) {
        return;
    }
    if (!m_subsetShown) {
        m_saved = SaveGraphData(graph);
        m_hasSaved = true;
        m_shown.clear();
        for (int s = 0; s < m_saved.numSets; ++s) {
            m_shown.push_back(s);
        }
    }
    std::vector<int> chosen;
    for (int position : shownPositions) {
        if (position < 0 || static_cast<std::size_t>(position) >= m_shown.size()) {
            throw platform::Error::runtime(platform::err::Subscript, "cmdRePlot");
        }
        chosen.push_back(m_shown[static_cast<std::size_t>(position)]);
    }
    const int k = static_cast<int>(chosen.size());
    graph.setCounts(k, m_saved.numPoints);
    m_pickedNames.clear();
    m_pickedValues.clear();
    for (int s = 0; s < k; ++s) {
        const auto full = static_cast<std::size_t>(chosen[static_cast<std::size_t>(s)]);
        graph.setLegendText(s, m_saved.setNames[full]);
        for (int p = 0; p < m_saved.numPoints; ++p) {
            graph.setValue(s, p, m_saved.values[full][static_cast<std::size_t>(p)]);
        }
        m_pickedNames.push_back(m_saved.setNames[full]);
        m_pickedValues.push_back(m_saved.values[full]);
    }
    m_shown = std::move(chosen);
    m_subsetShown = true;
}

bool GraphSubsets::Restore(platform::GraphModel& graph)
{
    if (!m_hasSaved) {
        return false;
    }
    RestoreGraphData(graph, m_saved);
    m_subsetShown = false;
    m_shown.clear();
    return true;
}

void GraphSubsets::reset()
{
    m_saved = {};
    m_hasSaved = false;
    m_subsetShown = false;
    m_shown.clear();
    m_pickedNames.clear();
    m_pickedValues.clear();
}

} // namespace graphs
