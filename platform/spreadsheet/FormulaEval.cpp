#include "platform/spreadsheet/FormulaEval.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <optional>
#include <tuple>
#include <set>
#include <utility>

#include "platform/runtime/Utf8.h"
#include "platform/spreadsheet/SheetData.h"

namespace spreadsheet::detail {

namespace {

// The serial of 1 January 1970 in the 1900 date system.
constexpr double kSerialOf1970 = 25569.0;
constexpr double kPi = 3.14159265358979323846;
// The largest character count a text function takes, as LibreOffice's.
constexpr double kLargestStringPosition = 2147483647.0;

std::string upperAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The local date and time as a serial: days since 30 December 1899.
double nowSerial()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const double seconds = std::chrono::duration<double>(now.time_since_epoch()).count() +
                           static_cast<double>(local.tm_gmtoff);
    return kSerialOf1970 + seconds / 86400.0;
}

bool isWholeNumber(double v) noexcept
{
    return std::fabs(v) < 9007199254740992.0 && v == std::floor(v);
}

// Equal to within the last bits (2^-48 of the larger).
bool nearlyEqual(double a, double b) noexcept
{
    if (a == b)
        return true;
    if (a == 0.0 || b == 0.0)
        return false;
    const double d = std::fabs(a - b);
    if (!std::isfinite(d))
        return false;
    constexpr double kE48 = 1.0 / 281474976710656.0;
    a = std::fabs(a);
    b = std::fabs(b);
    if (d > a * kE48 || d > b * kE48)
        return false;
    return !(isWholeNumber(d) && isWholeNumber(a) && isWholeNumber(b));
}

double cancellingAdd(double a, double b) noexcept
{
    if (((a < 0 && b > 0) || (b < 0 && a > 0)) && nearlyEqual(a, -b))
        return 0.0;
    return a + b;
}

double cancellingSub(double a, double b) noexcept
{
    if (((a < 0 && b < 0) || (a > 0 && b > 0)) && nearlyEqual(a, b))
        return 0.0;
    return a - b;
}

// a^b; a negative base takes an odd root (-8^(1/3) is -2), else none (NaN).
double power(double a, double b) noexcept
{
    if (a < 0 && b != std::floor(b)) {
        const double inverse = 1.0 / b;
        const double n = std::round(inverse);
        if (std::fabs(n) < 1e15 && std::fmod(std::fabs(n), 2.0) == 1.0 && nearlyEqual(inverse, n))
            return -std::pow(-a, b);
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double result = std::pow(a, b);
    // A power too small to tell from 0 is no more a result than one too large.
    if (result == 0.0 && a != 0.0)
        return std::numeric_limits<double>::quiet_NaN();
    return result;
}

// The value rounded to 15 significant digits, as INT reads it, so that a
// quotient a last bit short of a whole number (9/0.00001) counts as that
// number. A value with at most 11 bits after the binary point (a whole
// number, 2.5, 123456789012345.67) is already as exact as its digits and
// stays as it is.
double roundedTo15Digits(double v) noexcept
{
    if (v == 0.0 || !std::isfinite(v))
        return v;
    int exponent = 0;
    const double mantissa = std::frexp(std::fabs(v), &exponent);  // in [0.5, 1)
    const auto bits = static_cast<std::uint64_t>(std::ldexp(mantissa, 53));
    const int significant = 53 - std::countr_zero(bits);
    if (significant - exponent <= 11)
        return v;
    const int shift = 14 - static_cast<int>(std::floor(std::log10(std::fabs(v))));
    const double scale = std::pow(10.0, std::abs(shift));
    double scaled = shift < 0 ? v / scale : v * scale;
    if (!std::isfinite(scaled))
        return v;
    scaled = std::round(scaled);
    const double rounded = shift < 0 ? scaled * scale : scaled / scale;
    return std::isfinite(rounded) ? rounded : v;
}

Value finite(double v)
{
    if (!std::isfinite(v))
        return Value::error(CellError::Num);
    return Value(v == 0.0 ? 0.0 : v);
}

// The number a value counts as where a number is wanted.
bool numberOf(const Value& v, double& out, CellError& error)
{
    switch (v.kind()) {
    case ValueKind::Number:
        out = v.number();
        return true;
    case ValueKind::Logical:
        out = v.logicalValue() ? 1.0 : 0.0;
        return true;
    case ValueKind::Empty:
        out = 0.0;
        return true;
    case ValueKind::Text:
        if (parseNumber(v.text(), out))
            return true;
        error = CellError::Value;
        return false;
    case ValueKind::Error:
        error = v.errorCode();
        return false;
    }
    error = CellError::Value;
    return false;
}

// The text a value reads as; false for an error.
bool textOf(const Value& v, std::string& out)
{
    switch (v.kind()) {
    case ValueKind::Text:
        out = v.text();
        return true;
    case ValueKind::Empty:
        out.clear();
        return true;
    case ValueKind::Number:
    case ValueKind::Logical:
        out = v.displayText();
        return true;
    case ValueKind::Error:
        break;
    }
    return false;
}

// Compensated summation, its last term held back so that a sum that
// cancels to within the last bits of that term is 0, as a difference is.
// Where the running sum would pass the largest number, it and every term
// from then on are scaled down by a power of two (exactly), so that a total
// that fits comes out whatever the order of the terms
// (1E308+1E308-1E308 is 1E308); one that does not fit is infinite.
class CompensatedSum {
public:
    void add(double x) noexcept
    {
        if (x == 0.0)
            return;
        if (m_held == 0.0) {
            m_held = x;
            return;
        }
        addNow(m_held);
        m_held = x;
    }
    [[nodiscard]] double total() const noexcept
    {
        const double sum = m_sum + m_error;
        if (m_held == 0.0)
            return std::ldexp(sum, m_shift);
        const double held = std::ldexp(m_held, -m_shift);
        if (((held < 0.0 && sum > 0.0) || (sum < 0.0 && held > 0.0)) && nearlyEqual(held, -sum))
            return 0.0;
        CompensatedSum last = *this;
        last.addNow(m_held);
        return std::ldexp(last.m_sum + last.m_error, last.m_shift);
    }

private:
    static constexpr int kShiftStep = 64;

    void addNow(double x) noexcept
    {
        if (m_shift != 0)
            x = std::ldexp(x, -m_shift);
        double t = m_sum + x;
        if (std::isinf(t) && std::isfinite(x) && std::isfinite(m_sum)) {
            m_shift += kShiftStep;
            m_sum = std::ldexp(m_sum, -kShiftStep);
            m_error = std::ldexp(m_error, -kShiftStep);
            x = std::ldexp(x, -kShiftStep);
            t = m_sum + x;
        }
        m_error += std::fabs(m_sum) >= std::fabs(x) ? (m_sum - t) + x : (x - t) + m_sum;
        m_sum = t;
    }
    double m_sum = 0;
    double m_error = 0;
    double m_held = 0;
    int m_shift = 0;  // m_sum and m_error count in units of 2^m_shift
};

// Why an operation failed, and how: an error value computed inside the
// formula (or written in it), an error value a cell holds, a text the
// formula holds that reads as no number, a cell's text that reads as none.
struct Fault {
    CellError error = CellError::Value;
    int tier = 0;  // 0 none, 1 computed, 2 a cell's error, 3 a text of the formula, 4 a cell's text,
                   // 5 an error among the cells of a wider range
    explicit operator bool() const noexcept { return tier != 0; }
};

// A single value and whether a reference brought it.
struct Scalar {
    Value value;
    bool fromCell = false;
};

Fault faultOf(const Scalar& s) noexcept
{
    if (!s.value.isError())
        return {};
    return Fault{s.value.errorCode(), s.fromCell ? 2 : 1};
}

// The number a value counts as where a number is wanted.
bool numberOf(const Scalar& s, double& out, Fault& fault)
{
    if (s.value.isText()) {
        if (parseNumber(s.value.text(), out))
            return true;
        fault = Fault{CellError::Value, s.fromCell ? 4 : 3};
        return false;
    }
    CellError error{};
    if (numberOf(s.value, out, error))
        return true;
    fault = faultOf(s);
    return false;
}

// The failure an operator shows when its left and right operands failed
// so, as LibreOffice shows it: an error computed inside the formula before
// a cell's failure, that before a text of the formula that reads as no
// number; of two alike, the left one.
Fault pick(const Fault& left, const Fault& right) noexcept
{
    const auto rank = [](const Fault& f) { return f.tier == 0 ? 9 : f.tier == 4 ? 2 : f.tier; };
    return rank(right) < rank(left) ? right : left;
}

// Where each character of the UTF-8 text starts; a byte that starts no
// whole sequence counts as one character of its own.
std::vector<std::size_t> characterStarts(std::string_view text)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size();) {
        starts.push_back(i);
        char32_t cp = 0;
        const std::size_t length = platform::rt::utf8SequenceAt(text, i, cp);
        i += length == 0 ? 1 : length;
    }
    return starts;
}

