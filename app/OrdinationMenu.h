#pragma once

// The Analysis menu's PCA, CA and Correlation items of a main window,
// connected to their dialogs. Each dialog is shown modeless on the active
// document window; choosing the item again while it is open brings it to the
// front. Score plots go to the program's graph window.

#include <memory>
#include <string>
#include <vector>

#include "analysis/ui/OrdinationDialogs.h"

namespace shell {

class MainFrame;

// The main window's active document window and the graph window as the
// dialogs' target.
class FrameOrdinationTarget final : public analysis::OrdinationTarget {
public:
    explicit FrameOrdinationTarget(MainFrame& frame) : m_frame(frame) {}

    spreadsheet::Workbook& workbook() override;
    spreadsheet::Workbook& newWorkbook() override;
    void setOutputText(const std::string& text) override;
    void plot(const std::vector<double>& x, const std::vector<double>& y, const std::string& xTitle,
              const std::string& yTitle, const std::vector<std::string>& labels) override;

private:
    MainFrame& m_frame;
};

// Gives the frame's Analysis, PCA, CA and Correlation items their dialogs.
void InstallOrdinationDialogs(MainFrame& frame);

} // namespace shell
