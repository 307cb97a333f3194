#include "analysis/ui/OrdinationRun.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

#include "analysis/MultiVar.h"
#include "analysis/ui/InputChecks.h"
#include "numeric/MatB.h"
#include "numeric/MathStat.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Value.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/mQuorin.h"
#include "shell/workbook/SSMDI1.h"

namespace analysis {

namespace {

std::size_t at(std::int64_t i) { return static_cast<std::size_t>(i); }

std::string inQuotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A cell's number: numbers and number texts; false for anything else.
bool numberOf(const spreadsheet::Value& v, double& out)
{
    if (v.isNumber()) {
        out = v.number();
        return true;
    }
    return v.isText() && spreadsheet::parseNumber(v.text(), out);
}

// The block of the active sheet that the range text names, read as values.
// "" when it is a block of at least 3 x 3 cells, else the refusal.
std::string readBlock(const spreadsheet::Workbook& book, const std::string& rangeText, spreadsheet::RangeRef& range,
                      spreadsheet::ValueTable& table)
{
    if (std::string refusal = InputRangeRefusal(rangeText, range); !refusal.empty()) {
        return refusal;
    }
    table = spreadsheet::ValueTable(range.rows(), range.cols());
    book.CopyDataToArray(book.Sheet(), range.firstRow, range.firstCol, range.lastRow, range.lastCol, true, table);
    return {};
}

// Empty value cells of the rows that the reading keeps.
std::int64_t emptyCells(const spreadsheet::ValueTable& table)
{
    std::int64_t empty = 0;
    for (std::int32_t i = 1; i < table.rows(); ++i) {
        if (table.at(i, 1).isEmpty() && table.at(i, 2).isEmpty()) {
            continue;
        }
        for (std::int32_t j = 1; j < table.cols(); ++j) {
            empty += table.at(i, j).isEmpty() ? 1 : 0;
        }
    }
    return empty;
}

// The whole number a count box holds (rounded, halves to even); nothing when
// it holds no number. A count beyond the 32-bit range, or beyond the range
// of a double, reads as the largest (or smallest) 32-bit count, for the
// callers to refuse or lower as a count that is too large.
std::optional<std::int32_t> countOf(const std::string& text)
{
    const platform::rt::FieldNumber n = platform::rt::ReadNumber(text);
    if (n.kind == platform::rt::FieldNumber::Kind::NotANumber) {
        return std::nullopt;
    }
    const double value = platform::rt::RoundHalfEven(n.value);
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

// `base` when no sheet has that name, else base followed by the smallest
// number from 2 that no sheet name takes.
std::string freeSheetName(const spreadsheet::Workbook& book, const std::string& base)
{
    auto taken = [&book](const std::string& name) {
        for (std::int32_t s = 1; s <= book.NumSheets(); ++s) {
            if (book.SheetName(s) == name) {
                return true;
            }
        }
        return false;
    };
    if (!taken(base)) {
        return base;
    }
    for (std::int32_t n = 2;; ++n) {
        const std::string name = base + std::to_string(n);
        if (!taken(name)) {
            return name;
        }
    }
}

void worksheetCheck(bool ok, const char* source)
{
    if (!ok) {
        throw platform::Error(platform::err::InvalidCall, source, "Worksheet error.");
    }
}

} // namespace

// ---- principal components ----------------------------------------------------

PCARun::PCARun(PCAChoice choice, mQuorin::ProgramState& state, numeric::Progress* progress)
    : m_choice(std::move(choice)), m_state(state), m_progress(progress)
{
}

std::string PCARun::ReadInput(const spreadsheet::Workbook& book)
{
    m_inputRead = false;
    m_finished = false;
    const PCAChoice& c = m_choice;
    if (c.hasMissing) {
        if (std::string refusal = MissingCodeRefusal(c.missingText); !refusal.empty()) {
            return refusal;
        }
    }
    const std::optional<std::int32_t> nPC = countOf(c.numPCText);
    if (!nPC || *nPC < 1) {
        return "The number of PC scores to keep must be a whole number of at least 1.";
    }
    if (platform::rt::ReadNumber(c.numPCText).isTooLarge()) {
        return "The number of PC scores to keep " + inQuotes(c.numPCText) +
               " is too large: a number can be at most " + platform::rt::LargestNumberText() +
               ". Please type a whole number of at least 1.";
    }
    m_nPC = *nPC;
    spreadsheet::RangeRef range;
    spreadsheet::ValueTable table;
    if (std::string refusal = readBlock(book, c.inRange, range, table); !refusal.empty()) {
        return refusal;
    }
    if (std::string refusal = TextCellRefusal(range, table, 1, 1, true, TextCellAdvice::NumberOrMissingCode);
        !refusal.empty()) {
        return refusal;
    }
    const std::int64_t empty = emptyCells(table);
    if (empty > 0 && !c.hasMissing) {
        return "The input range has " + std::to_string(empty) +
               " empty value cells. Please check \"Has missing value\" so that they are treated as missing "
               "values, or fill them.";
    }
    m_code = c.hasMissing ? platform::rt::Val(c.missingText) : PCADefaultMissingCode;

    std::vector<std::vector<double>> columns;
    std::vector<std::string> rowNames;
    std::vector<std::string> colNames;
    std::int32_t nRow = 0;
    std::int32_t nCol = 0;
    SSMDI1::Table2Mat(table, columns, rowNames, colNames, nRow, nCol, m_code, m_progress);
    if (nRow < 3) {
        return "At least 3 rows of data are needed for PCA; the input range holds " + std::to_string(nRow) + ".";
    }
    // A column with fewer than two values, or all of them equal, has no
    // variance: its correlations do not exist.
    for (std::int32_t j = 0; j < nCol; ++j) {
        std::int32_t present = 0;
        double first = 0;
        bool varies = false;
        for (std::int32_t i = 0; i < nRow; ++i) {
            const double x = columns[at(j)][at(i)];
            if (c.hasMissing && x == m_code) {
                continue;
            }
            if (present == 0) {
                first = x;
            } else if (x != first) {
                varies = true;
            }
            ++present;
        }
        if (present < 2) {
            return "The column " + inQuotes(colNames[at(j)]) + " has fewer than 2 values.";
        }
        if (!varies && c.useCorr) {
            return "The column " + inQuotes(colNames[at(j)]) +
                   " holds one value only, so its correlations do not exist. Please leave it out of the input "
                   "range or use the covariance matrix.";
        }
    }

    if (m_nPC > nCol) {
        // A count beyond the 32-bit range is named as typed.
        const std::string count = m_nPC == std::numeric_limits<std::int32_t>::max()
                                      ? platform::rt::CStr(platform::rt::ReadNumber(c.numPCText).value)
                                      : std::to_string(m_nPC);
        return "The number of PC scores to keep (" + count + ") cannot be larger than the number of variables (" +
               std::to_string(nCol) + ").";
    }
    // The analysis works on its own copy: the program's data set (what was
    // clustered, which the tree's expression plot reads) stays as it is.
    m_state.gDataReady = true;
    m_state.gMissingCode = m_code;
    m_rowNames = std::move(rowNames);
    m_colNames = std::move(colNames);
    m_data = numeric::Matrix(at(nRow), at(nCol));
    for (std::int32_t i = 0; i < nRow; ++i) {
        for (std::int32_t j = 0; j < nCol; ++j) {
            m_data(at(i), at(j)) = columns[at(j)][at(i)];
        }
    }
    m_inputRead = true;
    return {};
}

void PCARun::Compute()
{
    if (!m_inputRead) {
        throw platform::Error(platform::err::InvalidCall, "PCARun", "The input has not been read.");
    }
    m_finished = false;
    const std::optional<double> code = m_choice.hasMissing ? std::optional<double>(m_code) : std::nullopt;
    // DoPCA standardises its block in place with the correlation option: it
    // gets a copy, so that a second Compute starts from the values read.
    numeric::Matrix data = m_data;
    MultiVar::DoPCA(data, static_cast<std::int32_t>(m_data.rows()), static_cast<std::int32_t>(m_data.cols()),
                    m_rowNames, m_colNames, m_choice.useCorr, m_scores, m_nPC, m_evals, m_evecs, m_progress,
                    m_choice.standardScores, code, &m_report);
    m_finished = true;
}

void PCARun::WriteScores(spreadsheet::Workbook& book, std::int32_t sheet) const
{
    const auto n = static_cast<std::int32_t>(m_rowNames.size());
    spreadsheet::ValueTable table(n + 1, m_nPC + 1);
    for (std::int32_t j = 1; j <= m_nPC; ++j) {
        table.at(0, j) = spreadsheet::Value("PC " + std::to_string(j));
    }
    for (std::int32_t i = 1; i <= n; ++i) {
        table.at(i, 0) = spreadsheet::Value(m_rowNames[at(i - 1)]);
        for (std::int32_t j = 1; j <= m_nPC; ++j) {
            table.at(i, j) = spreadsheet::Value(m_scores(at(i - 1), at(j - 1)));
        }
    }
    book.CopyDataFromArray(sheet, 1, 1, n + 1, m_nPC + 1, false, table);
}

void PCARun::WriteScoresToNewSheet(spreadsheet::Workbook& book) const
{
    const std::int32_t sheet = book.Sheet();
    const std::string name = freeSheetName(book, "PCScore");
    book.InsertSheets(sheet, 1);
    WriteScores(book, sheet);
    book.setSheetName(sheet, name);
}

// ---- correspondence analysis --------------------------------------------------

CARun::CARun(CAChoice choice, mQuorin::ProgramState& state, numeric::Progress* progress)
    : m_choice(std::move(choice)), m_state(state), m_progress(progress)
{
}

std::string CARun::ReadInput(const spreadsheet::Workbook& book)
{
    m_inputRead = false;
    m_finished = false;
    const std::optional<std::int32_t> nAxis = countOf(m_choice.numAxisText);
    if (!nAxis || *nAxis < 1) {
        return "The number of axes to keep must be a whole number of at least 1.";
    }
    // More axes than the data have are lowered below; a count beyond the
    // range of a double is no number to lower.
    if (platform::rt::ReadNumber(m_choice.numAxisText).isTooLarge()) {
        return "The number of axes to keep " + inQuotes(m_choice.numAxisText) +
               " is too large: a number can be at most " + platform::rt::LargestNumberText() +
               ". Please type a whole number of at least 1.";
    }
    m_nAxis = *nAxis;
    spreadsheet::RangeRef range;
    spreadsheet::ValueTable table;
    if (std::string refusal = readBlock(book, m_choice.inRange, range, table); !refusal.empty()) {
        return refusal;
    }
    if (std::string refusal = TextCellRefusal(range, table, 1, 1, true, TextCellAdvice::Number); !refusal.empty()) {
        return refusal;
    }
    if (const std::int64_t empty = emptyCells(table); empty > 0) {
        return "The input range has " + std::to_string(empty) +
               " empty value cells. Correspondence analysis needs a count in every cell; please fill them.";
    }
    std::vector<std::vector<double>> matrix;
    std::vector<std::string> rowNames;
    std::vector<std::string> colNames;
    double smallest = 0;
    SSMDI1::Table2MatCA(table, matrix, rowNames, colNames, m_rows, m_cols, PCADefaultMissingCode, smallest,
                        m_progress);
    if (m_rows < 2 || m_cols < 2) {
        return "Correspondence analysis needs at least 2 rows and 2 columns of data.";
    }
    // Counts cannot be negative: a block with negative values (log-ratios,
    // for instance) is moved up as a whole so that its smallest value is 0.
    m_shift = smallest < 0 ? -smallest : 0.0;
    m_F = numeric::Matrix(at(m_rows), at(m_cols));
    std::vector<double> colSum(at(m_cols), 0.0);
    for (std::int32_t i = 0; i < m_rows; ++i) {
        double rowSum = 0;
        for (std::int32_t j = 0; j < m_cols; ++j) {
            const double x = matrix[at(i)][at(j)] + m_shift;
            m_F(at(i), at(j)) = x;
            rowSum += x;
            colSum[at(j)] += x;
        }
        if (rowSum <= 0) {
            return "The row " + inQuotes(rowNames[at(i)]) +
                   " sums to 0. Correspondence analysis needs every row and column to hold a count; please leave "
                   "it out of the input range.";
        }
    }
    for (std::int32_t j = 0; j < m_cols; ++j) {
        if (colSum[at(j)] <= 0) {
            return "The column " + inQuotes(colNames[at(j)]) +
                   " sums to 0. Correspondence analysis needs every row and column to hold a count; please leave "
                   "it out of the input range.";
        }
    }
    m_nAxis = std::min(m_nAxis, std::min(m_rows, m_cols) - 1);
    // The output sheet stacks its blocks in column A; a block whose sheet
    // would overflow is refused here, before the analysis runs.
    const std::int32_t needRows = CAOutputLayout::of(m_rows, m_cols, m_nAxis).lastRow;
    if (needRows > spreadsheet::kMaxRows) {
        // Each data row takes three sheet rows (M, the P eigenvectors, the row ordination).
        const std::int32_t fitRows = (spreadsheet::kMaxRows - CAOutputLayout::of(0, m_cols, m_nAxis).lastRow) / 3;
        return "The output of a correspondence analysis of " + std::to_string(m_rows) + " rows and " +
               std::to_string(m_cols) + " columns needs " + std::to_string(needRows) +
               " worksheet rows, and a worksheet holds " + std::to_string(spreadsheet::kMaxRows) +
               ". Please analyse at most " + std::to_string(std::max(fitRows, 0)) +
               " rows at a time.";
    }
    m_state.gDataReady = true;
    m_state.gMissingCode = PCADefaultMissingCode;
    m_rowNames = std::move(rowNames);
    m_colNames = std::move(colNames);
    m_inputRead = true;
    return {};
}

void CARun::Compute()
{
    if (!m_inputRead) {
        throw platform::Error(platform::err::InvalidCall, "CARun", "The input has not been read.");
    }
    m_finished = false;
    if (!MultiVar::RA(m_F, m_rows, m_cols, m_M, m_evals, m_U, m_V, m_rowOrd, m_colOrd, m_corr, m_progress)) {
        throw platform::Error(platform::err::InvalidCall, "RA", "The correspondence analysis did not finish.");
    }
    m_finished = true;
}

CAOutputLayout CAOutputLayout::of(std::int32_t rows, std::int32_t cols, std::int32_t nAxis)
{
    CAOutputLayout l;
    l.eigenvalues = rows + 5;
    l.eigenvectorsP = l.eigenvalues + 1 + nAxis + 2;
    l.rowOrdination = l.eigenvectorsP + 1 + rows + 1;
    l.eigenvectorsQ = l.rowOrdination + 1 + rows + 2;
    l.colOrdination = l.eigenvectorsQ + 1 + cols + 2;
    l.correlations = l.colOrdination + 1 + cols + 2;
    l.lastRow = l.correlations + nAxis;
    return l;
}

void CARun::WriteOutputSheet(spreadsheet::Workbook& book) const
{
    const std::int32_t sheets = book.NumSheets();
    const std::int32_t active = book.Sheet();
    try {
        writeOutput(book);
    } catch (...) {
        // No half-written sheet stays behind, and the sheet that was active
        // is active again.
        if (book.NumSheets() > sheets) {
            book.setNumSheets(sheets);
        }
        book.setSheet(active);
        throw;
    }
}

void CARun::writeOutput(spreadsheet::Workbook& book) const
{
    const std::string name = freeSheetName(book, "CA Output");
    worksheetCheck(SSMDI1::InsertSheet2End(book, 1), "InsertSheet2End");
    const std::int32_t sheet = book.NumSheets();
    book.setSheet(sheet);
    const std::int32_t r = m_rows;
    const std::int32_t c = m_cols;
    const std::int32_t k = m_nAxis;
    const CAOutputLayout at = CAOutputLayout::of(r, c, k);
    std::vector<std::string> header{""};
    for (std::int32_t a = 1; a <= k; ++a) {
        header.push_back("CA " + std::to_string(a));
    }
    auto title = [&](std::int32_t row, const std::string& text) {
        worksheetCheck(SSMDI1::OneStrLine2Sheet(book, sheet, row, 1, text), "OneStrLine2Sheet");
    };
    title(1, "Correspondence analysis");
    title(3, "M matrix:");
    worksheetCheck(SSMDI1::Mat2Sheet(book, sheet, m_M, r, c, 4, 1), "Mat2Sheet");
    title(at.eigenvalues, "The first " + std::to_string(k + 1) + " eigenvalues:");
    worksheetCheck(SSMDI1::Array2Sheet(book, sheet, m_evals, k + 1, at.eigenvalues + 1, 1), "Array2Sheet");
    title(at.eigenvectorsP, "The first " + std::to_string(k) + " eigenvectors for the P matrix (P = M*M'):");
    worksheetCheck(SSMDI1::Mat2Sheet(book, sheet, m_U, r, k, at.eigenvectorsP + 1, 1), "Mat2Sheet");
    title(at.rowOrdination, "Row ordination:");
    worksheetCheck(SSMDI1::Mat2SheetHeaderWithX(book, sheet, m_rowOrd, r, k + 1, m_rowNames, "", header,
                                                at.rowOrdination + 1, 1),
                   "Mat2SheetHeaderWithX");
    title(at.eigenvectorsQ, "The first " + std::to_string(k) + " eigenvectors for the Q matrix (P = M'*M):");
    worksheetCheck(SSMDI1::Mat2Sheet(book, sheet, m_V, c, k, at.eigenvectorsQ + 1, 1), "Mat2Sheet");
    title(at.colOrdination, "Column ordination:");
    worksheetCheck(SSMDI1::Mat2SheetHeaderWithX(book, sheet, m_colOrd, c, k + 1, m_colNames, "", header,
                                                at.colOrdination + 1, 1),
                   "Mat2SheetHeaderWithX");
    title(at.correlations, "Row-Column correlations:");
    worksheetCheck(SSMDI1::Array2Sheet(book, sheet, m_corr, k, at.correlations + 1, 1), "Array2Sheet");
    book.setSheetName(sheet, name);
}

void CARun::PlotPoints(std::vector<std::vector<double>>& coords, std::vector<std::string>& labels) const
{
    coords.assign(at(m_rows + m_cols), std::vector<double>(at(m_nAxis), 0.0));
    labels.assign(at(m_rows + m_cols), std::string());
    for (std::int32_t i = 0; i < m_rows; ++i) {
        labels[at(i)] = m_rowNames[at(i)];
        for (std::int32_t a = 1; a <= m_nAxis; ++a) {
            coords[at(i)][at(a - 1)] = m_rowOrd(at(i), at(a));
        }
    }
    for (std::int32_t j = 0; j < m_cols; ++j) {
        labels[at(m_rows + j)] = m_colNames[at(j)];
        for (std::int32_t a = 1; a <= m_nAxis; ++a) {
            coords[at(m_rows + j)][at(a - 1)] = m_colOrd(at(j), at(a));
        }
    }
}

// ---- correlation matrix -----------------------------------------------------------

CorrRun::CorrRun(CorrChoice choice, numeric::Progress* progress) : m_choice(std::move(choice)), m_progress(progress) {}

std::string CorrRun::ReadInput(const spreadsheet::Workbook& book)
{
    m_inputRead = false;
    m_finished = false;
    spreadsheet::RangeRef range;
    spreadsheet::ValueTable table;
    if (std::string refusal = readBlock(book, m_choice.inRange, range, table); !refusal.empty()) {
        return refusal;
    }
    const bool labels = m_choice.labels;
    const bool byCol = m_choice.varsInColumns;
    // With labels, the names are in row 0 (variables in columns) or column 0.
    const std::int32_t r0 = labels && byCol ? 1 : 0;
    const std::int32_t c0 = labels && !byCol ? 1 : 0;
    if (std::string refusal = TextCellRefusal(range, table, r0, c0, false, TextCellAdvice::Number);
        !refusal.empty()) {
        return refusal;
    }
    std::int64_t empty = 0;
    for (std::int32_t i = r0; i < table.rows(); ++i) {
        for (std::int32_t j = c0; j < table.cols(); ++j) {
            empty += table.at(i, j).isEmpty() ? 1 : 0;
        }
    }
    if (empty > 0) {
        return "The input range has " + std::to_string(empty) +
               " empty value cells. Correlations need a value in every cell; please fill them or narrow the range.";
    }
    const std::int32_t nr = table.rows() - r0;
    const std::int32_t nc = table.cols() - c0;
    numeric::Matrix block(at(nr), at(nc));
    for (std::int32_t i = 0; i < nr; ++i) {
        for (std::int32_t j = 0; j < nc; ++j) {
            double x = 0;
            (void)numberOf(table.at(i + r0, j + c0), x);
            block(at(i), at(j)) = x;
        }
    }
    m_names.clear();
    if (byCol) {
        m_X = block;
        m_obs = nr;
        m_vars = nc;
        for (std::int32_t j = 0; j < nc; ++j) {
            m_names.push_back(labels ? table.at(0, j).displayText() : "Col" + std::to_string(j + 1));
        }
    } else {
        m_X = numeric::Matrix(at(nc), at(nr));
        MatB::CopyVarBlock(block, nr, nc, m_X);
        m_obs = nc;
        m_vars = nr;
        for (std::int32_t i = 0; i < nr; ++i) {
            m_names.push_back(labels ? table.at(i, 0).displayText() : "Row" + std::to_string(i + 1));
        }
    }
    if (m_obs < 3) {
        return "At least 3 observations are needed for a correlation; the input range holds " +
               std::to_string(m_obs) + ".";
    }
    for (std::int32_t v = 0; v < m_vars; ++v) {
        bool varies = false;
        for (std::int32_t o = 1; o < m_obs && !varies; ++o) {
            varies = m_X(at(o), at(v)) != m_X(0, at(v));
        }
        if (!varies) {
            return "The variable " + inQuotes(m_names[at(v)]) +
                   " holds one value only, so its correlations do not exist. Please leave it out of the input range.";
        }
    }
    m_inputRead = true;
    return {};
}

void CorrRun::Compute()
{
    if (!m_inputRead) {
        throw platform::Error(platform::err::InvalidCall, "CorrRun", "The input has not been read.");
    }
    m_finished = false;
    m_R = numeric::Matrix(at(m_vars), at(m_vars));
    MathStat::GetCorrMat(m_X, m_R, m_obs, m_vars, m_progress);
    m_finished = true;
}

void CorrRun::WriteMatrix(spreadsheet::Workbook& book, std::int32_t sheet) const
{
    const std::int32_t n = m_vars;
    spreadsheet::ValueTable table(n + 1, n + 1);
    for (std::int32_t i = 1; i <= n; ++i) {
        table.at(i, 0) = spreadsheet::Value(m_names[at(i - 1)]);
        table.at(0, i) = spreadsheet::Value(m_names[at(i - 1)]);
    }
    for (std::int32_t i = 2; i <= n; ++i) {
        for (std::int32_t j = 1; j < i; ++j) {
            table.at(i, j) = spreadsheet::Value(m_R(at(i - 1), at(j - 1)));
        }
    }
    book.CopyDataFromArray(sheet, 1, 1, n + 1, n + 1, true, table);
}

void CorrRun::WriteToNewSheet(spreadsheet::Workbook& book) const
{
    const std::int32_t sheet = book.Sheet();
    book.InsertSheets(sheet, 1);
    WriteMatrix(book, sheet);
}

} // namespace analysis