// The weight of a character in alphabetical order, its case aside:
// blanks and punctuation, then digits, then letters (accented ones beside
// their plain letter), then everything else by code point.
std::uint32_t primaryWeight(char32_t c, bool& upper)
{
    upper = false;
    static constexpr std::string_view kPunctuation = "\t\n\r _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~$";
    if (c >= 'A' && c <= 'Z') {
        upper = true;
        c = c - 'A' + 'a';
    }
    if (c >= 'a' && c <= 'z')
        return 2000 + (c - 'a') * 8;
    if (c >= '0' && c <= '9')
        return 1000 + (c - '0');
    if (c < 0x80) {
        const auto at = kPunctuation.find(static_cast<char>(c));
        return at == std::string_view::npos ? 100 + c : static_cast<std::uint32_t>(at);
    }
    if (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) {
        // Latin-1 letters sort beside their plain letter.
        static constexpr std::string_view kBase = "aaaaaaaceeeeiiiidnooooo ouuuuyts";
        const std::size_t at = (c & 0x1F);
        upper = c < 0xE0 && c != 0xDF;
        const char base = kBase[at];
        if (base >= 'a' && base <= 'z')
            return 2000 + static_cast<std::uint32_t>(base - 'a') * 8 + 1 + static_cast<std::uint32_t>(at % 7);
    }
    return 10000 + c;
}

