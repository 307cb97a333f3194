#pragma once

// The Analysis menu's Clustering item of a main window, connected to the
// clustering dialog: the dialog reads the active document window's
// workbook, and a finished run plants its tree in that window's tree view
// and puts its report into the window's output view.

#include <string>

#include "analysis/ui/frmClusterOpt.h"

namespace platform::rt {
class RandomSource;
}
namespace shell {

class frmMDIChild;
class MainFrame;

// A document window as the dialog's target.
class DocumentClusterTarget final : public analysis::ClusterTarget {
public:
    explicit DocumentClusterTarget(frmMDIChild& window) : m_window(window) {}

    spreadsheet::Workbook& workbook() override;
    void setMyRootNode(std::unique_ptr<analysis::MyNode> root) override;
    // The report's CR LF line ends become the view's line breaks.
    void setOutputText(const std::string& text) override;

private:
    frmMDIChild& m_window;
};

// Gives the frame's Analysis, Clustering item its dialog. rng: the random
// source of the runs (null: the run-time's generator); it must outlive the
// frame's use of the item.
void InstallClusterDialog(MainFrame& frame, platform::rt::RandomSource* rng = nullptr);

} // namespace shell
