#pragma once

// The runs of the principal component, correspondence analysis and
// correlation dialogs without their windows: the choices read from the
// controls in, the report, the result matrices and the output sheets out.
//
// Each run goes in stages so that its dialog can guard each one:
//   ReadInput   parses the range and reads that block of the active sheet.
//               A refusal (the returned message) means nothing was computed:
//               a block below 3 x 3 cells (labels included), empty value
//               cells where the method cannot skip them, a constant column
//               for correlations, negative counts and zero row or column
//               sums for correspondence analysis. A value cell holding text
//               is error 13 naming the sheet and the cell.
//   Compute     the analysis.
//   Write...    the result into a workbook.
// Report lines end in CR LF.

#include <cstdint>
#include <string>
#include <vector>

#include "numeric/Matrix.h"
#include "numeric/Progress.h"

namespace mQuorin {
class ProgramState;
}
namespace spreadsheet {
class Workbook;
}

namespace analysis {

// Where a dialog writes its table.
enum class OrdinationOutput { None, NewSheet, NewBook };

inline constexpr double PCADefaultMissingCode = 9.999999;

// ---- principal components ----------------------------------------------------

struct PCAChoice {
    std::string inRange;                 // txtInRange
    bool hasMissing = true;              // chkMissing
    std::string missingText = "9.999999";  // txtMissing
    bool useCorr = true;                 // optCorr (else optCov)
    std::string numPCText = "3";         // txtNumPC
    bool standardScores = false;         // chkStdPCScore
};

class PCARun {
public:
    PCARun(PCAChoice choice, mQuorin::ProgramState& state, numeric::Progress* progress = nullptr);

    [[nodiscard]] std::string ReadInput(const spreadsheet::Workbook& book);
    void Compute();
    // The scores with "PC j" across row 1 and the row names down column A,
    // from A1 of `sheet` (the sheet must exist).
    void WriteScores(spreadsheet::Workbook& book, std::int32_t sheet) const;
    // A new sheet "PCScore" inserted at the active sheet's place, the scores on it.
    void WriteScoresToNewSheet(spreadsheet::Workbook& book) const;

    [[nodiscard]] bool inputRead() const noexcept { return m_inputRead; }
    [[nodiscard]] bool finished() const noexcept { return m_finished; }
    [[nodiscard]] std::int32_t nPC() const noexcept { return m_nPC; }
    [[nodiscard]] const std::string& report() const noexcept { return m_report; }
    [[nodiscard]] const numeric::Matrix& scores() const noexcept { return m_scores; }
    [[nodiscard]] const std::vector<double>& eigenvalues() const noexcept { return m_evals; }
    [[nodiscard]] const numeric::Matrix& eigenvectors() const noexcept { return m_evecs; }

private:
    PCAChoice m_choice;
    mQuorin::ProgramState& m_state;
    numeric::Progress* m_progress;
    double m_code = PCADefaultMissingCode;
    std::int32_t m_nPC = 0;
    bool m_inputRead = false;
    bool m_finished = false;
    std::string m_report;
    numeric::Matrix m_data;
    numeric::Matrix m_scores;
    std::vector<double> m_evals;
    numeric::Matrix m_evecs;
};

// ---- correspondence analysis --------------------------------------------------

struct CAChoice {
    std::string inRange;            // txtInRange
    std::string numAxisText = "2";  // txtNumAxis
};

class CARun {
public:
    CARun(CAChoice choice, mQuorin::ProgramState& state, numeric::Progress* progress = nullptr);

    [[nodiscard]] std::string ReadInput(const spreadsheet::Workbook& book);
    void Compute();
    // Appends the sheet "CA Output" at the end of the workbook, makes it the
    // active sheet and writes the whole result on it.
    void WriteOutputSheet(spreadsheet::Workbook& book) const;

    [[nodiscard]] bool inputRead() const noexcept { return m_inputRead; }
    [[nodiscard]] bool finished() const noexcept { return m_finished; }
    // The axes kept (lowered to the smaller data dimension minus 1).
    [[nodiscard]] std::int32_t nAxis() const noexcept { return m_nAxis; }
    [[nodiscard]] std::int32_t rows() const noexcept { return m_rows; }
    [[nodiscard]] std::int32_t cols() const noexcept { return m_cols; }
    [[nodiscard]] const numeric::Matrix& M() const noexcept { return m_M; }
    [[nodiscard]] const std::vector<double>& eigenvalues() const noexcept { return m_evals; }
    [[nodiscard]] const numeric::Matrix& rowOrdination() const noexcept { return m_rowOrd; }
    [[nodiscard]] const numeric::Matrix& colOrdination() const noexcept { return m_colOrd; }
    [[nodiscard]] const std::vector<double>& correlations() const noexcept { return m_corr; }
    // The plot's points: the rows, then the columns; coordinate k - 1 is axis k.
    void PlotPoints(std::vector<std::vector<double>>& coords, std::vector<std::string>& labels) const;

private:
    CAChoice m_choice;
    mQuorin::ProgramState& m_state;
    numeric::Progress* m_progress;
    std::int32_t m_nAxis = 0;
    std::int32_t m_rows = 0;
    std::int32_t m_cols = 0;
    bool m_inputRead = false;
    bool m_finished = false;
    numeric::Matrix m_F;
    numeric::Matrix m_M;
    std::vector<double> m_evals;
    numeric::Matrix m_U;
    numeric::Matrix m_V;
    numeric::Matrix m_rowOrd;
    numeric::Matrix m_colOrd;
    std::vector<double> m_corr;
};

// ---- correlation matrix -----------------------------------------------------------

struct CorrChoice {
    std::string inRange;     // txtInRange
    bool labels = false;     // chkLabels
    bool varsInColumns = true;  // optVarCol (else optVarRow)
};

class CorrRun {
public:
    CorrRun(CorrChoice choice, numeric::Progress* progress = nullptr);

    [[nodiscard]] std::string ReadInput(const spreadsheet::Workbook& book);
    void Compute();
    // The lower triangle under a row of names and beside a column of names,
    // from A1 of `sheet`.
    void WriteMatrix(spreadsheet::Workbook& book, std::int32_t sheet) const;
    // A new sheet inserted at the active sheet's place, the matrix on it.
    void WriteToNewSheet(spreadsheet::Workbook& book) const;

    [[nodiscard]] bool inputRead() const noexcept { return m_inputRead; }
    [[nodiscard]] bool finished() const noexcept { return m_finished; }
    [[nodiscard]] const std::vector<std::string>& names() const noexcept { return m_names; }
    [[nodiscard]] const numeric::Matrix& R() const noexcept { return m_R; }

private:
    CorrChoice m_choice;
    numeric::Progress* m_progress;
    bool m_inputRead = false;
    bool m_finished = false;
    std::int32_t m_obs = 0;
    std::int32_t m_vars = 0;
    numeric::Matrix m_X;
    numeric::Matrix m_R;
    std::vector<std::string> m_names;
};

} // namespace analysis
