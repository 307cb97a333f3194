#pragma once

// File helpers and the ways of asking the user for a file name.
//
// Paths use "/" as the folder separator. Reading a file that cannot be read
// raises the numbered error (53 file not found, 75 path/file access error)
// instead of handing back an empty or blank text.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/dialogs/CommonDialog.h"

namespace FileUtil {

// The program's settings folder ("the Windows folder"): $QUORIN_WINDOWS_DIR,
// else $XDG_CONFIG_HOME/tessaray (~/.config/tessaray); created on first use.
[[nodiscard]] std::string GetWinDir();

// The first `n` bytes of the file (fewer when the file is shorter).
[[nodiscard]] std::string ReadFileHead(const std::string& fileName, std::int32_t n);
// The whole file as bytes.
[[nodiscard]] std::string ReadFileAll(const std::string& fileName);

// True for an existing folder; false for "" and for anything unreadable.
[[nodiscard]] bool IsDirectory(const std::string& name);
// True for an existing file that is not a folder; false for a blank name.
[[nodiscard]] bool FileExists(const std::string& name);
// True when two paths name the same file: the same existing file however
// spelled (relative, "..", links), else the same path once made absolute
// and normal. False when either is blank.
[[nodiscard]] bool SameFile(const std::string& a, const std::string& b);

// The folder part of a path with its closing "/"; a path without "/" whole.
[[nodiscard]] std::string GetFilePath(const std::string& path);

// Writes the text and CR LF to the file, replacing what it held.
void WriteStrToFile(const std::string& fileName, std::string_view text);

// The dialog filter for extensions given without dots: "bmp" gives
// "BMP Files (*.bmp)|*.bmp|"; "fas,aln" gives "FILES (*.fas;*.aln)|*.fas;*.aln|".
[[nodiscard]] std::string FilterForExtensions(std::string_view extensions);

// Open (openOrSave 1) or save (any other code) dialog through the window's
// dialog control, with the filter built from the extensions. Guarded: a
// cancelled dialog goes to the error reporter; Abort gives "", Retry shows
// the dialog again, Ignore gives the name the control holds.
[[nodiscard]] std::string GetDlgFileName(std::string_view title, std::string_view extensions,
                                         platform::CommonDialog& dialog, std::int16_t openOrSave,
                                         const std::string& initDir, const std::string& fileName);

// As GetDlgFileName with the caller's whole filter and filter index; the
// control keeps its last file name.
[[nodiscard]] std::string GetDlgFileNameFilter(std::string_view title, std::int16_t filterIndex,
                                               std::string_view filter, platform::CommonDialog& dialog,
                                               std::int16_t openOrSave, const std::string& initDir);

// As GetDlgFileName through a dialog of its own (clsOpenSave).
[[nodiscard]] std::string GetDlgFileNameAPI(std::string_view title, std::string_view extensions,
                                            std::int16_t openOrSave, const std::string& initDir);

} // namespace FileUtil
