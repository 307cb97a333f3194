#pragma once

// The settings of one file dialog, shown with ShowOpen or ShowSave. The
// filter is kept in the dialog's NUL-separated form (bars become NULs, and the
// text ends with two NULs); Filter() gives it back in bar form.

#include <cstdint>
#include <string>

namespace shell {

class clsOpenSave {
public:
    void setFileExt(std::int16_t value) { m_fileExt = value; }
    // Shows the save dialog. Cancelled: error 32755 ("Run-time error",
    // "Cancel was selected") with CancelError set, else nothing changes.
    void ShowSave() { show(true); }
    void ShowOpen() { show(false); }
    // After a successful dialog: the 0-based position of the extension in the
    // chosen path (0 when it has none).
    [[nodiscard]] std::int16_t FileExt() const { return m_fileExt; }

    void sethWndOwner(std::int32_t value) { m_owner = value; }
    [[nodiscard]] std::int32_t hWndOwner() const { return m_owner; }
    void setMaxFileSize(std::int16_t value) { m_maxFileSize = value; }
    [[nodiscard]] std::int16_t MaxFileSize() const { return m_maxFileSize; }
    void setInitDir(std::string value) { m_initDir = std::move(value); }
    [[nodiscard]] const std::string& InitDir() const { return m_initDir; }
    void setFlags(std::int32_t value) { m_flags = value; }
    [[nodiscard]] std::int32_t Flags() const { return m_flags; }
    void setFilter(const std::string& barFilter);
    [[nodiscard]] std::string Filter() const;
    void setFilterIndex(std::int16_t value) { m_filterIndex = value; }
    [[nodiscard]] std::int16_t FilterIndex() const { return m_filterIndex; }
    void setFileTitle(std::string value) { m_fileTitle = std::move(value); }
    [[nodiscard]] const std::string& FileTitle() const { return m_fileTitle; }
    void setFileName(std::string value) { m_fileName = std::move(value); }
    // The stored name up to its first NUL.
    [[nodiscard]] std::string FileName() const;
    void setDialogTitle(std::string value) { m_dialogTitle = std::move(value); }
    [[nodiscard]] const std::string& DialogTitle() const { return m_dialogTitle; }
    void setDefaultExt(std::string value) { m_defaultExt = std::move(value); }
    [[nodiscard]] const std::string& DefaultExt() const { return m_defaultExt; }
    void setCancelError(bool value) { m_cancelError = value; }
    [[nodiscard]] bool CancelError() const { return m_cancelError; }

    // The stored, NUL-separated filter.
    [[nodiscard]] const std::string& rawFilter() const { return m_filter; }

private:
    void show(bool save);

    std::int16_t m_fileExt = 0;
    std::int32_t m_owner = 0;
    std::int16_t m_maxFileSize = 260;
    std::string m_initDir = "/";
    std::int32_t m_flags = 0;
    std::string m_filter = std::string("All Files (*.*)\0*.*\0\0", 21);
    std::int16_t m_filterIndex = 1;
    std::string m_fileTitle;
    std::string m_fileName;
    std::string m_dialogTitle;
    std::string m_defaultExt;
    bool m_cancelError = false;
};

} // namespace shell
