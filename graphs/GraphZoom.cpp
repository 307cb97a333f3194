#include "graphs/GraphZoom.h"

#include "platform/runtime/Convert.h"

namespace graphs {

HorizontalZoom ZoomHorizontally(std::int32_t pictureWidth, std::int32_t clientWidth, double factor)
{
    HorizontalZoom z;
    z.width = platform::rt::CLng(pictureWidth * factor);
    if (static_cast<std::int64_t>(z.width) - clientWidth > 32767) {
        z.width = clientWidth + 32767;
        z.capped = true;
    }
    return z;
}

} // namespace graphs
