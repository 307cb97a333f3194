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
//               for correlations; for correspondence analysis zero row or
//               column sums (after a block with negative values has been
//               moved up so that its smallest value is 0) and a block whose
//               output does not fit one worksheet; a value cell holding
//               text (named by its cell); a count or missing-value code that
//               is not a number or lies beyond the range of a double.
// The runs keep their blocks, names and results to themselves: the
// program's data set (gDataMat, gRowName, gColName, gNumRow, gNumCol: what
// was clustered) is neither replaced nor changed.
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
    [[nodiscard]] const std::vector<std::string>& rowNames() const noexcept { return m_rowNames; }

private:
    PCAChoice m_choice;
    mQuorin::ProgramState& m_state;
    numeric::Progress* m_progress;
    double m_code = PCADefaultMissingCode;
    std::int32_t m_nPC = 0;
    bool m_inputRead = false;
    bool m_finished = false;
    std::string m_report;
    std::vector<std::string> m_rowNames;
    std::vector<std::string> m_colNames;
    numeric::Matrix m_data;  // the block as read
    numeric::Matrix m_scores;
    std::vector<double> m_evals;
    numeric::Matrix m_evecs;
};

// ---- correspondence analysis --------------------------------------------------

// The sheet rows on which the output blocks of a correspondence analysis of
// rows x cols data values with nAxis axes kept put their titles (each block
// follows its title), and the last row written.
struct CAOutputLayout {
    std::int32_t eigenvalues = 0;
    std::int32_t eigenvectorsP = 0;
    std::int32_t rowOrdination = 0;
    std::int32_t eigenvectorsQ = 0;
    std::int32_t colOrdination = 0;
    std::int32_t correlations = 0;
    std::int32_t lastRow = 0;
    [[nodiscard]] static CAOutputLayout of(std::int32_t rows, std::int32_t cols, std::int32_t nAxis);
};

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
    // active sheet and writes the whole result on it. When a write fails the
    // sheet is removed again and the active sheet restored before the error
    // passes on.
    void WriteOutputSheet(spreadsheet::Workbook& book) const;

    [[nodiscard]] bool inputRead() const noexcept { return m_inputRead; }
    [[nodiscard]] bool finished() const noexcept { return m_finished; }
    // The axes kept (lowered to the smaller data dimension minus 1).
    [[nodiscard]] std::int32_t nAxis() const noexcept { return m_nAxis; }
    [[nodiscard]] std::int32_t rows() const noexcept { return m_rows; }
    [[nodiscard]] std::int32_t cols() const noexcept { return m_cols; }
    // What was added to every value (the absolute value of a negative
    // minimum; 0 when no value is negative).
    [[nodiscard]] double shift() const noexcept { return m_shift; }
    [[nodiscard]] const numeric::Matrix& M() const noexcept { return m_M; }
    [[nodiscard]] const std::vector<double>& eigenvalues() const noexcept { return m_evals; }
    [[nodiscard]] const numeric::Matrix& rowOrdination() const noexcept { return m_rowOrd; }
    [[nodiscard]] const numeric::Matrix& colOrdination() const noexcept { return m_colOrd; }
    [[nodiscard]] const std::vector<double>& correlations() const noexcept { return m_corr; }
    // The plot's points: the rows, then the columns; coordinate k - 1 is axis k.
    void PlotPoints(std::vector<std::vector<double>>& coords, std::vector<std::string>& labels) const;

private:
    void writeOutput(spreadsheet::Workbook& book) const;

    CAChoice m_choice;
    mQuorin::ProgramState& m_state;
    numeric::Progress* m_progress;
    std::int32_t m_nAxis = 0;
    std::int32_t m_rows = 0;
    std::int32_t m_cols = 0;
    double m_shift = 0;
    bool m_inputRead = false;
    bool m_finished = false;
    std::vector<std::string> m_rowNames;
    std::vector<std::string> m_colNames;
    numeric::Matrix m_F;  // the block as analysed (shifted)
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