std::vector<std::pair<std::uint32_t, bool>> collationKey(std::string_view s)
{
    std::vector<std::pair<std::uint32_t, bool>> key;
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = static_cast<unsigned char>(s[i]);
        std::size_t length = 1;
        if (cp >= 0x80) {
            length = platform::rt::utf8SequenceAt(s, i, cp);
            if (length == 0) {
                cp = static_cast<unsigned char>(s[i]) + 0x110000;
                length = 1;
            }
        }
        bool upper = false;
        const std::uint32_t w = primaryWeight(cp, upper);
        key.emplace_back(w, upper);
        i += length;
    }
    return key;
}

struct Operand {
    Value value;
    bool isArea = false;
    CellArea area;
};

class Evaluator {
public:
    Evaluator(const std::vector<std::unique_ptr<SheetData>>& sheets, const NameTable& names, std::int32_t sheet,
              std::int32_t row, std::int32_t col, AggregateCache* cache)
        : m_sheets(sheets), m_names(names), m_cache(cache), m_sheet(sheet), m_row(row), m_col(col)
    {
    }

    Value result(const ParsedFormula& f)
    {
        Value v = scalar(eval(f, f.root(), m_sheet)).value;
        if (v.isEmpty())
            return Value(0.0);
        if (v.isNumber())
            return finite(v.number());
        return v;
    }

private:
    Value cell(std::int32_t sheet, std::int32_t row, std::int32_t col) const
    {
        if (sheet < 0 || static_cast<std::size_t>(sheet) >= m_sheets.size())
            return Value::error(CellError::Ref);
        const Cell* c = m_sheets[static_cast<std::size_t>(sheet)]->find(row, col);
        return c ? c->value() : Value();
    }

    // Calls visit(cell) for each stored cell of the area; stops when it returns false.
    template <typename Visit>
    void forEachCell(const CellArea& a, Visit&& visit) const
    {
        if (a.sheet < 0 || static_cast<std::size_t>(a.sheet) >= m_sheets.size())
            return;
        const SheetData& s = *m_sheets[static_cast<std::size_t>(a.sheet)];
        const auto lastRow = std::min<std::size_t>(static_cast<std::size_t>(a.row2), s.rows.size());
        for (std::size_t r = static_cast<std::size_t>(a.row1); r <= lastRow; ++r) {
            const auto& line = s.rows[r - 1];
            const auto lastCol = std::min<std::size_t>(static_cast<std::size_t>(a.col2), line.size());
            for (std::size_t c = static_cast<std::size_t>(a.col1); c <= lastCol; ++c)
                if (!visit(line[c - 1]))
                    return;
        }
    }

    // One value where one is wanted: a range gives the cell in the
    // formula's row or column.
    Scalar scalar(Operand&& o) const
    {
        if (!o.isArea)
            return Scalar{std::move(o.value), false};
        const CellArea& a = o.area;
        if (a.row1 == a.row2 && a.col1 == a.col2)
            return Scalar{cell(a.sheet, a.row1, a.col1), true};
        if (a.col1 == a.col2 && m_row >= a.row1 && m_row <= a.row2)
            return Scalar{cell(a.sheet, m_row, a.col1), true};
        if (a.row1 == a.row2 && m_col >= a.col1 && m_col <= a.col2)
            return Scalar{cell(a.sheet, a.row1, m_col), true};
        return Scalar{Value::error(CellError::Value), true};
    }

    Scalar scalarOf(const ParsedFormula& f, std::uint32_t node, std::int32_t own)
    {
        return scalar(eval(f, node, own));
    }

    static Operand of(Value v)
    {
        Operand o;
        o.value = std::move(v);
        return o;
    }

    // Counts the levels of recursion on the way to a node, as the parser
    // counts a formula's depth.
    class Deeper {
    public:
        Deeper(int& level, int levels) noexcept : m_level(level), m_levels(levels) { m_level += m_levels; }
        ~Deeper() { m_level -= m_levels; }
        Deeper(const Deeper&) = delete;
        Deeper& operator=(const Deeper&) = delete;

    private:
        int& m_level;
        int m_levels;
    };

