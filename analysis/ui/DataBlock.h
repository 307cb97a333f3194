#pragma once

// DataBlock: the data block of the active worksheet as the analysis dialogs
// load it: selected first, its size checked by the dialog, then its range
// text shown in the dialog's input range box. Each step runs guarded, so that
// a failure goes to the error reporter (Abort, Retry, Ignore).

#include <cstdint>
#include <optional>
#include <string>

namespace platform {
class Guard;
}
namespace spreadsheet {
class Workbook;
}

namespace analysis {

struct DataBlock {
    std::int32_t rows = 0;  // the last row, the label row included
    std::int32_t cols = 0;  // the last column, the label column included

    // Selects the block of the active sheet of `book` (from A1, labels
    // included) as a step of `g`. Nothing when the step did not finish or the
    // sheet holds no data.
    [[nodiscard]] static std::optional<DataBlock> select(spreadsheet::Workbook& book, platform::Guard& g);
    // The block's range text ("$A$1:$F$31") as a step of `g`; "" when the
    // step did not finish.
    [[nodiscard]] std::string range(platform::Guard& g) const;
};

} // namespace analysis
