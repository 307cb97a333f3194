#include "shell/core/ToolbarRules.h"

namespace shell {

std::optional<ToolbarStates> PollToolbars(const ToolbarPollInput& input)
{
    if (!input.hasActiveChild || input.caption.rfind("Seq", 0) == 0 || !input.sheetOpen)
        return std::nullopt;
    ToolbarStates states;
    const bool oneObject = input.selectedObjects == 1;
    states.formatEnabled = !oneObject;
    // The polygon button draws polygons too: only a single object of another
    // kind turns it off, so that it is there whenever nothing is selected.
    states.polygonEnabled = !oneObject || input.firstObjectType == kPolygonObject;
    states.cellButtonsEnabled = !oneObject;
    states.pasteEnabled = input.canPaste;
    return states;
}

} // namespace shell
