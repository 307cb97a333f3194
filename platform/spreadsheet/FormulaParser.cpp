#include "platform/spreadsheet/FormulaParser.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/runtime/Utf8.h"
#include "platform/spreadsheet/CellRef.h"

namespace spreadsheet::detail {

namespace {

char upperAscii(char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) noexcept
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upperAscii(x) == upperAscii(y); });
}

bool isLetter(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

// A blank between the parts of a formula: a space, a tab or a line break.
bool isBlank(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isWordStart(char c) noexcept
{
    return isLetter(c) || c == '_' || c == '$' || c == '\\' || static_cast<unsigned char>(c) >= 0x80;
}

bool isWordChar(char c) noexcept
{
    return isWordStart(c) || isDigit(c) || c == '.';
}

// "$A", "iv": a column of the sheet.
bool columnWord(std::string_view w, std::int32_t& col) noexcept
{
    if (!w.empty() && w[0] == '$')
        w.remove_prefix(1);
    if (w.empty() || w.size() > 2)
        return false;
    std::int32_t c = 0;
    for (char ch : w) {
        if (!isLetter(ch))
            return false;
        c = c * 26 + (upperAscii(ch) - 'A' + 1);
    }
    if (c > kMaxCols)
        return false;
    col = c;
    return true;
}

// "$3", "16384": a row of the sheet.
bool rowWord(std::string_view w, std::int32_t& row) noexcept
{
    if (!w.empty() && w[0] == '$')
        w.remove_prefix(1);
    if (w.empty() || w.size() > 5)
        return false;
    std::int32_t r = 0;
    for (char ch : w) {
        if (!isDigit(ch))
            return false;
        r = r * 10 + (ch - '0');
    }
    if (r < 1 || r > kMaxRows)
        return false;
    row = r;
    return true;
}

constexpr std::array<std::pair<std::string_view, FormulaFunction>, 12> kFunctions{{
    {"SUM", FormulaFunction::Sum},
    {"AVERAGE", FormulaFunction::Average},
    {"COUNTA", FormulaFunction::CountA},
    {"IF", FormulaFunction::If},
    {"INT", FormulaFunction::Int},
    {"LEN", FormulaFunction::Len},
    {"LEFT", FormulaFunction::Left},
    {"CONCATENATE", FormulaFunction::Concatenate},
    {"PI", FormulaFunction::Pi},
    {"MAX", FormulaFunction::Max},
    {"MIN", FormulaFunction::Min},
    {"NOW", FormulaFunction::Now},
}};

// Worksheet functions that spreadsheets know besides ours: a defined name
// may not take these either, lest a book made elsewhere mean a call by it.
constexpr std::string_view kOtherFunctions[] = {
    "ABS", "ACOS", "ACOSH", "ACOT", "ACOTH", "ADDRESS", "AGGREGATE", "AND", "ARABIC", "AREAS", "ASC", "ASIN",
    "ASINH", "ATAN", "ATAN2", "ATANH", "AVEDEV", "AVERAGEA", "AVERAGEIF", "AVERAGEIFS", "BAHTTEXT", "BASE",
    "BETADIST", "BETAINV", "BINOMDIST", "BITAND", "BITLSHIFT", "BITOR", "BITRSHIFT", "BITXOR", "CEILING", "CELL",
    "CHAR", "CHIDIST", "CHIINV", "CHISQDIST", "CHISQINV", "CHITEST", "CHOOSE", "CLEAN", "CODE", "COLOR", "COLUMN",
    "COLUMNS", "COMBIN", "COMBINA", "CONCAT", "CONFIDENCE", "CORREL", "COS", "COSH", "COT", "COTH", "COUNT",
    "COUNTBLANK", "COUNTIF", "COUNTIFS", "COVAR", "CRITBINOM", "CSC", "CSCH", "CUMIPMT", "CUMPRINC", "CURRENT",
    "DATE", "DATEDIF", "DATEVALUE", "DAVERAGE", "DAY", "DAYS", "DAYS360", "DB", "DCOUNT", "DCOUNTA", "DDB", "DDE",
    "DECIMAL", "DEGREES", "DEVSQ", "DGET", "DMAX", "DMIN", "DOLLAR", "DPRODUCT", "DSTDEV", "DSTDEVP", "DSUM",
    "DVAR", "DVARP", "EASTERSUNDAY", "EFFECT", "ENCODEURL", "ERRORTYPE", "EUROCONVERT", "EVEN", "EXACT", "EXP",
    "EXPONDIST", "FACT", "FALSE", "FDIST", "FILTERXML", "FIND", "FINDB", "FINV", "FISHER", "FISHERINV", "FIXED",
    "FLOOR", "FORECAST", "FORMULA", "FOURIER", "FREQUENCY", "FTEST", "FV", "GAMMA", "GAMMADIST", "GAMMAINV",
    "GAMMALN", "GAUSS", "GCD", "GEOMEAN", "GETPIVOTDATA", "GOALSEEK", "GROWTH", "HARMEAN", "HLOOKUP", "HOUR",
    "HYPERLINK", "HYPGEOMDIST", "IFERROR", "IFNA", "IFS", "INDEX", "INDIRECT", "INFO", "INTERCEPT", "IPMT", "IRR",
    "ISBLANK", "ISERR", "ISERROR", "ISEVEN", "ISFORMULA", "ISLOGICAL", "ISNA", "ISNONTEXT", "ISNUMBER", "ISODD",
    "ISOWEEKNUM", "ISPMT", "ISREF", "ISTEXT", "JIS", "KURT", "LARGE", "LCM", "LEFTB", "LENB", "LINEST", "LN", "LOG",
    "LOG10", "LOGEST", "LOGINV", "LOGNORMDIST", "LOOKUP", "LOWER", "MATCH", "MAXA", "MAXIFS", "MDETERM", "MEDIAN",
    "MID", "MIDB", "MINA", "MINIFS", "MINUTE", "MINVERSE", "MIRR", "MMULT", "MOD", "MODE", "MONTH", "MULTIRANGE",
    "MUNIT", "MVALUE", "N", "NA", "NEG", "NEGBINOMDIST", "NETWORKDAYS", "NOMINAL", "NORMDIST", "NORMINV",
    "NORMSDIST", "NORMSINV", "NOT", "NPER", "NPV", "NUMBERVALUE", "ODD", "OFFSET", "OR", "PDURATION", "PEARSON",
    "PERCENTILE", "PERCENTRANK", "PERMUT", "PERMUTATIONA", "PHI", "PMT", "POISSON", "POWER", "PPMT", "PROB",
    "PRODUCT", "PROPER", "PV", "QUARTILE", "RADIANS", "RAND", "RANK", "RATE", "RAWSUBTRACT", "REGEX", "REPLACE",
    "REPLACEB", "REPT", "RIGHT", "RIGHTB", "ROMAN", "ROUND", "ROUNDDOWN", "ROUNDSIG", "ROUNDUP", "ROW", "ROWS", "RRI",
    "RSQ", "SEARCH", "SEARCHB", "SEC", "SECH", "SECOND", "SHEET", "SHEETS", "SIGN", "SIN", "SINH", "SKEW", "SKEWP",
    "SLN", "SLOPE", "SMALL", "SQRT", "STANDARDIZE", "STDEV", "STDEVA", "STDEVP", "STDEVPA", "STEYX", "STYLE",
    "SUBSTITUTE", "SUBTOTAL", "SUMIF", "SUMIFS", "SUMPRODUCT", "SUMSQ", "SUMX2MY2", "SUMX2PY2", "SUMXMY2", "SWITCH",
    "SYD", "T", "TAN", "TANH", "TDIST", "TEXT", "TEXTJOIN", "TIME", "TIMEVALUE", "TINV", "TODAY", "TRANSPOSE",
    "TREND", "TRIM", "TRIMMEAN", "TRUE", "TRUNC", "TTEST", "TYPE", "UNICHAR", "UNICODE", "UPPER", "VALUE", "VAR",
    "VARA", "VARP", "VARPA", "VDB", "VLOOKUP", "WAIT", "WEBSERVICE", "WEEKDAY", "WEEKNUM", "WEIBULL", "XOR", "YEAR",
    "ZTEST",
};

// A count as the messages write it: 1,000.
std::string withThousands(std::size_t n)
{
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

// How tightly an operator binds: the higher, the tighter.
int levelOf(FormulaOp op) noexcept
{
    switch (op) {
    case FormulaOp::Pow:
        return 5;
    case FormulaOp::Mul:
    case FormulaOp::Div:
        return 4;
    case FormulaOp::Add:
    case FormulaOp::Sub:
        return 3;
    case FormulaOp::Concat:
        return 2;
    default:
        return 1;
    }
}

// Reads the tokens of a formula text one after the other; see lexFormula.
class Lexer {
public:
    explicit Lexer(std::string_view text) : m_text(text) {}

    std::vector<FormulaToken> run()
    {
        std::vector<FormulaToken> tokens;
        for (;;) {
            while (isBlank(peek()))
                ++m_pos;
            if (m_pos >= m_text.size())
                return tokens;
            tokens.push_back(token());
        }
    }

private:
    char peek() const noexcept { return peekAt(m_pos); }
    char peekAt(std::size_t at) const noexcept { return at < m_text.size() ? m_text[at] : '\0'; }
    // The first character from `at` on that is no blank.
    std::size_t pastBlanks(std::size_t at) const noexcept
    {
        while (isBlank(peekAt(at)))
            ++at;
        return at;
    }

    FormulaToken make(FormulaToken::Kind kind, std::size_t begin)
    {
        FormulaToken t;
        t.kind = kind;
        t.begin = begin;
        t.end = m_pos;
        return t;
    }

    FormulaToken bad(std::size_t begin, std::string problem)
    {
        m_pos = std::max(m_pos, begin + 1);
        FormulaToken t = make(FormulaToken::Kind::Bad, begin);
        t.problem = std::move(problem);
        return t;
    }

    FormulaToken operatorToken(FormulaOp op, std::size_t length)
    {
        const std::size_t begin = m_pos;
        m_pos += length;
        FormulaToken t = make(FormulaToken::Kind::Operator, begin);
        t.op = op;
        return t;
    }

    FormulaToken token()
    {
        const std::size_t begin = m_pos;
        const char c = peek();
        switch (c) {
        case '"':
            return text();
        case '#':
            return errorValue();
        case '(':
            ++m_pos;
            return make(FormulaToken::Kind::Open, begin);
        case ')':
            ++m_pos;
            return make(FormulaToken::Kind::Close, begin);
        case ',':
            ++m_pos;
            return make(FormulaToken::Kind::Comma, begin);
        case '^': return operatorToken(FormulaOp::Pow, 1);
        case '*': return operatorToken(FormulaOp::Mul, 1);
        case '/': return operatorToken(FormulaOp::Div, 1);
        case '+': return operatorToken(FormulaOp::Add, 1);
        case '-': return operatorToken(FormulaOp::Sub, 1);
        case '&': return operatorToken(FormulaOp::Concat, 1);
        case '=': return operatorToken(FormulaOp::Eq, 1);
        case '<':
            if (peekAt(m_pos + 1) == '>')
                return operatorToken(FormulaOp::Ne, 2);
            if (peekAt(m_pos + 1) == '=')
                return operatorToken(FormulaOp::Le, 2);
            return operatorToken(FormulaOp::Lt, 1);
        case '>':
            if (peekAt(m_pos + 1) == '=')
                return operatorToken(FormulaOp::Ge, 2);
            return operatorToken(FormulaOp::Gt, 1);
        case '\'':
            return quotedSheetReference();
        default:
            break;
        }
        if (isDigit(c) || c == '.') {
            // A whole row range (1:3) or a number.
            std::size_t end = m_pos;
            while (isDigit(peekAt(end)))
                ++end;
            if (end > m_pos && peekAt(pastBlanks(end)) == ':')
                return reference({}, false, begin);
            return number();
        }
        if (!isWordStart(c))
            return bad(begin, cannotRead(begin));
        std::size_t end = m_pos;
        while (isWordChar(peekAt(end)))
            ++end;
        const std::string_view word = m_text.substr(m_pos, end - m_pos);
        if (peekAt(end) == '!') {
            m_pos = end + 1;
            return reference(std::string(word), true, begin);
        }
        // Blanks may stand between a function's name and its bracket.
        if (peekAt(pastBlanks(end)) == '(') {
            m_pos = end;
            return make(FormulaToken::Kind::Function, begin);
        }
        std::int64_t r = 0;
        std::int64_t col = 0;
        std::int32_t part = 0;
        if (peekAt(pastBlanks(end)) == ':' ||
            (readCellShape(word, r, col) && r >= 1 && r <= kMaxRows && col >= 1 && col <= kMaxCols) ||
            (word.size() > 1 && word[0] == '$' && rowWord(word, part)))
            return reference({}, false, begin);
        m_pos = end;
        if (equalsNoCase(word, "TRUE") || equalsNoCase(word, "FALSE"))
            return make(FormulaToken::Kind::Logical, begin);
        if (word.find('$') != std::string_view::npos) {
            FormulaToken t = bad(begin, "\"" + std::string(word) + "\" is neither a cell reference nor a name.");
            if (isCellPastSheet(word))
                t.offSheet = std::string(word);
            return t;
        }
        return make(FormulaToken::Kind::Name, begin);
    }

    std::string cannotRead(std::size_t at) const
    {
        return "The formula cannot be read from \"" + std::string(m_text.substr(at, 20)) + "\" on.";
    }

    FormulaToken text()
    {
        const std::size_t begin = m_pos++;
        for (;;) {
            if (m_pos >= m_text.size())
                return bad(begin, "A text's quote is not closed.");
            if (m_text[m_pos++] == '"') {
                if (peek() != '"')
                    return make(FormulaToken::Kind::Text, begin);
                ++m_pos;
            }
        }
    }

    FormulaToken errorValue()
    {
        const std::size_t begin = m_pos;
        for (int e = 1; e < static_cast<int>(CellError::Count); ++e) {
            const auto error = static_cast<CellError>(e);
            const std::string_view spelled = errorText(error);
            if (equalsNoCase(m_text.substr(m_pos, spelled.size()), spelled)) {
                m_pos += spelled.size();
                FormulaToken t = make(FormulaToken::Kind::Error, begin);
                t.error = error;
                return t;
            }
        }
        return bad(begin, "\"" + std::string(m_text.substr(m_pos, 8)) + "\" is no error value.");
    }

    FormulaToken quotedSheetReference()
    {
        const std::size_t begin = m_pos++;
        std::string name;
        for (;;) {
            if (m_pos >= m_text.size())
                return bad(begin, "A sheet name's quote is not closed.");
            const char ch = m_text[m_pos++];
            if (ch == '\'') {
                if (peek() == '\'') {
                    name += '\'';
                    ++m_pos;
                    continue;
                }
                break;
            }
            name += ch;
        }
        if (name.empty())
            return bad(begin, "A sheet name cannot be empty.");
        if (peek() != '!')
            return bad(begin, "A quoted sheet name must be followed by \"!\" and a reference.");
        ++m_pos;
        return reference(std::move(name), true, begin);
    }

    // One end of a reference: a word or digits, without spaces.
    std::string_view refWord()
    {
        std::size_t end = m_pos;
        while (isWordChar(peekAt(end)) && peekAt(end) != '.')
            ++end;
        const std::string_view word = m_text.substr(m_pos, end - m_pos);
        m_pos = end;
        return word;
    }

    // One cell's end of a reference with its "$" marks.
    static bool cellEnd(std::string_view w, std::int32_t& row, std::int32_t& col, bool& absRow, bool& absCol)
    {
        if (!parseCellRef(w, row, col))
            return false;
        absCol = w[0] == '$';
        const std::size_t firstDigit = w.find_first_of("0123456789");
        absRow = w[firstDigit - 1] == '$';
        return true;
    }

    // A cell, a range of cells, of whole columns or of whole rows, the
    // sheet (if any) read from begin on.
    FormulaToken reference(std::string sheet, bool namesSheet, std::size_t begin)
    {
        FormulaRef ref;
        ref.sheet = std::move(sheet);
        const auto fail = [&](std::string problem, std::string_view first, std::string_view second) {
            FormulaToken t = bad(begin, std::move(problem));
            t.namesSheet = namesSheet;
            for (const std::string_view end : {first, second}) {
                std::int64_t r = 0;
                std::int64_t c = 0;
                std::int32_t onRow = 0;
                std::int32_t onCol = 0;
                if (t.offSheet.empty() && readCellShape(end, r, c) && !parseCellRef(end, onRow, onCol))
                    t.offSheet = std::string(end);
            }
            t.ref = std::move(ref);
            return t;
        };
        const std::string_view first = refWord();
        const bool firstCell = cellEnd(first, ref.row1, ref.col1, ref.absRow1, ref.absCol1);
        // Blanks may stand on either side of a range's colon.
        const std::size_t colon = pastBlanks(m_pos);
        if (peekAt(colon) != ':') {
            if (!firstCell)
                return fail("\"" + std::string(first) + "\" is no cell reference.", first, {});
            return refToken(std::move(ref), namesSheet, begin);
        }
        m_pos = pastBlanks(colon + 1);
        const std::string_view second = refWord();
        ref.isRange = true;
        const auto marked = [](std::string_view w) { return !w.empty() && w[0] == '$'; };
        if (firstCell) {
            if (!cellEnd(second, ref.row2, ref.col2, ref.absRow2, ref.absCol2))
                return fail("A range must run from one cell to another: \"" + std::string(first) + ":" +
                                std::string(second) + "\" does not.",
                            first, second);
        } else if (columnWord(first, ref.col1) && columnWord(second, ref.col2)) {
            ref.wholeCols = true;
            ref.row1 = 1;
            ref.row2 = kMaxRows;
            ref.absCol1 = marked(first);
            ref.absCol2 = marked(second);
        } else if (rowWord(first, ref.row1) && rowWord(second, ref.row2)) {
            ref.wholeRows = true;
            ref.col1 = 1;
            ref.col2 = kMaxCols;
            ref.absRow1 = marked(first);
            ref.absRow2 = marked(second);
        } else {
            return fail("A range must run from one cell to another, one column to another or one row to "
                        "another: \"" +
                            std::string(first) + ":" + std::string(second) + "\" does not.",
                        first, second);
        }
        return refToken(std::move(ref), namesSheet, begin);
    }

    FormulaToken refToken(FormulaRef ref, bool namesSheet, std::size_t begin)
    {
        FormulaToken t = isWordChar(peek()) || peek() == '(' || peek() == '!' ? bad(begin, cannotRead(m_pos))
                                                                              : make(FormulaToken::Kind::Ref, begin);
        t.ref = std::move(ref);
        t.namesSheet = namesSheet;
        return t;
    }

    FormulaToken number()
    {
        const std::size_t begin = m_pos;
        while (isDigit(peek()))
            ++m_pos;
        if (peek() == '.') {
            ++m_pos;
            while (isDigit(peek()))
                ++m_pos;
        }
        if ((peek() == 'E' || peek() == 'e') &&
            (isDigit(peekAt(m_pos + 1)) ||
             ((peekAt(m_pos + 1) == '+' || peekAt(m_pos + 1) == '-') && isDigit(peekAt(m_pos + 2))))) {
            m_pos += 2;
            while (isDigit(peek()))
                ++m_pos;
        }
        const std::string_view spelled = m_text.substr(begin, m_pos - begin);
        if (spelled == "." || isWordChar(peek()))
            return bad(begin, "\"" + std::string(m_text.substr(begin, 20)) + "\" is no number.");
        return make(FormulaToken::Kind::Number, begin);
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// The reference as a formula of the cell (row, col) holds it: as written,
// or (`ofCell`) with the ends written without "$" as offsets from the cell.
// A range is put in order only when read as written: one of a cell may run
// either way from the cells it is shared with.
FormulaRefPart refPart(const FormulaRef& written, bool ofCell, std::int32_t row, std::int32_t col)
{
    FormulaRefPart ref;
    ref.sheet = written.sheet;
    ref.row1 = written.row1;
    ref.col1 = written.col1;
    ref.row2 = written.isRange ? written.row2 : written.row1;
    ref.col2 = written.isRange ? written.col2 : written.col1;
    if (!ofCell) {
        if (ref.row1 > ref.row2)
            std::swap(ref.row1, ref.row2);
        if (ref.col1 > ref.col2)
            std::swap(ref.col1, ref.col2);
        return ref;
    }
    const bool absRow2 = written.isRange ? written.absRow2 : written.absRow1;
    const bool absCol2 = written.isRange ? written.absCol2 : written.absCol1;
    if (!written.wholeCols && !written.absRow1) {
        ref.relative |= FormulaRefPart::kRelativeRow1;
        ref.row1 -= row;
    }
    if (!written.wholeRows && !written.absCol1) {
        ref.relative |= FormulaRefPart::kRelativeCol1;
        ref.col1 -= col;
    }
    if (!written.wholeCols && !absRow2) {
        ref.relative |= FormulaRefPart::kRelativeRow2;
        ref.row2 -= row;
    }
    if (!written.wholeRows && !absCol2) {
        ref.relative |= FormulaRefPart::kRelativeCol2;
        ref.col2 -= col;
    }
    return ref;
}

struct Refused {
    std::string problem;
    bool tooLarge = false;
};

// Builds the tree from the tokens.
class Parser {
public:
    // With `ofCell`, the references are held relative to the cell (row, col).
    Parser(std::string_view text, bool ofCell, std::int32_t row, std::int32_t col)
        : m_text(text), m_tokens(lexFormula(text)), m_ofCell(ofCell), m_row(row), m_col(col)
    {
    }

    std::shared_ptr<const ParsedFormula> run()
    {
        if (m_tokens.empty())
            refuse("The formula is empty.");
        const std::uint32_t root = expression(0);
        if (const FormulaToken* rest = peek())
            refuse(cannotRead(*rest));
        if (m_pastRange) {
            // The whole formula is #NUM!; its references still count as read.
            FormulaNode error;
            error.kind = FormulaNode::Kind::Error;
            error.error = CellError::Num;
            add(error);
            return std::move(m_out);
        }
        if (root != m_out->nodes.size() - 1) {
            // The root must come last: a copy of it does.
            FormulaNode copy = m_out->nodes[root];
            m_out->nodes.push_back(copy);
        }
        return std::move(m_out);
    }

private:
    using Kind = FormulaToken::Kind;

    [[noreturn]] void refuse(std::string problem) const { throw Refused{std::move(problem), false}; }

    std::string cannotRead(const FormulaToken& t) const
    {
        return "The formula cannot be read from \"" + std::string(m_text.substr(t.begin, 20)) + "\" on.";
    }

    // The next token, or null at the end.
    const FormulaToken* peek() const noexcept { return m_at < m_tokens.size() ? &m_tokens[m_at] : nullptr; }
    bool peekIs(Kind kind) const noexcept { return m_at < m_tokens.size() && m_tokens[m_at].kind == kind; }

    std::string_view spelled(const FormulaToken& t) const { return m_text.substr(t.begin, t.end - t.begin); }

    // Adds a node whose kids are already there. Every node that computes
    // others (a chain, a sign, a call) is one level of the evaluator's
    // recursion above the deepest of them; it refuses a tree that would
    // recurse deeper than kMaxFormulaDepth.
    std::uint32_t add(const FormulaNode& node)
    {
        int level = 0;
        if (node.kind == FormulaNode::Kind::Chain || node.kind == FormulaNode::Kind::Sign ||
            node.kind == FormulaNode::Kind::Call) {
            for (std::uint32_t k = node.first; k < node.first + node.count; ++k)
                level = std::max(level, m_levels[m_out->kids[k]]);
            if (++level > kMaxFormulaDepth)
                tooDeep();
        }
        m_out->nodes.push_back(node);
        m_levels.push_back(level);
        m_out->depth = std::max(m_out->depth, level);
        return static_cast<std::uint32_t>(m_out->nodes.size() - 1);
    }

    [[noreturn]] static void tooDeep()
    {
        throw Refused{"The formula nests brackets, functions and operators more than " +
                          withThousands(kMaxFormulaDepth) + " levels deep.",
                      true};
    }

    // Operands and operators of one bracket level, by a stack of the
    // chains still open (their levels rising from the bottom), so that a
    // chain of any length costs no recursion.
    std::uint32_t expression(int depth)
    {
        // The parser recurses once per bracket or call.
        if (depth > kMaxFormulaDepth)
            tooDeep();
        struct Open {
            int level;
            std::vector<std::uint32_t> operands;
            std::vector<FormulaOp> ops;
        };
        std::vector<Open> open;
        std::uint32_t current = operand(depth);
        while (peekIs(Kind::Operator)) {
            const FormulaOp op = m_tokens[m_at++].op;
            const int level = levelOf(op);
            while (!open.empty() && open.back().level > level) {
                open.back().operands.push_back(current);
                current = chain(open.back().operands, open.back().ops);
                open.pop_back();
            }
            if (!open.empty() && open.back().level == level) {
                open.back().operands.push_back(current);
                open.back().ops.push_back(op);
            } else {
                open.push_back(Open{level, {current}, {op}});
            }
            current = operand(depth);
        }
        while (!open.empty()) {
            open.back().operands.push_back(current);
            current = chain(open.back().operands, open.back().ops);
            open.pop_back();
        }
        return current;
    }

    std::uint32_t chain(const std::vector<std::uint32_t>& operands, const std::vector<FormulaOp>& ops)
    {
        FormulaNode node;
        node.kind = FormulaNode::Kind::Chain;
        node.first = static_cast<std::uint32_t>(m_out->kids.size());
        node.count = static_cast<std::uint32_t>(operands.size());
        node.index = static_cast<std::uint32_t>(m_out->ops.size());
        m_out->kids.insert(m_out->kids.end(), operands.begin(), operands.end());
        m_out->ops.insert(m_out->ops.end(), ops.begin(), ops.end());
        return add(node);
    }

    // A run of signs and what follows it.
    std::uint32_t operand(int depth)
    {
        std::uint32_t minus = 0;
        bool signs = false;
        while (peekIs(Kind::Operator) && (peek()->op == FormulaOp::Add || peek()->op == FormulaOp::Sub)) {
            if (peek()->op == FormulaOp::Sub)
                ++minus;
            signs = true;
            ++m_at;
        }
        const std::uint32_t inner = primary(depth);
        if (!signs || minus == 0)
            return inner;  // a plus sign changes nothing
        FormulaNode node;
        node.kind = FormulaNode::Kind::Sign;
        node.index = 2 - minus % 2;  // 1 negates, 2 only makes it a number
        node.first = static_cast<std::uint32_t>(m_out->kids.size());
        node.count = 1;
        m_out->kids.push_back(inner);
        return add(node);
    }

    std::uint32_t primary(int depth)
    {
        const FormulaToken* t = peek();
        if (!t)
            refuse("The formula ends where a value is due.");
        ++m_at;
        FormulaNode node;
        switch (t->kind) {
        case Kind::Bad:
            if (!t->offSheet.empty() && isCellPastSheet(t->offSheet)) {
                // A reference past the last row or column points nowhere.
                node.kind = FormulaNode::Kind::Error;
                node.error = CellError::Ref;
                return add(node);
            }
            refuse(t->problem);
        case Kind::Text:
            return text(*t);
        case Kind::Error:
            node.kind = FormulaNode::Kind::Error;
            node.error = t->error;
            return add(node);
        case Kind::Open: {
            const std::uint32_t inner = expression(depth + 1);
            if (!peekIs(Kind::Close))
                refuse("A bracket is not closed.");
            ++m_at;
            return inner;
        }
        case Kind::Ref:
            return reference(t->ref);
        case Kind::Number:
            return number(*t);
        case Kind::Function:
            ++m_at;  // the "(" right after the name
            return call(spelled(*t), depth);
        case Kind::Logical:
            node.kind = FormulaNode::Kind::Logical;
            node.number = equalsNoCase(spelled(*t), "TRUE") ? 1 : 0;
            return add(node);
        case Kind::Name:
            node.kind = FormulaNode::Kind::Name;
            node.index = static_cast<std::uint32_t>(m_out->texts.size());
            m_out->texts.emplace_back(spelled(*t));
            return add(node);
        default:
            refuse(cannotRead(*t));
        }
    }

    std::uint32_t reference(const FormulaRef& written)
    {
        FormulaNode node;
        node.kind = FormulaNode::Kind::Ref;
        node.index = static_cast<std::uint32_t>(m_out->refs.size());
        m_out->refs.push_back(refPart(written, m_ofCell, m_row, m_col));
        return add(node);
    }

    std::uint32_t call(std::string_view name, int depth)
    {
        FormulaNode node;
        node.kind = FormulaNode::Kind::Call;
        node.function = functionNamed(name);
        if (node.function == FormulaFunction::Now)
            m_out->callsNow = true;
        std::vector<std::uint32_t> args;
        if (peekIs(Kind::Close)) {
            ++m_at;
        } else {
            for (;;) {
                if (peekIs(Kind::Comma) || peekIs(Kind::Close)) {
                    FormulaNode missing;
                    missing.kind = FormulaNode::Kind::Missing;
                    args.push_back(add(missing));
                } else {
                    args.push_back(expression(depth + 1));
                }
                if (peekIs(Kind::Comma)) {
                    ++m_at;
                    continue;
                }
                if (peekIs(Kind::Close)) {
                    ++m_at;
                    break;
                }
                refuse("The arguments of " + std::string(name) + " are not closed by a bracket.");
            }
        }
        node.first = static_cast<std::uint32_t>(m_out->kids.size());
        node.count = static_cast<std::uint32_t>(args.size());
        m_out->kids.insert(m_out->kids.end(), args.begin(), args.end());
        return add(node);
    }

    std::uint32_t text(const FormulaToken& t)
    {
        // Inside the quotes, "" stands for one quote.
        const std::string_view inner = m_text.substr(t.begin + 1, t.end - t.begin - 2);
        std::string value;
        value.reserve(inner.size());
        for (std::size_t i = 0; i < inner.size(); ++i) {
            value += inner[i];
            if (inner[i] == '"')
                ++i;
        }
        FormulaNode node;
        node.kind = FormulaNode::Kind::Text;
        node.index = static_cast<std::uint32_t>(m_out->texts.size());
        m_out->texts.push_back(std::move(value));
        return add(node);
    }

    std::uint32_t number(const FormulaToken& t)
    {
        const std::string_view spelled = this->spelled(t);
        double value = 0;
        const auto res = std::from_chars(spelled.data(), spelled.data() + spelled.size(), value);
        FormulaNode node;
        node.kind = FormulaNode::Kind::Number;
        if (res.ec == std::errc::result_out_of_range || !std::isfinite(value) ||
            (value != 0.0 && std::fabs(value) < std::numeric_limits<double>::min())) {
            // Past the range of numbers, too large (1E309) or too small to
            // hold all its digits (1E-400, 1E-310): the formula gives #NUM!
            // whatever it does with the number. A zero is a zero whatever
            // its exponent (0E400).
            const std::string_view mantissa = spelled.substr(0, spelled.find_first_of("Ee"));
            if (mantissa.find_first_of("123456789") != std::string_view::npos)
                m_pastRange = true;
            value = 0.0;
        } else if (res.ec != std::errc()) {
            refuse("\"" + std::string(spelled) + "\" is no number.");
        }
        node.number = value;
        return add(node);
    }

    std::string_view m_text;
    std::vector<FormulaToken> m_tokens;
    std::size_t m_at = 0;
    bool m_pastRange = false;  // a number written past the range of numbers
    bool m_ofCell;
    std::int32_t m_row;
    std::int32_t m_col;
    std::shared_ptr<ParsedFormula> m_out = std::make_shared<ParsedFormula>();
    std::vector<int> m_levels;  // the level of each node, as add counts it
};

FormulaParseResult parse(std::string_view text, bool ofCell, std::int32_t row, std::int32_t col)
{
    FormulaParseResult result;
    if (isFormulaTooLong(text)) {
        result.problem = "A formula can be at most " + withThousands(kMaxFormulaLength) + " characters long.";
        result.tooLarge = true;
        return result;
    }
    if (!isCleanFormulaText(text, true)) {
        result.problem = "The formula holds characters that no formula can hold.";
        return result;
    }
    try {
        result.formula = Parser(text, ofCell, row, col).run();
    } catch (const Refused& r) {
        result.problem = r.problem;
        result.tooLarge = r.tooLarge;
    }
    return result;
}

template <typename T>
void appendBytes(std::string& out, const T& x)
{
    out.append(reinterpret_cast<const char*>(&x), sizeof x);
}

void appendText(std::string& out, std::string_view text)
{
    appendBytes(out, static_cast<std::uint32_t>(text.size()));
    out.append(text);
}

} // namespace

std::vector<FormulaToken> lexFormula(std::string_view text)
{
    return Lexer(text).run();
}

FormulaParseResult parseFormula(std::string_view text)
{
    return parse(text, false, 0, 0);
}

FormulaParseResult parseFormulaOfCell(std::string_view text, std::int32_t row, std::int32_t col)
{
    return parse(text, true, row, col);
}

bool formulaShape(std::string_view text, std::int32_t row, std::int32_t col, std::string& shape)
{
    if (isFormulaTooLong(text) || !isCleanFormulaText(text, true))
        return false;
    // The parser reads nothing of the text but its tokens, and of a
    // reference nothing but the part it holds; the blanks between tokens
    // only decide how the text falls into tokens.
    shape.clear();
    for (const FormulaToken& t : lexFormula(text)) {
        shape += static_cast<char>(t.kind);
        if (t.kind != FormulaToken::Kind::Ref) {
            appendText(shape, text.substr(t.begin, t.end - t.begin));
            if (t.kind == FormulaToken::Kind::Bad)
                appendText(shape, t.offSheet);
            continue;
        }
        const FormulaRefPart part = refPart(t.ref, true, row, col);
        appendText(shape, part.sheet);
        shape += static_cast<char>(part.relative);
        for (const std::int32_t x : {part.row1, part.col1, part.row2, part.col2})
            appendBytes(shape, x);
    }
    return true;
}

bool isFormulaTooLong(std::string_view text) noexcept
{
    if (text.size() <= kMaxFormulaLength)
        return false;
    // Each character starts with a byte that continues none (not 10xxxxxx).
    std::size_t characters = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && ++characters > kMaxFormulaLength)
            return true;
    return false;
}

FormulaFunction functionNamed(std::string_view name) noexcept
{
    for (const auto& [spelled, function] : kFunctions)
        if (equalsNoCase(name, spelled))
            return function;
    return FormulaFunction::Unknown;
}

bool isWorksheetFunctionName(std::string_view word) noexcept
{
    if (functionNamed(word) != FormulaFunction::Unknown)
        return true;
    return std::any_of(std::begin(kOtherFunctions), std::end(kOtherFunctions),
                       [&](std::string_view f) { return equalsNoCase(f, word); });
}

bool isCleanFormulaText(std::string_view text, bool blanks) noexcept
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if ((c < 0x20 && !(blanks && isBlank(text[i]))) || c == 0x7F)
                return false;
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = platform::rt::utf8SequenceAt(text, i, cp);
        // Overlong forms, surrogates and code points past the last one.
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (length == 0 || length > 4 || cp < kLeast[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += length;
    }
    return true;
}

bool isCellPastSheet(std::string_view word) noexcept
{
    constexpr std::int64_t kLargestSheetRows = 1048576;
    constexpr std::int64_t kLargestSheetCols = 16384;
    std::int64_t row = 0;
    std::int64_t col = 0;
    return readCellShape(word, row, col) && row >= 1 && row <= kLargestSheetRows && col <= kLargestSheetCols &&
           (row > kMaxRows || col > kMaxCols);
}

bool continuesFormulaWord(char c) noexcept
{
    return isWordChar(c);
}

} // namespace spreadsheet::detail