    Operand eval(const ParsedFormula& f, std::uint32_t index, std::int32_t own)
    {
        const FormulaNode& n = f.nodes[index];
        const bool recurses = n.kind == FormulaNode::Kind::Sign || n.kind == FormulaNode::Kind::Chain ||
                              n.kind == FormulaNode::Kind::Call;
        const Deeper deeper(m_level, recurses ? 1 : 0);
        switch (n.kind) {
        case FormulaNode::Kind::Number:
            return of(Value(n.number));
        case FormulaNode::Kind::Text:
            return of(Value(f.texts[n.index]));
        case FormulaNode::Kind::Logical:
            return of(Value::logical(n.number != 0));
        case FormulaNode::Kind::Error:
            return of(Value::error(n.error));
        case FormulaNode::Kind::Missing:
            return of(Value());
        case FormulaNode::Kind::Ref: {
            const FormulaRefPart& r = f.refs[n.index];
            const FormulaRefEnds e = r.endsAt(m_row, m_col);
            Operand o;
            o.isArea = true;
            o.area = CellArea{sheetNamed(m_sheets, r.sheet, own), e.row1, e.col1, e.row2, e.col2};
            if (o.area.sheet < 0)
                return of(Value::error(CellError::Ref));
            return o;
        }
        case FormulaNode::Kind::Name: {
            const NameTable::Entry* e = m_names.find(f.texts[n.index]);
            if (e == nullptr && isCellPastSheet(f.texts[n.index]))
                return of(Value::error(CellError::Ref));
            if (e == nullptr || !e->formula)
                return of(Value::error(CellError::Name));
            // The name's formula nests inside this one: together they may
            // recurse no deeper than one formula may.
            if (m_level + e->depth > kMaxFormulaDepth)
                return of(Value::error(CellError::Name));
            const Deeper named(m_level, 1);
            // A name's references without a sheet mean the first sheet.
            return eval(*e->formula, e->formula->root(), 0);
        }
        case FormulaNode::Kind::Sign: {
            double x = 0;
            Fault fault;
            if (!numberOf(scalarOf(f, f.kids[n.first], own), x, fault))
                return of(Value::error(fault.error));
            return of(finite(n.index == 1 ? -x : x));
        }
        case FormulaNode::Kind::Chain:
            return of(chain(f, n, own));
        case FormulaNode::Kind::Call:
            return call(f, n, own);
        }
        return of(Value::error(CellError::Value));
    }

    Value chain(const ParsedFormula& f, const FormulaNode& n, std::int32_t own)
    {
        const FormulaOp first = f.ops[n.index];
        if (first == FormulaOp::Concat) {
            std::string joined;
            std::string part;
            Fault failed;
            for (std::uint32_t k = 0; k < n.count; ++k) {
                const Scalar s = scalarOf(f, f.kids[n.first + k], own);
                const Fault fault = faultOf(s);
                if (failed || fault) {
                    failed = k == 0 ? fault : Fault{pick(failed, fault).error, 1};
                    if (failed.tier == 1 && k > 0)
                        break;
                    continue;
                }
                textOf(s.value, part);
                joined += part;
            }
            if (failed)
                return Value::error(failed.error);
            return Value(std::move(joined));
        }
        // An error value written in the formula ranks with a cell's error
        // among the operands of arithmetic and comparisons (A8+#N/A shows
        // A8's error), and with the errors computed inside it in joined texts.
        const auto ranked = [&](std::uint32_t k, Fault fault) {
            if (fault.tier == 1 && f.nodes[f.kids[n.first + k]].kind == FormulaNode::Kind::Error)
                fault.tier = 2;
            return fault;
        };
        if (first >= FormulaOp::Eq) {
            Scalar left = scalarOf(f, f.kids[n.first], own);
            Fault leftFault = ranked(0, faultOf(left));
            for (std::uint32_t k = 1; k < n.count; ++k) {
                const Scalar right = scalarOf(f, f.kids[n.first + k], own);
                const Fault fault = pick(leftFault, ranked(k, faultOf(right)));
                if (fault)
                    left = Scalar{Value::error(fault.error), false};
                else
                    left = Scalar{compare(f.ops[n.index + k - 1], left.value, right.value), false};
                leftFault = faultOf(left);
            }
            return std::move(left.value);
        }
        // Arithmetic: every operand a number, from left to right.
        double acc = 0;
        Fault failed;
        numberOf(scalarOf(f, f.kids[n.first], own), acc, failed);
        failed = ranked(0, failed);
        for (std::uint32_t k = 1; k < n.count; ++k) {
            double x = 0;
            Fault fault;
            numberOf(scalarOf(f, f.kids[n.first + k], own), x, fault);
            if (failed || fault) {
                // A failed operation is an error value of the formula.
                failed = Fault{pick(failed, ranked(k, fault)).error, 1};
                break;
            }
            switch (f.ops[n.index + k - 1]) {
            case FormulaOp::Pow:
                acc = power(acc, x);
                break;
            case FormulaOp::Mul:
                acc *= x;
                break;
            case FormulaOp::Div:
                if (x == 0.0)
                    failed = Fault{CellError::Div0, 1};
                else
                    acc /= x;
                break;
            case FormulaOp::Add:
                acc = cancellingAdd(acc, x);
                break;
            case FormulaOp::Sub:
                acc = cancellingSub(acc, x);
                break;
            default:
                break;
            }
            if (!failed && !std::isfinite(acc))
                failed = Fault{CellError::Num, 1};
            if (failed)
                break;
        }
        if (failed)
            return Value::error(failed.error);
        return finite(acc);
    }

