#pragma once

// The grammar of worksheet formulas, read into a tree.
//
// A formula (without "=") is numbers in every spreadsheet spelling (3, 2.5,
// .5, 3E2, 1E-5, 1.5E+3; one past the range of numbers, 1E309 or 1E-400,
// makes the whole formula #NUM!), texts in double quotes with "" for a quote,
// TRUE and FALSE, error values (#REF!, #DIV/0!, ...), cell references with
// optional "$" marks (B3, $A$1), ranges (A1:B3, whole columns A:A, whole
// rows 1:3), other sheets' cells (Sheet2!A1, 'X Output1'!B2:B5), defined
// names (any other word), function calls, runs of signs before an operand,
// and the binary operators from the tightest to the loosest: ^, * and /,
// + and -, &, then the comparisons = <> < > <= >=; operators of one level
// are computed from left to right (10/2/5 is 1, 2^3^2 is 64) and a sign
// binds tighter than ^ (-2^2 is 4). Blanks (spaces, tabs, line breaks) may
// stand between any two parts, also between a function's name and its
// bracket and on either side of a range's colon (SUM (A1 : A3)).
//
// A run of operators of one level is kept as one node holding all its
// operands, so that a flat chain of 10,000 terms is a tree of depth one.
// The evaluator recurses once per chain, sign and call on the way from the
// root to a value (and once per defined name, into the name's formula);
// the parser recurses once per bracket and call. Both are limited to
// kMaxFormulaDepth levels, so that the deepest formula accepted computes
// within a small stack. Parsing reads each character at most a fixed
// number of times, never past the end.
//
// The parser reads the tree from the tokens of lexFormula, which also serve
// whoever rewrites formula texts (references moved, names renamed), so that
// one reading of the grammar serves all.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/spreadsheet/Value.h"

namespace spreadsheet::detail {

// A formula nested deeper than this is refused. Along any path from the
// root, each operator chain, sign and call is one level, and a defined name
// one more than the levels of its own formula; brackets and calls, which
// the parser recurses into, may nest no deeper either. The deepest formula
// computes within 1 MB of stack (about 250 KB in an optimised build).
inline constexpr int kMaxFormulaDepth = 256;
// A formula text longer than this many characters (UTF-8 code points) is refused.
inline constexpr std::size_t kMaxFormulaLength = 100000;

enum class FormulaOp : std::uint8_t { Pow, Mul, Div, Add, Sub, Concat, Eq, Ne, Lt, Gt, Le, Ge };

// The functions the evaluator computes; Unknown for any other name.
enum class FormulaFunction : std::uint8_t {
    Unknown, Sum, Average, CountA, If, Int, Len, Left, Concatenate, Pi, Max, Min, Now
};

// A reference as it is written: its sheet, its ends and their "$" marks.
struct FormulaRef {
    std::string sheet;  // the sheet named in the reference; "" for the formula's own sheet
    bool isRange = false;
    std::int32_t row1 = 0, col1 = 0, row2 = 0, col2 = 0;  // row2/col2 only for ranges, in the order written
    bool absRow1 = false, absCol1 = false, absRow2 = false, absCol2 = false;
    // Whole columns (A:C, rows 1 to the last) or whole rows (1:3, columns A
    // to the last): ranges that never move along the lines they span whole.
    bool wholeCols = false;
    bool wholeRows = false;
};

// One word, sign or value of a formula text, at text[begin, end).
struct FormulaToken {
    enum class Kind : std::uint8_t {
        Number,    // as spelled
        Text,      // in double quotes, the quotes included
        Logical,   // TRUE or FALSE in any case
        Error,     // #REF!, #DIV/0!, ...
        Ref,       // ref, its sheet included
        Name,      // any other word
        Function,  // the name of a call (the "(" right after it is an Open)
        Operator,  // op
        Open,
        Close,
        Comma,
        Bad,       // text that no formula can hold here; problem says why
    };
    Kind kind = Kind::Bad;
    std::size_t begin = 0;
    std::size_t end = 0;
    FormulaOp op = FormulaOp::Add;
    CellError error = CellError::Value;
    FormulaRef ref;
    // A reference after a sheet name ("Sheet2!", "'My data'!"), whether or
    // not the rest could be read; ref.sheet holds the name either way.
    bool namesSheet = false;
    // A Bad reference: an end shaped like a cell but off the sheet ("ZZZ0",
    // "$A$0", "IW3"), or a word with "$" marks past the sheet ("$IW$1");
    // "" for any other. The parser reads one past the last row or column
    // (isCellPastSheet) as #REF!.
    std::string offSheet;
    std::string problem;
};

// The tokens of a formula text (without "=") in order, the blanks between
// them left out. Any text can be read: what no formula can hold comes out
// as Bad tokens of at least one character each, and reading goes on after
// them, so the tokens never overlap and cover all but the blanks.
[[nodiscard]] std::vector<FormulaToken> lexFormula(std::string_view text);

// Whether the word is a cell of the sheets other spreadsheets have (columns
// A to XFD, rows 1 to 1048576) but lies past our sheet's last row or
// column ("E16385", "IW1"): a reference that can point nowhere here.
[[nodiscard]] bool isCellPastSheet(std::string_view word) noexcept;

// Whether the character can stand inside a word of a formula (a name, a
// function, a cell reference), so that two such characters side by side
// read as one word.
[[nodiscard]] bool continuesFormulaWord(char c) noexcept;

// The ends of a reference as one formula cell reads them: rows and columns
// from 1, row1 <= row2 and col1 <= col2.
struct FormulaRefEnds {
    std::int32_t row1 = 1, col1 = 1, row2 = 1, col2 = 1;
};

struct FormulaRefPart {
    // Which ends are written without a "$" in a formula read for a cell
    // (parseFormulaOfCell): those hold offsets from the formula's own row or
    // column. The rows of whole columns and the columns of whole rows never
    // move, and are held as they are.
    static constexpr std::uint8_t kRelativeRow1 = 1, kRelativeCol1 = 2, kRelativeRow2 = 4, kRelativeCol2 = 8;

