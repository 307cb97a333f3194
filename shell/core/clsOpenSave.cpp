#include "shell/core/clsOpenSave.h"

#include <algorithm>
#include <filesystem>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"

namespace shell {

void clsOpenSave::setFilter(const std::string& barFilter)
{
    std::string f = barFilter;
    std::replace(f.begin(), f.end(), '|', '\0');
    for (int added = 0; added < 2; ++added) {
        if (f.size() >= 2 && f[f.size() - 1] == '\0' && f[f.size() - 2] == '\0') {
            break;
        }
        f.push_back('\0');
    }
    m_filter = std::move(f);
}

std::string clsOpenSave::Filter() const
{
    std::string f = m_filter;
    std::replace(f.begin(), f.end(), '\0', '|');
    for (int dropped = 0; dropped < 2 && !f.empty() && f.back() == '|'; ++dropped) {
        f.pop_back();
    }
    return f;
}

std::string clsOpenSave::FileName() const
{
    return m_fileName.substr(0, m_fileName.find('\0'));
}

void clsOpenSave::show(bool save)
{
    platform::FileDialogRequest request;
    request.save = save;
    request.title = m_dialogTitle;
    request.filter = Filter();
    request.filterIndex = m_filterIndex;
    request.initDir = m_initDir;
    request.fileName = FileName();
    request.defaultExt = m_defaultExt;
    request.flags = m_flags;
    const auto result = platform::dialogs().FileDialog(request);
    if (!result) {
        if (m_cancelError) {
            throw platform::Error(platform::err::FileDialogCancelled, "Run-time error", "Cancel was selected");
        }
        return;
    }
    const std::filesystem::path chosen(result->path);
    m_fileName = result->path;
    m_fileTitle = chosen.filename().string();
    const auto dot = m_fileTitle.rfind('.');
    m_fileExt = dot == std::string::npos
                    ? 0
                    : static_cast<std::int16_t>(result->path.size() - m_fileTitle.size() + dot + 1);
    m_filterIndex = static_cast<std::int16_t>(result->filterIndex);
    m_initDir = chosen.parent_path().string();
}

} // namespace shell
