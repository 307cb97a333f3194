#include "analysis/ui/ClusterRun.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/DistanceMatrix.h"
#include "analysis/Geometry.h"
#include "analysis/SOM.h"
#include "analysis/UPGMA.h"
#include "analysis/ui/InputChecks.h"
#include "analysis/mCluster.h"
#include "numeric/FormatMatrix.h"
#include "numeric/MatB.h"
#include "numeric/Matrix.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Value.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/workbook/SSMDI1.h"
#include "shell/core/StrUtil.h"
#include "shell/core/mQuorin.h"

namespace analysis {

namespace {

constexpr std::string_view CrLf = "\r\n";

constexpr std::array<std::string_view, 8> NamesWithoutCode = {
    "Sum of squared difference", "Euclidean distance", "Manhattan metric",   "Percentage remoteness",
    "Chord distance",            "Geodesic distance",  "Pearson correlation", "Spearman correlation"};
constexpr std::array<std::string_view, 8> NamesWithCode = {
    "Sum of squared difference", "Euclidean distance", "Manhattan metric",
    "Percentage remoteness",     "Chord distance",     "Geodesic distance",
    "Pearson correlation, i.e., (1 - r)", "Spearman correlation, i.e., (1 - Rs)"};
constexpr std::array<std::string_view, 2> MapNames = {"Euclidean distance", "Absolute distance"};
constexpr std::array<std::string_view, 7> MethodLines = {
    "Clustering method: Single linkage.",
    "Clustering method: Complete linkage.",
    "Clustering method: Average linkage.",
    "Clustering method: Average linkage clustering.",
    "Clustering method: K-Mean clustering (Hartigan 1979).",
    "Clustering method: Join (Hartigan 1979).",
    ""};

// The explanation that follows the method line of k-means and join; "" marks
// an empty line.
constexpr std::array<std::string_view, 14> PartitionLines = {
    "The quality of a K-mean clustering analysis is measured in two ways:",
    "1. For each cluster, the deviation of each point from its cluster centroid is",
    "   squared and summed, and the sum of squared deviations is then square-rooted",
    "   and devided by the number of elements in the cluster. This is called",
    "   the local error, or just ERROR, and essentially measures how compact each",
    "   cluster is. A large value implies a heterogeneous cluster.",
    "",
    "2. An overall measure, or global error, is obtained by summing the squared",
    "   deviations for all clusters and the sum is then square-rooted.",
    "",
    "In both cases, the error is the average Euclidean distance.",
    "",
    "Cluster    Size       ERROR",
    "-----------------------------------"};

constexpr std::string_view Unsettled1 = "Some data points failed to stablize in one cluster, i.e., they oscillate";
constexpr std::string_view Unsettled2 = "between two neighboring clusters.";

std::size_t at(std::int32_t i) { return static_cast<std::size_t>(i); }

// gDataMat (time point first) as a matrix of time points x loci.
numeric::Matrix timeByLocus(const mQuorin::ProgramState& s)
{
    numeric::Matrix m(at(s.gNumCol), at(s.gNumRow));
    for (std::int32_t c = 0; c < s.gNumCol; ++c) {
        for (std::int32_t r = 0; r < s.gNumRow; ++r) {
            m(at(c), at(r)) = s.gDataMat[at(c)][at(r)];
        }
    }
    return m;
}

} // namespace

std::string_view DistanceReportName(int index, bool withMissingCode)
{
    if (index < 0 || index > 7) {
        throw platform::Error::runtime(platform::err::InvalidCall, "DistanceReportName");
    }
    return withMissingCode ? NamesWithCode[at(index)] : NamesWithoutCode[at(index)];
}

std::string_view MapDistanceReportName(int index)
{
    if (index < 0 || index > 1) {
        throw platform::Error::runtime(platform::err::InvalidCall, "MapDistanceReportName");
    }
    return MapNames[at(index)];
}

std::string_view MethodReportLine(int method)
{
    if (method < 0 || method > 6) {
        throw platform::Error::runtime(platform::err::InvalidCall, "MethodReportLine");
    }
    return MethodLines[at(method)];
}

ClusterRun::ClusterRun(ClusterChoice choice, mQuorin::ProgramState& state, numeric::Progress* progress,
                       platform::rt::RandomSource* rng)
    : m_choice(std::move(choice)), m_state(state), m_progress(progress), m_rng(rng)
{
}

std::string ClusterRun::CheckChoice() const
{
    const ClusterChoice& c = m_choice;
    if (c.method < 0 || c.method > 6) {
        return "Please choose a cluster method.";
    }
    const int indexCount = c.method == 6 ? 2 : 8;
    if (c.index < 0 || c.index >= indexCount) {
        return "Please choose a distance index.";
    }
    if (c.hasMissing) {
        if (std::string refusal = MissingCodeRefusal(c.missingText); !refusal.empty()) {
            return refusal;
        }
    }
    if ((isPartition(c.method) || c.method == 6) && c.count < 2) {
        return c.method == 6 ? "The number of nodes in SOM needs to be at least 2."
                             : "The number of clusters needs to be at least 2.";
    }
    return {};
}

std::string ClusterRun::ReadInput(const spreadsheet::Workbook& book)
{
    m_inputRead = false;
    m_root.reset();
    m_report.clear();
    const ClusterChoice& c = m_choice;

    if (c.hasMissing) {
        if (std::string refusal = MissingCodeRefusal(c.missingText); !refusal.empty()) {
            return refusal;
        }
    }
    spreadsheet::RangeRef range;
    if (std::string refusal = InputRangeRefusal(c.inRange, range); !refusal.empty()) {
        return refusal;
    }
    // The code is what the box holds; without "Has missing value" it only
    // fills empty cells, which are refused below, and the hidden box is read
    // only when it holds a usable number.
    const platform::rt::FieldNumber typedCode = platform::rt::ReadNumber(c.missingText);
    m_code = typedCode.isNumber() ? typedCode.value : DefaultMissingCode;

    spreadsheet::ValueTable table(range.rows(), range.cols());
    book.CopyDataToArray(book.Sheet(), range.firstRow, range.firstCol, range.lastRow, range.lastCol, true, table);

    // A value cell holding text ("NA", say) is named, so that the user can
    // fix it and press OK again; rows that the reading drops (their first
    // two value cells empty) are not looked at.
    if (std::string refusal = TextCellRefusal(range, table, 1, 1, true, TextCellAdvice::NumberOrMissingCode);
        !refusal.empty()) {
        return refusal;
    }

    // Empty value cells of rows that hold any value.
    std::int64_t empty = 0;
    for (std::int32_t i = 1; i < table.rows(); ++i) {
        std::int64_t rowEmpty = 0;
        for (std::int32_t j = 1; j < table.cols(); ++j) {
            rowEmpty += table.at(i, j).isEmpty() ? 1 : 0;
        }
        if (rowEmpty < table.cols() - 1) {
            empty += rowEmpty;
        }
    }

    m_state.gDataReady = true;
    m_state.gMissingCode = m_code;
    SSMDI1::Table2Mat(table, m_state.gDataMat, m_state.gRowName, m_state.gColName, m_state.gNumRow, m_state.gNumCol,
                      m_code, m_progress);

    const std::int32_t loci = m_state.gNumRow;
    if (loci < 2) {
        return "At least 2 loci (rows with data) are needed for clustering; the input range holds " +
               std::to_string(loci) + ".";
    }
    if (empty > 0 && !c.hasMissing) {
        return "The input range has " + std::to_string(empty) +
               " empty value cells. Please check \"Has missing value\" so that they are treated as missing "
               "values, or fill them.";
    }
    if (isPartition(c.method) || c.method == 6) {
        std::int64_t missing = 0;
        if (c.hasMissing) {
            for (const auto& column : m_state.gDataMat) {
                for (std::int32_t r = 0; r < loci; ++r) {
                    missing += column[at(r)] == m_code ? 1 : 0;
                }
            }
        }
        if (missing > 0) {
            return std::string(MethodItems[at(c.method)]) + " cannot skip missing values, and the input range has " +
                   std::to_string(missing) +
                   " of them. Please choose a hierarchical method or fill the missing values.";
        }
        if (isPartition(c.method) && c.count > loci) {
            return "The number of clusters (" + std::to_string(c.count) +
                   ") cannot be larger than the number of loci (" + std::to_string(loci) + ").";
        }
    }
    m_inputRead = true;
    return {};
}

void ClusterRun::startReport(std::string_view distanceLine)
{
    m_report.clear();
    m_report.append(ReportTitle).append(CrLf);
    m_report.append(CrLf);
    m_report.append("Number of loci: ").append(platform::rt::CStr(m_state.gNumRow)).append(CrLf);
    m_report.append("Number of time points: ").append(platform::rt::CStr(m_state.gNumCol)).append(CrLf);
    if (m_choice.hasMissing) {
        m_report.append("Missing value = ").append(platform::rt::CStr(m_code)).append(CrLf);
    } else {
        m_report.append("No missing value specified.").append(CrLf);
    }
    m_report.append("Distance: ").append(distanceLine).append(CrLf);
}

void ClusterRun::Cluster()
{
    if (!m_inputRead) {
        throw platform::Error(platform::err::InvalidCall, "ClusterRun", "The input has not been read.");
    }
    m_root.reset();
    if (isHierarchical(m_choice.method)) {
        hierarchical();
    } else if (isPartition(m_choice.method)) {
        partition();
    } else {
        map();
    }
}

void ClusterRun::hierarchical()
{
    const ClusterChoice& c = m_choice;
    const std::int32_t loci = m_state.gNumRow;
    startReport(DistanceReportName(c.index, c.hasMissing));

    // The loci are the columns of the time-point-first matrix.
    const numeric::Matrix data = timeByLocus(m_state);
    DistanceMatrix distances;
    const Geometry::Missing missing = c.hasMissing ? Geometry::Missing(m_code) : std::nullopt;
    // Methods 0 to 2 are the update rules; minimum variance runs average linkage.
    const auto rule = static_cast<std::int16_t>(c.method == 3 ? 2 : c.method);
    std::unique_ptr<analysis::MyNode> root;
    if (c.showMatrix) {
        // The matrix is shown in locus order; the tree builder moves it into
        // its visiting order.
        Geometry::DisMatByIndex(static_cast<std::int16_t>(c.index), data, m_state.gNumCol, loci, true, distances,
                                m_progress, missing);
        m_report.append("Distance matrix:").append(CrLf);
        m_report.append(FormatMatrix::FormatDistMat(distances.toSquare(), loci, m_state.gRowName, m_progress, 3));
        m_report.append(CrLf);
        root = UPGMA::BuildUpgmaTree(std::move(distances), loci, rule, m_state.gRowName, rule != 0, m_progress, m_rng);
    } else {
        // The visiting order is drawn first and the distances computed in
        // it, so that the matrix needs no moving.
        const std::vector<std::int32_t> order = UPGMA::DrawVisitingOrder(loci, rule != 0, m_rng);
        Geometry::DisMatInOrder(static_cast<std::int16_t>(c.index), data, m_state.gNumCol, loci, true, order,
                                distances, m_progress, missing);
        root = UPGMA::BuildUpgmaTreeInOrder(std::move(distances), loci, rule, m_state.gRowName, order, m_progress);
    }
    m_report.append(MethodReportLine(c.method)).append(CrLf);
    m_root = std::move(root);
}

void ClusterRun::partition()
{
    const ClusterChoice& c = m_choice;
    // Spearman's rank correlation has no group-mean form: Pearson's stands in.
    const int index = c.index == 7 ? 6 : c.index;
    startReport(DistanceReportName(index, c.hasMissing));

    const std::int32_t loci = m_state.gNumRow;
    const std::int32_t points = m_state.gNumCol;
    const numeric::Matrix data = MatB::Var2DblMat(timeByLocus(m_state), points, loci);
    std::vector<std::int32_t> group;
    std::vector<std::int32_t> sizes;
    std::vector<double> errors;
    const auto distIndex = static_cast<std::uint8_t>(index);
    const std::optional<double> code = c.hasMissing ? std::optional<double>(m_code) : std::nullopt;
    const bool settled =
        c.method == 4
            ? mCluster::KMeanClustering(data, points, loci, c.count, distIndex, group, sizes, errors, m_progress, code)
            : mCluster::JoinClustering(data, points, loci, c.count, distIndex, group, sizes, errors, c.hasMissing,
                                       m_progress, m_code);

    std::string text(MethodReportLine(c.method));
    text.append(CrLf);
    for (std::string_view line : PartitionLines) {
        text.append(line).append(CrLf);
    }
    for (std::int32_t k = 0; k < c.count; ++k) {
        text.append(StrUtil::FormatNumRight(k + 1, 7, 0))
            .append(StrUtil::FormatNumRight(sizes[at(k)], 8, 0))
            .append(StrUtil::FormatNumRight(errors[at(k)], 12, 3))
            .append(CrLf);
    }
    text.append("-----------------------------------").append(CrLf);
    text.append("Global error:").append(StrUtil::FormatNumRight(errors[at(c.count)], 14, 3)).append(CrLf);
    text.append(CrLf);
    if (!settled) {
        text.append(CrLf).append(Unsettled1).append(CrLf).append(Unsettled2).append(CrLf);
    }
    auto root = mCluster::BuildKMeanTree(group, loci, m_state.gRowName, c.count, errors);
    m_report += text;
    m_root = std::move(root);
}

void ClusterRun::map()
{
    const ClusterChoice& c = m_choice;
    startReport(MapDistanceReportName(c.index));

    const std::int32_t loci = m_state.gNumRow;
    const std::int32_t points = m_state.gNumCol;
    const numeric::Matrix data = MatB::Var2DblMat(timeByLocus(m_state), points, loci);
    std::vector<std::int32_t> group;
    std::vector<double> fit;
    std::vector<std::int32_t> sizes;
    std::int32_t clusters = 0;
    std::string report;
    const std::optional<double> code = c.hasMissing ? std::optional<double>(m_code) : std::nullopt;
    const bool settled = SOM::SOMClustering(data, loci, points, 0.9, 0.01, 40, static_cast<std::uint8_t>(c.index + 1),
                                            c.count, group, clusters, fit, sizes, report, m_progress, m_rng, code);
    if (!settled) {
        report.append(CrLf).append(Unsettled1).append(CrLf).append(Unsettled2).append(CrLf);
    }
    // The map numbers its occupied nodes as clusters 0 .. clusters - 1.
    auto root = mCluster::BuildSOMTree(group, loci, m_state.gRowName, clusters, fit);
    m_report = std::move(report);
    m_root = std::move(root);
}

} // namespace analysis
