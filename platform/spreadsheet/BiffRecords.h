#pragma once

// The BIFF5/BIFF8 records that the .xls writer and reader share (internal):
// record identifiers, the cell error codes, and the byte order of record
// fields (little-endian).
//
// A workbook stream is a run of records, each a 16-bit identifier, a 16-bit
// body length and the body. A record whose body does not fit in 8,224 bytes
// goes on in CONTINUE records that follow it directly; in texts split that
// way every CONTINUE starts with an option byte saying whether the
// characters that follow are 8 or 16 bits wide.

#include <cstddef>
#include <cstdint>

#include "platform/spreadsheet/Value.h"

namespace spreadsheet::detail::biff {

// Record identifiers.
inline constexpr std::uint16_t kFormula = 0x0006;
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kDateMode = 0x0022;
inline constexpr std::uint16_t kDefColWidth = 0x0055;
inline constexpr std::uint16_t kFilePass = 0x002F;
inline constexpr std::uint16_t kFont = 0x0031;
inline constexpr std::uint16_t kContinue = 0x003C;
inline constexpr std::uint16_t kWindow1 = 0x003D;
inline constexpr std::uint16_t kCodePage = 0x0042;
inline constexpr std::uint16_t kColInfo = 0x007D;
inline constexpr std::uint16_t kBoundSheet = 0x0085;
inline constexpr std::uint16_t kPalette = 0x0092;
inline constexpr std::uint16_t kStandardWidth = 0x0099;
inline constexpr std::uint16_t kMulRk = 0x00BD;
inline constexpr std::uint16_t kMulBlank = 0x00BE;
inline constexpr std::uint16_t kRString = 0x00D6;
inline constexpr std::uint16_t kXf = 0x00E0;
inline constexpr std::uint16_t kSst = 0x00FC;
inline constexpr std::uint16_t kLabelSst = 0x00FD;
inline constexpr std::uint16_t kDimensions = 0x0200;
inline constexpr std::uint16_t kBlank = 0x0201;
inline constexpr std::uint16_t kNumber = 0x0203;
inline constexpr std::uint16_t kLabel = 0x0204;
inline constexpr std::uint16_t kBoolErr = 0x0205;
inline constexpr std::uint16_t kString = 0x0207;
inline constexpr std::uint16_t kRow = 0x0208;
inline constexpr std::uint16_t kDefaultRowHeight = 0x0225;
inline constexpr std::uint16_t kWindow2 = 0x023E;
inline constexpr std::uint16_t kRk = 0x027E;
inline constexpr std::uint16_t kStyle = 0x0293;
inline constexpr std::uint16_t kFormat = 0x041E;
inline constexpr std::uint16_t kBof = 0x0809;

// BOF versions and substream types.
inline constexpr std::uint16_t kBiff5 = 0x0500;
inline constexpr std::uint16_t kBiff8 = 0x0600;
inline constexpr std::uint16_t kGlobals = 0x0005;
inline constexpr std::uint16_t kWorksheet = 0x0010;

// The XF of cells without a format of their own: XFs 0-14 are styles.
inline constexpr std::size_t kDefaultCellXf = 15;

// The longest record body; longer contents go on in CONTINUE records.
inline constexpr std::size_t kMaxBody = 8224;

// Cell error codes of BOOLERR and FORMULA records.
[[nodiscard]] constexpr unsigned errorCode(CellError e) noexcept
{
    switch (e) {
    case CellError::Null:
        return 0x00;
    case CellError::Div0:
        return 0x07;
    case CellError::Value:
        return 0x0F;
    case CellError::Ref:
        return 0x17;
    case CellError::Name:
        return 0x1D;
    case CellError::Num:
        return 0x24;
    case CellError::NA:
    case CellError::Count:
        break;
    }
    return 0x2A;
}

// The error of a code; codes the format does not define read as #N/A.
[[nodiscard]] constexpr CellError cellError(unsigned code) noexcept
{
    switch (code) {
    case 0x00:
        return CellError::Null;
    case 0x07:
        return CellError::Div0;
    case 0x0F:
        return CellError::Value;
    case 0x17:
        return CellError::Ref;
    case 0x1D:
        return CellError::Name;
    case 0x24:
        return CellError::Num;
    default:
        return CellError::NA;
    }
}

} // namespace spreadsheet::detail::biff
