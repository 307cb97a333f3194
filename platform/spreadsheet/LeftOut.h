#pragma once

// What reading a file left out because a sheet holds only 16,384 rows and
// 256 columns: files made elsewhere (an .xls file of up to 65,536 rows,
// delimited text of any length) are read as far as a sheet reaches, and the
// user is told what did not fit.

#include <string>
#include <vector>

namespace spreadsheet {

struct LeftOut {
    std::string sheet;     // the sheet's name
    bool rows = false;     // cells after row 16,384
    bool columns = false;  // cells after column 256
};

// The sentences that tell the user, one per line (CR LF between), rows
// before columns, sheet by sheet: "Rows after 16,384 of sheet Data were not
// loaded: a sheet holds 16,384 rows." Empty when nothing was left out.
[[nodiscard]] std::string leftOutMessage(const std::vector<LeftOut>& leftOut);

} // namespace spreadsheet
