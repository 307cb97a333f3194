#pragma once

// The question asked before a save in a type that would lose the given
// lines, as the tests expect it whole.

#include <string>
#include <vector>

#include "platform/spreadsheet/FileType.h"

namespace testsupport {

inline std::string unkeptQuestionText(spreadsheet::FileType type, const std::vector<std::string>& lines)
{
    const std::string name(spreadsheet::fileTypeName(type));
    std::string text = name + " does not keep everything this workbook holds. Saved in it, the workbook would lose:";
    for (const std::string& line : lines)
        text += "\r\n- " + line;
    return text + "\r\nFormula One 3/4/5 keeps all of it.\r\n\r\nSave in " + name + " anyway?";
}

} // namespace testsupport