    static Value compare(FormulaOp op, const Value& a, const Value& b)
    {
        if (a.isError())
            return a;
        if (b.isError())
            return b;
        int order = 0;
        const bool aText = a.isText() || (a.isEmpty() && b.isText());
        const bool bText = b.isText() || (b.isEmpty() && a.isText());
        if (aText && bText) {
            order = compareTexts(a.text(), b.text());
        } else if (aText) {
            order = 1;  // numbers come before texts
        } else if (bText) {
            order = -1;
        } else {
            double x = 0;
            double y = 0;
            CellError e{};
            numberOf(a, x, e);
            numberOf(b, y, e);
            order = nearlyEqual(x, y) ? 0 : (x < y ? -1 : 1);
        }
        switch (op) {
        case FormulaOp::Eq:
            return Value::logical(order == 0);
        case FormulaOp::Ne:
            return Value::logical(order != 0);
        case FormulaOp::Lt:
            return Value::logical(order < 0);
        case FormulaOp::Gt:
            return Value::logical(order > 0);
        case FormulaOp::Le:
            return Value::logical(order <= 0);
        default:
            return Value::logical(order >= 0);
        }
    }

    // A call; an aggregate of one reference to a large area is taken from
    // the cache, or computed and kept there.
    Operand call(const ParsedFormula& f, const FormulaNode& n, std::int32_t own)
    {
        const bool aggregates = n.function == FormulaFunction::Sum || n.function == FormulaFunction::Average ||
                                n.function == FormulaFunction::CountA || n.function == FormulaFunction::Min ||
                                n.function == FormulaFunction::Max;
        if (m_cache == nullptr || !aggregates || n.count != 1 || f.nodes[f.kids[n.first]].kind != FormulaNode::Kind::Ref)
            return callAfresh(f, n, own);
        const FormulaRefPart& r = f.refs[f.nodes[f.kids[n.first]].index];
        const FormulaRefEnds e = r.endsAt(m_row, m_col);
        const CellArea area{sheetNamed(m_sheets, r.sheet, own), e.row1, e.col1, e.row2, e.col2};
        const std::int64_t cells = std::int64_t{area.row2 - area.row1 + 1} * (area.col2 - area.col1 + 1);
        if (area.sheet < 0 || cells < AggregateCache::kLeastCells)
            return callAfresh(f, n, own);
        if (const Value* kept = m_cache->find(n.function, area))
            return of(*kept);
        Operand o = callAfresh(f, n, own);
        m_cache->store(n.function, area, o.value);
        return o;
    }

