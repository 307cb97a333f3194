#pragma once

// The graph window's drawn data, saved from the graph and written back, and
// the re-plot of a subset of its sets.
//
// SaveGraphData reads the counts, legend texts and values back from the
// graph; RestoreGraphData writes them again. Values keep double precision.
//
// GraphSubsets keeps the full data while a subset is shown: the first
// re-plot after a drawing (or after a restore) saves what the graph shows,
// and every later re-plot picks from that saved full data, so that Restore
// always brings back every set of the drawing however often the user
// re-plots. Restore with nothing saved leaves the graph as it is.

#include <string>
#include <vector>

namespace platform {
class GraphModel;
}

namespace graphs {

struct SavedGraphData {
    int numPoints = 0;
    int numSets = 0;
    std::vector<std::string> setNames;          // legend texts
    std::vector<std::vector<double>> values;    // [set][point]
};

[[nodiscard]] SavedGraphData SaveGraphData(const platform::GraphModel& graph);
void RestoreGraphData(platform::GraphModel& graph, const SavedGraphData& saved);

class GraphSubsets {
public:
    // Shows the sets at the given positions of the sets now shown (0-based,
    // in the order given); nothing happens for an empty choice. Positions
    // outside the shown sets raise error 9.
    void RePlot(platform::GraphModel& graph, const std::vector<int>& shownPositions);
    // Shows every set of the drawing again; false when nothing was saved.
    bool Restore(platform::GraphModel& graph);
    // A new drawing: the saved data no longer belongs to the graph.
    void reset();

    [[nodiscard]] bool isSubsetShown() const noexcept { return m_subsetShown; }
    [[nodiscard]] const SavedGraphData& saved() const noexcept { return m_saved; }
    // The sets last re-plotted: names and values [set][point].
    [[nodiscard]] const std::vector<std::string>& pickedSetNames() const noexcept { return m_pickedNames; }
    [[nodiscard]] const std::vector<std::vector<double>>& pickedValues() const noexcept { return m_pickedValues; }

private:
    SavedGraphData m_saved;
    bool m_hasSaved = false;
    bool m_subsetShown = false;
    std::vector<int> m_shown;  // position in the saved data of each shown set
    std::vector<std::string> m_pickedNames;
    std::vector<std::vector<double>> m_pickedValues;
};

} // namespace graphs