    std::string sheet;  // "" for the formula's own sheet
    // Rows and columns from 1, or offsets where `relative` says; a whole
    // column spans all rows, a whole row all columns.
    std::int32_t row1 = 1, col1 = 1, row2 = 1, col2 = 1;
    std::uint8_t relative = 0;

    // The ends as the formula in the cell (row, col) reads them.
    [[nodiscard]] FormulaRefEnds endsAt(std::int32_t row, std::int32_t col) const noexcept
    {
        FormulaRefEnds e{row1, col1, row2, col2};
        if (relative != 0) {
            e.row1 += (relative & kRelativeRow1) != 0 ? row : 0;
            e.col1 += (relative & kRelativeCol1) != 0 ? col : 0;
            e.row2 += (relative & kRelativeRow2) != 0 ? row : 0;
            e.col2 += (relative & kRelativeCol2) != 0 ? col : 0;
        }
        // A range written A$5:A3 and filled down past row 5 runs upwards.
        if (e.row1 > e.row2)
            std::swap(e.row1, e.row2);
        if (e.col1 > e.col2)
            std::swap(e.col1, e.col2);
        return e;
    }
};

struct FormulaNode {
    enum class Kind : std::uint8_t {
        Number,   // number
        Text,     // texts[index]
        Logical,  // number != 0
        Error,    // error
        Ref,      // refs[index], one cell or a range
        Name,     // texts[index], the name as written
        Call,     // function, arguments kids[first .. first + count)
        Missing,  // an argument left out (SUM(1,,2))
        Sign,     // kids[first]; negated when index is odd, a number when index > 0
        Chain,    // operands kids[first .. first + count), operators ops[index ..)
    };
    Kind kind = Kind::Number;
    FormulaFunction function = FormulaFunction::Unknown;
    CellError error = CellError::Value;
    std::uint32_t index = 0;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    double number = 0;
};

struct ParsedFormula {
    std::vector<FormulaNode> nodes;  // nodes.back() is the root
    std::vector<std::uint32_t> kids;
    std::vector<FormulaOp> ops;
    std::vector<std::string> texts;
    std::vector<FormulaRefPart> refs;
    bool callsNow = false;  // NOW() anywhere in it
    int depth = 0;          // the most chains, signs and calls on a path from the root

    [[nodiscard]] std::uint32_t root() const noexcept { return static_cast<std::uint32_t>(nodes.size() - 1); }
};

struct FormulaParseResult {
    std::shared_ptr<const ParsedFormula> formula;  // null when the text is refused
    // Why it was refused, in words for the user; "" when it was read.
    std::string problem;
    // The text nests deeper or is longer than a formula may: refused at entry.
    bool tooLarge = false;
};

// Reads the formula text (without "="). A text longer than
// kMaxFormulaLength characters is refused before it is read. Every
// reference is held as written, "$" or not (as a defined name reads it).
[[nodiscard]] FormulaParseResult parseFormula(std::string_view text);

// Reads the formula text of the cell (row, col) as parseFormula does, but
// holds the ends written without "$" as offsets from that cell, so that
// the tree serves every cell whose formula has the same shape.
[[nodiscard]] FormulaParseResult parseFormulaOfCell(std::string_view text, std::int32_t row, std::int32_t col);

// The shape of the formula text of the cell (row, col): its tokens, with
// the ends of references written without "$" as offsets from the cell, so
// that a formula filled down or across keeps one shape. Formulas of one
// shape read the same tree from parseFormulaOfCell, whichever of their
// cells it was read for. False (and `shape` unchanged) for a text that
// parseFormula refuses before reading its tokens.
[[nodiscard]] bool formulaShape(std::string_view text, std::int32_t row, std::int32_t col, std::string& shape);

// Whether the text is longer than a formula may be (kMaxFormulaLength
// characters, UTF-8 code points); answered without reading the text as a
// formula, in time linear in its length.
[[nodiscard]] bool isFormulaTooLong(std::string_view text) noexcept;

// The function a name (any case) calls; Unknown when it is none of ours.
[[nodiscard]] FormulaFunction functionNamed(std::string_view name) noexcept;

// Whether the word is the name of a worksheet function that spreadsheets
// know (ours or another), which a defined name may not take.
[[nodiscard]] bool isWorksheetFunctionName(std::string_view word) noexcept;

// Whether the text is valid UTF-8 without control characters: the only text
// a name or a sheet name may hold. With `blanks`, tabs and line breaks are
// taken too: a formula may hold them, and reads them as spaces.
[[nodiscard]] bool isCleanFormulaText(std::string_view text, bool blanks = false) noexcept;

} // namespace spreadsheet::detail