    Operand callAfresh(const ParsedFormula& f, const FormulaNode& n, std::int32_t own)
    {
        const auto arg = [&](std::uint32_t k) { return f.kids[n.first + k]; };
        const auto isMissing = [&](std::uint32_t k) { return f.nodes[arg(k)].kind == FormulaNode::Kind::Missing; };
        const Operand wrong = of(Value::error(CellError::Value));
        switch (n.function) {
        case FormulaFunction::Unknown:
            return of(Value::error(CellError::Name));
        case FormulaFunction::Pi:
            return n.count == 0 ? of(Value(kPi)) : wrong;
        case FormulaFunction::Now:
            return n.count == 0 ? of(Value(nowSerial())) : wrong;
        case FormulaFunction::If: {
            if (n.count < 1 || n.count > 3)
                return wrong;
            bool condition = false;
            if (!isMissing(0)) {
                double x = 0;
                Fault fault;
                if (!numberOf(scalarOf(f, arg(0), own), x, fault))
                    return of(Value::error(fault.error));
                condition = x != 0;
            }
            if (n.count == 1)
                return of(Value::logical(condition));
            if (condition)
                return eval(f, arg(1), own);
            if (n.count == 3)
                return eval(f, arg(2), own);
            return of(Value::logical(false));
        }
        case FormulaFunction::Int: {
            if (n.count != 1)
                return wrong;
            double x = 0;
            Fault fault;
            if (!numberOf(scalarOf(f, arg(0), own), x, fault))
                return of(Value::error(fault.error));
            return of(finite(std::floor(roundedTo15Digits(x))));
        }
        case FormulaFunction::Len:
        case FormulaFunction::Left: {
            const bool left = n.function == FormulaFunction::Left;
            if (n.count < 1 || n.count > (left ? 2u : 1u))
                return wrong;
            const Scalar text = scalarOf(f, arg(0), own);
            // A count left out (LEFT("abc",)) is 0; none at all is 1.
            double count = left && n.count == 2 ? 0 : 1;
            Fault countFault;
            if (left && n.count == 2 && !isMissing(1))
                numberOf(scalarOf(f, arg(1), own), count, countFault);
            // A count below 0 or past the largest string position is refused
            // as a failure of the count, which shows before a cell's error.
            if (!countFault && !(count >= 0 && count <= kLargestStringPosition))
                countFault = Fault{CellError::Value, 3};
            // Of two failures, the count's shows unless the text's is an
            // error value of the formula.
            const Fault textFault = faultOf(text);
            if (textFault || countFault) {
                const Fault shown =
                    textFault.tier == 1 ? textFault : (countFault ? countFault : textFault);
                return of(Value::error(shown.error));
            }
            std::string s;
            textOf(text.value, s);
            const std::vector<std::size_t> starts = characterStarts(s);
            if (!left)
                return of(Value(static_cast<double>(starts.size())));
            const double whole = std::floor(count);
            if (whole >= static_cast<double>(starts.size()))
                return of(Value(std::move(s)));
            return of(Value(s.substr(0, starts[static_cast<std::size_t>(whole)])));
        }
        case FormulaFunction::Concatenate: {
            // The first error value of the formula shows, else the last
            // error a cell brings.
            std::string joined;
            std::string part;
            Fault token;
            Fault fromCell;
            for (std::uint32_t k = 0; k < n.count && !token; ++k) {
                const Scalar v = scalarOf(f, arg(k), own);
                const Fault fault = faultOf(v);
                if (fault.tier == 1)
                    token = fault;
                else if (fault)
                    fromCell = fault;
                else if (!fromCell && textOf(v.value, part))
                    joined += part;
            }
            if (token || fromCell)
                return of(Value::error(token ? token.error : fromCell.error));
            return of(Value(std::move(joined)));
        }
        case FormulaFunction::CountA: {
            // An argument left out counts as a value (COUNTA(1,) is 2).
            double count = 0;
            for (std::uint32_t k = 0; k < n.count; ++k) {
                if (isMissing(k)) {
                    ++count;
                    continue;
                }
                Operand o = eval(f, arg(k), own);
                if (o.isArea) {
                    forEachCell(o.area, [&](const Cell& c) {
                        if (!c.isEmpty())
                            ++count;
                        return true;
                    });
                } else if (!o.value.isEmpty()) {
                    ++count;
                }
            }
            return of(Value(count));
        }
        case FormulaFunction::Sum:
        case FormulaFunction::Average:
        case FormulaFunction::Min:
        case FormulaFunction::Max:
            return of(aggregate(f, n, own));
        }
        return wrong;
    }

    // SUM, AVERAGE, MIN and MAX.
    Value aggregate(const ParsedFormula& f, const FormulaNode& n, std::int32_t own)
    {
        if (n.count == 0 && n.function != FormulaFunction::Sum)
            return Value::error(CellError::Value);
        CompensatedSum sum;
        double least = std::numeric_limits<double>::infinity();
        double most = -std::numeric_limits<double>::infinity();
        double count = 0;
        // The first error value of the formula among the arguments shows,
        // else the last failure of the others (a cell's error, a text).
        Fault token;
        Fault other;
        const auto take = [&](double x) {
            sum.add(x);
            least = std::min(least, x);
            most = std::max(most, x);
            ++count;
        };
        for (std::uint32_t k = 0; k < n.count && !token; ++k) {
            const std::uint32_t a = f.kids[n.first + k];
            if (f.nodes[a].kind == FormulaNode::Kind::Missing) {
                take(0.0);  // an argument left out is a 0: MIN(1,) is 0, AVERAGE(1,) 0.5
                continue;
            }
            Operand o = eval(f, a, own);
            if (o.isArea) {
                if (o.area.sheet < 0)
                    return Value::error(CellError::Ref);
                forEachCell(o.area, [&](const Cell& c) {
                    double x = 0;
                    const ValueKind kind = c.kindAndNumber(x);
                    if (kind == ValueKind::Number || kind == ValueKind::Logical) {
                        take(x);
                    } else if (kind == ValueKind::Error) {
                        // A single cell's error outranks a text's failure
                        // in MIN and MAX; one found in a wider range does not.
                        const bool single = o.area.row1 == o.area.row2 && o.area.col1 == o.area.col2;
                        other = Fault{c.value().errorCode(), single ? 2 : 5};
                        return false;
                    }
                    return true;
                });
                continue;
            }
            const Value& v = o.value;
            switch (v.kind()) {
            case ValueKind::Number:
                take(v.number());
                break;
            case ValueKind::Logical:
                take(v.logicalValue() ? 1.0 : 0.0);
                break;
            case ValueKind::Error:
                token = Fault{v.errorCode(), 1};
                break;
            case ValueKind::Text:
                // MIN and MAX show a cell's error before the failure of a text.
                if (!(other.tier == 2 && (n.function == FormulaFunction::Min || n.function == FormulaFunction::Max)))
                    other = Fault{CellError::Value, 3};
                break;
            case ValueKind::Empty:
                break;
            }
        }
        if (token || other)
            return Value::error(token ? token.error : other.error);
        const double total = sum.total();
        switch (n.function) {
        case FormulaFunction::Sum:
            return finite(total);
        case FormulaFunction::Average:
            if (count == 0)
                return Value::error(CellError::Div0);
            return finite(total / count);
        case FormulaFunction::Min:
            return finite(count == 0 ? 0.0 : least);
        default:
            return finite(count == 0 ? 0.0 : most);
        }
    }

