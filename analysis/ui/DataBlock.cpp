#include "analysis/ui/DataBlock.h"

#include "platform/errors/Guard.h"
#include "shell/workbook/SSMDI1.h"

namespace analysis {

std::optional<DataBlock> DataBlock::select(spreadsheet::Workbook& book, platform::Guard& g)
{
    DataBlock block;
    bool selected = false;
    g.step([&] { selected = SSMDI1::SelectDataInActiveSheet(book, block.rows, block.cols); });
    if (!selected) {
        return std::nullopt;
    }
    return block;
}

std::string DataBlock::range(platform::Guard& g) const
{
    std::string text;
    g.step([&] { text = SSMDI1::RowCol2Range(1, 1, rows, cols); });
    return text;
}

} // namespace analysis
