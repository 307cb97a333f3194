#pragma once

// AnalysisTarget: what an analysis dialog needs of the active document
// window, whichever analysis it runs: the workbook it reads and the output
// view its report goes to. The clustering and ordination dialogs extend it
// with what they hand over besides (a tree, a new workbook, a plot), so that
// they depend on no window class of the shell.

#include <string>

namespace spreadsheet {
class Workbook;
}

namespace analysis {

class AnalysisTarget {
public:
    virtual ~AnalysisTarget() = default;
    // The active document window's workbook.
    [[nodiscard]] virtual spreadsheet::Workbook& workbook() = 0;
    // Replaces the text of the active document window's output view.
    virtual void setOutputText(const std::string& text) = 0;

protected:
    AnalysisTarget() = default;
    AnalysisTarget(const AnalysisTarget&) = default;
    AnalysisTarget& operator=(const AnalysisTarget&) = default;
};

} // namespace analysis