    const std::vector<std::unique_ptr<SheetData>>& m_sheets;
    const NameTable& m_names;
    AggregateCache* m_cache;
    std::int32_t m_sheet;
    std::int32_t m_row;
    std::int32_t m_col;
    int m_level = 0;  // chains, signs, calls and names being computed
};

// The names a formula uses, upper-cased.
void namesUsed(const ParsedFormula& f, std::vector<std::string>& out)
{
    for (const FormulaNode& n : f.nodes)
        if (n.kind == FormulaNode::Kind::Name)
            out.push_back(upperAscii(f.texts[n.index]));
}

// The cells the references of the formula in the cell (own, row, col) read.
void ownAreas(const ParsedFormula& f, const std::vector<std::unique_ptr<SheetData>>& sheets, std::int32_t own,
              std::int32_t row, std::int32_t col, std::vector<CellArea>& areas)
{
    for (const FormulaRefPart& r : f.refs) {
        const std::int32_t sheet = sheetNamed(sheets, r.sheet, own);
        if (sheet < 0)
            continue;
        const FormulaRefEnds e = r.endsAt(row, col);
        areas.push_back(CellArea{sheet, e.row1, e.col1, e.row2, e.col2});
    }
}

void dedupe(std::vector<CellArea>& areas)
{
    const auto key = [](const CellArea& a) { return std::tie(a.sheet, a.row1, a.col1, a.row2, a.col2); };
    std::sort(areas.begin(), areas.end(), [&](const CellArea& a, const CellArea& b) { return key(a) < key(b); });
    areas.erase(std::unique(areas.begin(), areas.end()), areas.end());
}

} // namespace

std::int32_t sheetNamed(const std::vector<std::unique_ptr<SheetData>>& sheets, std::string_view name, std::int32_t own)
{
    if (name.empty())
        return own;
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (sheets[i]->name == name)
            return static_cast<std::int32_t>(i);
    return -1;
}

