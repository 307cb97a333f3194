#pragma once

// ClusterRun: one run of the clustering dialog without its window: the
// choices read from the dialog's controls in, the report text and the cluster
// tree out.
//
// A run goes in stages, so that the dialog can guard each one (a failing
// stage may be retried; a stage that does not finish ends the run):
//   1. CheckChoice   refuses choices that cannot run (a missing-value code
//                    that is not a number or lies beyond the range of a
//                    double, a cluster count below 2). Without "Has missing
//                    value" the code box is not checked.
//   2. ReadInput     parses the range, copies that block of the active sheet
//                    and reads it into the program's data set (gDataMat with
//                    the time point first, gRowName, gColName, gNumRow,
//                    gNumCol, gMissingCode, gDataReady); empty cells take the
//                    code. Refuses a malformed or too small range (one past
//                    the sheet's last row or column with the sheet's size), a
//                    value cell holding text (named), fewer than
//                    2 loci, empty cells while "Has missing value" is not
//                    checked (they would be clustered as the number 9.999999),
//                    missing values for k-means, join and the map (which
//                    cannot skip them), and a cluster count above the loci.
//   3. Cluster       runs the method's route: distances and a hierarchical
//                    tree (methods 0 to 3), k-means or join (4, 5) or the
//                    self-organising map (6), and writes the report.
// A refusal is a message for the user; nothing has been computed when one
// is given. Errors of the cores are platform::Error and leave the run
// unfinished: no report and no tree are handed over.
//
// Report lines end in CR LF.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "analysis/MyNode.h"
#include "numeric/Progress.h"

namespace mQuorin {
class ProgramState;
}
namespace platform::rt {
class RandomSource;
}
namespace spreadsheet {
class Workbook;
}

namespace analysis {

// The methods in the order of the method list; the codes are list indices.
enum class ClusterMethod : std::int16_t {
    SingleLinkage = 0,
    CompleteLinkage = 1,
    AverageLinkage = 2,
    MinimumVariance = 3,
    KMean = 4,
    Join = 5,
    SOM = 6,
    Count
};
static_assert(static_cast<int>(ClusterMethod::Count) == 7, "the method list holds seven items");

// The list items as the dialog shows them (their spelling is the program's).
inline constexpr std::array<std::string_view, 7> MethodItems = {
    "Single linkage", "Complete Lingkage", "Average Lingkage", "Minimum variance clustering",
    "k_Mean-Hartigan", "Join-Hartigan",    "SOM: Self-organizing map"};
inline constexpr std::array<std::string_view, 8> IndexItems = {
    "Sum of squared diff.", "Euclidean Distance", "Manhattan Metric",    "Percentage Remoteness",
    "Chord Distance",       "Geodesic Metric",    "Pearson Correlation", "Spearman Correlation"};
inline constexpr std::array<std::string_view, 2> MapIndexItems = {"Euclid distance", "Absolute distance"};

// Default selections and values of the dialog.
inline constexpr int DefaultMethod = 2;
inline constexpr int DefaultIndex = 7;
inline constexpr double DefaultMissingCode = 9.999999;

[[nodiscard]] constexpr bool isHierarchical(int method) noexcept { return method >= 0 && method <= 3; }
[[nodiscard]] constexpr bool isPartition(int method) noexcept { return method == 4 || method == 5; }

// What the dialog's controls hold when OK is pressed.
struct ClusterChoice {
    std::string inRange;             // txtInRange, e.g. "$A$1:$F$101"
    int method = DefaultMethod;      // cboClusterMethod
    int index = DefaultIndex;        // cboIndex (0 or 1 for the map)
    bool hasMissing = false;         // chkMissing
    std::string missingText = "9.999999";  // txtMissing
    bool showMatrix = false;         // chkOutMat (hierarchical methods)
    std::int32_t count = 0;          // clusters (k-means, join) or map nodes
};

// The report name of a distance index (0 to 7) with or without a
// missing-value code, and of a map metric (0 or 1).
[[nodiscard]] std::string_view DistanceReportName(int index, bool withMissingCode);
[[nodiscard]] std::string_view MapDistanceReportName(int index);
// The report line of a method (empty for the map, which writes its own).
[[nodiscard]] std::string_view MethodReportLine(int method);

// The title line of every report.
inline constexpr std::string_view ReportTitle = "Cluster analysis";

class ClusterRun {
public:
    // state: the program's data set, overwritten by ReadInput. progress and
    // rng may be null (no progress shown; the run-time's generator).
    ClusterRun(ClusterChoice choice, mQuorin::ProgramState& state, numeric::Progress* progress = nullptr,
               platform::rt::RandomSource* rng = nullptr);

    // Stage 1: "" when the choice can run, else the message.
    [[nodiscard]] std::string CheckChoice() const;
    // Stage 2: "" when the block was read and can be clustered, else the
    // message. A value cell that is not a number (a text such as "NA") is
    // refused naming the cell and its text.
    [[nodiscard]] std::string ReadInput(const spreadsheet::Workbook& book);
    // Stage 3: the route. Error 5 when called before a successful ReadInput.
    void Cluster();

    [[nodiscard]] bool inputRead() const noexcept { return m_inputRead; }
    [[nodiscard]] bool finished() const noexcept { return m_root != nullptr; }
    [[nodiscard]] const ClusterChoice& choice() const noexcept { return m_choice; }
    // After Cluster: the report and the tree (the tree is handed over once).
    [[nodiscard]] const std::string& report() const noexcept { return m_report; }
    [[nodiscard]] std::unique_ptr<MyNode> takeTree() { return std::move(m_root); }

private:
    void startReport(std::string_view distanceLine);
    void hierarchical();
    void partition();
    void map();

    ClusterChoice m_choice;
    mQuorin::ProgramState& m_state;
    numeric::Progress* m_progress;
    platform::rt::RandomSource* m_rng;
    double m_code = DefaultMissingCode;
    bool m_inputRead = false;
    std::string m_report;
    std::unique_ptr<MyNode> m_root;
};

} // namespace analysis