NameTable::NameTable(const std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<DefinedName>& names)
{
    struct Read {
        std::shared_ptr<const ParsedFormula> formula;
        std::vector<std::string> uses;
        int state = 0;  // 0 not yet resolved, 1 resolving, 2 resolved
        int depth = 0;
        bool valid = false;
    };
    std::unordered_map<std::string, Read> read;
    for (const DefinedName& n : names) {
        Read r;
        r.formula = parseFormula(n.refersTo).formula;
        if (r.formula)
            namesUsed(*r.formula, r.uses);
        read[upperAscii(n.name)] = std::move(r);
    }
    // A name is valid when its text reads, it is on no cycle and the names
    // it reaches nest no deeper than a formula may. Resolved depth first with
    // a stack of our own: a chain of names can be as long as the book has names.
    for (auto& [key, start] : read) {
        if (start.state == 2)
            continue;
        std::vector<std::pair<std::string, std::size_t>> stack{{key, 0}};
        start.state = 1;
        while (!stack.empty()) {
            auto& [name, next] = stack.back();
            Read& r = read[name];
            if (r.formula && next < r.uses.size()) {
                const std::string used = r.uses[next++];
                const auto it = read.find(used);
                if (it == read.end())
                    continue;  // an unknown name gives #NAME? where it is used
                if (it->second.state == 1) {
                    // A cycle: every name on the stack from there on is on it.
                    for (auto& [onStack, ignored] : stack)
                        read[onStack].depth = kMaxFormulaDepth + 1;
                    continue;
                }
                if (it->second.state == 0) {
                    it->second.state = 1;
                    stack.emplace_back(used, 0);
                }
                continue;
            }
            // All the names it uses are resolved.
            int depth = r.formula ? r.formula->depth + 1 : 0;
            bool valid = r.formula != nullptr && r.depth <= kMaxFormulaDepth;
            if (r.formula) {
                for (const std::string& used : r.uses) {
                    const auto it = read.find(used);
                    if (it == read.end())
                        continue;
                    if (it->second.state == 2 && !it->second.valid)
                        valid = false;
                    depth = std::max(depth, it->second.depth + r.formula->depth + 1);
                }
            }
            r.depth = std::max(r.depth, depth);
            r.valid = valid && r.depth <= kMaxFormulaDepth;
            r.state = 2;
            stack.pop_back();
        }
    }
    // A name on a cycle may have been resolved before the cycle was seen
    // from another name: whatever reaches an invalid name is invalid.
    bool changed = true;
    while (changed) {
        changed = false;
        for (auto& [key, r] : read) {
            if (!r.valid)
                continue;
            for (const std::string& used : r.uses) {
                const auto it = read.find(used);
                if (it != read.end() && !it->second.valid) {
                    r.valid = false;
                    changed = true;
                    break;
                }
            }
        }
    }
    for (auto& [key, r] : read) {
        Entry e;
        if (r.valid) {
            e.formula = r.formula;
            e.depth = r.depth;
        }
        m_byUpper.emplace(key, std::move(e));
    }
    // The cells each valid name reads, through the names it uses.
    for (auto& [key, e] : m_byUpper) {
        if (!e.formula)
            continue;
        std::vector<std::string> pending{key};
        std::set<std::string> seen{key};
        while (!pending.empty()) {
            const std::string name = std::move(pending.back());
            pending.pop_back();
            const auto it = m_byUpper.find(name);
            if (it == m_byUpper.end() || !it->second.formula)
                continue;
            const ParsedFormula& f = *it->second.formula;
            // A name's references are held as written: no cell moves them.
            ownAreas(f, sheets, 0, 1, 1, e.areas);
            e.callsNow = e.callsNow || f.callsNow;
            std::vector<std::string> uses;
            namesUsed(f, uses);
            for (std::string& u : uses)
                if (seen.insert(u).second)
                    pending.push_back(std::move(u));
        }
        dedupe(e.areas);
    }
}

const NameTable::Entry* NameTable::find(std::string_view name) const
{
    if (m_byUpper.empty())
        return nullptr;
    const auto it = m_byUpper.find(upperAscii(name));
    return it == m_byUpper.end() ? nullptr : &it->second;
}

void formulaAreas(const ParsedFormula& formula, const std::vector<std::unique_ptr<SheetData>>& sheets,
                  const NameTable& names, std::int32_t ownSheet, std::int32_t row, std::int32_t col,
                  std::vector<CellArea>& areas, bool& callsNow)
{
    areas.clear();
    callsNow = formula.callsNow;
    ownAreas(formula, sheets, ownSheet, row, col, areas);
    for (const FormulaNode& n : formula.nodes) {
        if (n.kind != FormulaNode::Kind::Name)
            continue;
        if (const NameTable::Entry* e = names.find(formula.texts[n.index])) {
            areas.insert(areas.end(), e->areas.begin(), e->areas.end());
            callsNow = callsNow || e->callsNow;
        }
    }
    dedupe(areas);
}

const Value* AggregateCache::find(FormulaFunction function, const CellArea& area) const
{
    const auto it = m_values.find(Key{function, area});
    return it == m_values.end() ? nullptr : &it->second;
}

void AggregateCache::store(FormulaFunction function, const CellArea& area, const Value& value)
{
    m_values.insert_or_assign(Key{function, area}, value);
}

std::size_t AggregateCache::KeyHash::operator()(const Key& k) const noexcept
{
    return CellAreaHash{}(k.area, static_cast<std::uint64_t>(k.function));
}

Value evaluateFormula(const ParsedFormula& formula, const std::vector<std::unique_ptr<SheetData>>& sheets,
                      const NameTable& names, std::int32_t sheet, std::int32_t row, std::int32_t col,
                      AggregateCache* cache)
{
    return Evaluator(sheets, names, sheet, row, col, cache).result(formula);
}

int compareTexts(std::string_view a, std::string_view b)
{
    if (a == b)
        return 0;
    const auto ka = collationKey(a);
    const auto kb = collationKey(b);
    const std::size_t n = std::min(ka.size(), kb.size());
    for (std::size_t i = 0; i < n; ++i)
        if (ka[i].first != kb[i].first)
            return ka[i].first < kb[i].first ? -1 : 1;
    if (ka.size() != kb.size())
        return ka.size() < kb.size() ? -1 : 1;
    // Alike but for case: the first lower-case letter where they differ comes first.
    for (std::size_t i = 0; i < n; ++i)
        if (ka[i].second != kb[i].second)
            return ka[i].second ? 1 : -1;
    return a < b ? -1 : 1;
}

} // namespace spreadsheet::detail
