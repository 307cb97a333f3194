// Formulas computed by our workbook and by LibreOffice Calc, the independent
// reader: several thousand formulas, generated from a fixed seed, typed into
// a book (Workbook::enterCell) over one data block and written with the same
// block into a flat OpenDocument sheet, which LibreOffice (soffice, installed
// by the test command) computes and converts to text in one run. Values must
// agree to 1e-12 relative, texts exactly, logicals as logicals and errors by
// kind. A difference is allowed only where the README names it; each allowed
// kind of difference quotes the README's sentence and holds only while the
// README says it. A failure lists the first differences of each group of
// formulas (every one, and every allowed one, with TESSARAY_ALL_DIFFERENCES=1).
// Skipped with a message when soffice is not installed.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/Value.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/support/LibreOffice.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::CellError;
using spreadsheet::Value;
using spreadsheet::ValueKind;
using spreadsheet::Workbook;
namespace fs = std::filesystem;

// ---- the data block --------------------------------------------------------

// Column A of both books, rows 1 to 17: numbers (negative, zero, very large
// and very small), texts (two that read as numbers, one typed into a cell
// formatted as Text, one typed after an apostrophe), an empty cell, both
// logicals and an error; 16 cells hold something.
struct DataCell {
    const char* typed;  // what is typed into the cell; "" leaves it empty
    bool textFormat;    // formatted as Text before the typing
    Value value;        // what the cell then holds
};

const DataCell kData[] = {
    {"3", false, Value(3)},                              // A1
    {"-2.5", false, Value(-2.5)},                        // A2
    {"1.5E+300", false, Value(1.5e300)},                 // A3
    {"abc", false, Value("abc")},                        // A4
    {"", false, Value()},                                // A5
    {"TRUE", false, Value::logical(true)},               // A6
    {"FALSE", false, Value::logical(false)},             // A7
    {"=1/0", false, Value::error(CellError::Div0)},      // A8
    {"12", true, Value("12")},                           // A9
    {"B", false, Value("B")},                            // A10
    {"0", false, Value(0)},                              // A11
    {"a", false, Value("a")},                            // A12
    {"2.5E-300", false, Value(2.5e-300)},                // A13
    {"1234.5678", false, Value(1234.5678)},              // A14
    {"-7", false, Value(-7)},                            // A15
    {"0.1", false, Value(0.1)},                          // A16
    {"'12", false, Value("12")},                         // A17: the apostrophe makes a text of it
};
constexpr int kDataRows = static_cast<int>(std::size(kData));

// ---- the formulas ----------------------------------------------------------

struct Case {
    std::string group;
    std::string formula;  // as typed, with "="
};

const char* const kOperators[] = {"+", "-", "*", "/", "^", "&", "=", "<>", "<", ">", "<=", ">="};
const char* const kSigns[] = {"-", "+", "--", "+-", "-+", "---"};
const char* const kLiterals[] = {"1E3", "1E-5", ".5", "\"7\"", "TRUE"};
// Ranges of the block, of part of it, of one cell, and of empty cells;
// none reaches column B, where the formulas are.
const char* const kRanges[] = {"A1:A16", "A:A", "$A$1:$A$16", "A1:A3", "A4:A9", "A6:A7",
                               "A8:A9", "A9:A12", "A13:A16", "A11:A11", "C1:C5", "C:C"};
const char* const kAggregates[] = {"SUM", "AVERAGE", "COUNTA", "MAX", "MIN"};

std::string cellName(int row)
{
    return "A" + std::to_string(row);
}

// Random formulas of the functions and operators above nested up to four
// levels deep, without brackets where the operator order decides.
class Nester {
public:
    std::string formula() { return "=" + expr(4); }

private:
    std::size_t pick(std::size_t n) { return m_rng() % n; }

    std::string atom()
    {
        switch (pick(4)) {
        case 0:
            return kLiterals[pick(std::size(kLiterals))];
        case 1:
            return std::to_string(pick(5));
        default: {
            std::string a = cellName(1 + static_cast<int>(pick(kDataRows)));
            if (pick(4) == 0)
                a = "$A$" + a.substr(1);
            return a;
        }
        }
    }

    std::string argument(int depth) { return pick(4) == 0 ? kRanges[pick(std::size(kRanges))] : expr(depth); }

    std::string arguments(int depth, std::size_t count, bool ranges)
    {
        std::string s;
        for (std::size_t i = 0; i < count; ++i)
            s += (i ? "," : "") + (ranges ? argument(depth) : expr(depth));
        return s;
    }

    std::string expr(int depth)
    {
        if (depth == 0 || pick(5) == 0)
            return atom();
        const int d = depth - 1;
        switch (pick(8)) {
        case 0:
        case 1:
        case 2: {
            const std::string e = expr(d) + kOperators[pick(std::size(kOperators))] + expr(d);
            return pick(2) ? "(" + e + ")" : e;
        }
        case 3:
            return std::string(kSigns[pick(std::size(kSigns))]) + (pick(2) ? atom() : "(" + expr(d) + ")");
        case 4:
            return std::string(kAggregates[pick(std::size(kAggregates))]) + "(" + arguments(d, 1 + pick(3), true) + ")";
        case 5:
            return "IF(" + arguments(d, 2 + pick(2), false) + ")";
        case 6: {
            const char* const unary[] = {"INT", "LEN", "LEFT"};
            return std::string(unary[pick(3)]) + "(" + expr(d) + ")";
        }
        default:
            switch (pick(3)) {
            case 0:
                return "LEFT(" + arguments(d, 2, false) + ")";
            case 1:
                return "CONCATENATE(" + arguments(d, 1 + pick(3), false) + ")";
            default:
                return "PI()";
            }
        }
    }

    std::mt19937 m_rng{20261210};
};

std::vector<Case> cases()
{
    std::vector<Case> all;
    const auto add = [&all](const char* group, std::string formula) { all.push_back({group, std::move(formula)}); };

    for (const char* op : kOperators)
        for (int a = 1; a <= kDataRows; ++a)
            for (int b = 1; b <= kDataRows; ++b)
                add("operator over two cells", "=" + cellName(a) + op + cellName(b));
    for (const char* sign : kSigns) {
        for (int a = 1; a <= kDataRows; ++a)
            add("signs", "=" + std::string(sign) + cellName(a));
        for (const char* lit : kLiterals)
            add("signs", "=" + std::string(sign) + lit);
    }
    const auto oneArgument = [&add](const char* group, const std::string& x) {
        for (const char* f : kAggregates)
            add(group, "=" + std::string(f) + "(" + x + ")");
        for (const char* f : {"INT", "LEN", "LEFT", "CONCATENATE"})
            add(group, "=" + std::string(f) + "(" + x + ")");
        add(group, "=LEFT(" + x + ",2)");
        add(group, "=CONCATENATE(" + x + ",\"|\")");
        add(group, "=IF(" + x + ",1,2)");
        add(group, "=IF(" + x + ",\"y\")");
        add(group, "=IF(1," + x + ")");
        add(group, "=IF(0,1," + x + ")");
    };
    for (int a = 1; a <= kDataRows; ++a)
        oneArgument("function over a cell", cellName(a));
    for (const char* lit : kLiterals)
        oneArgument("function over a literal", lit);
    std::mt19937 rng(63);
    for (int a = 1; a <= kDataRows; ++a) {
        for (int b = 1; b <= kDataRows; ++b) {
            const std::string x = cellName(a);
            const std::string y = cellName(b);
            for (const char* f : kAggregates)
                add("function over two cells", "=" + std::string(f) + "(" + x + "," + y + ")");
            add("function over two cells", "=IF(" + x + "," + y + ")");
            add("function over two cells", "=LEFT(" + x + "," + y + ")");
            add("function over two cells", "=CONCATENATE(" + x + "," + y + ")");
            add("function over two cells", "=IF(" + x + "," + y + "," + cellName(1 + static_cast<int>(rng() % kDataRows)) + ")");
        }
    }
    for (const char* op : kOperators) {
        for (const char* l : kLiterals)
            for (const char* m : kLiterals)
                add("operator over literals", "=" + std::string(l) + op + m);
        for (const char* l : kLiterals)
            for (int a = 1; a <= kDataRows; ++a)
                add("operator over a literal and a cell",
                    a % 2 ? "=" + std::string(l) + op + cellName(a) : "=" + cellName(a) + op + l);
    }
    for (const char* range : kRanges) {
        for (const char* f : kAggregates) {
            add("function over ranges", "=" + std::string(f) + "(" + range + ")");
            for (const char* lit : kLiterals)
                add("function over ranges", "=" + std::string(f) + "(" + range + "," + lit + ")");
        }
    }
    add("function over ranges", "=SUM(A1:A3,A14:A16,A:A)");
    add("function over ranges", "=COUNTA(A1:A16,C:C,A8)");
    add("function over ranges", "=PI()");
    Nester nester;
    for (int i = 0; i < 1500; ++i)
        add("random nesting", nester.formula());
    // The worksheet rules one by one, each in its smallest case.
    for (const char* f :
         {"=3E2", "=1E-5", "=1.5E+3", "=2.5E-3*2", "=.5", "=1E3/10/10", "=--3", "=+-1", "=10/2/5", "=2^3^2",
          "=-2^2", "=A9*3", "=A4*3", "=3/A9", "=A9+3", "=\"7\"*3", "=IF(A9,1,2)", "=A9*2", "=A8+3", "=A8=1",
          "=1/(6^16773)", "=(-1)^0.5>0", "=LEN((-1)^0.5)", "=IF((-1)^0.5,1,2)", "=A5=\"\"", "=A5=0",
          "=\"B\"<\"a\"", "=\"abc\"<\"ABD\"", "=\"abc\"=\"ABC\"", "=COUNTA(A8)", "=COUNTA(A1:A16)",
          "=COUNTA(\"abc\")", "=COUNTA(A:A)", "=SUM(\"7\"&\"\")", "=MAX(\"7\"&\"\")", "=IF(1,2)", "=IF(0,2)",
          "=SUM()", "=-A11", "=0*-1", "=LEN(-A11)", "=LEN(0*-1)", "=A6", "=A6&\"\"", "=A14*1E-3",
          "=A14/$A$1", "=INT(-2.5)", "=INT(A9)", "=LEFT(\"abc\",-1)", "=SUM(A1:A16)", "=AVERAGE(A1:A16)"})
        add("rules", f);
    return all;
}

// ---- the flat OpenDocument sheet ------------------------------------------

std::string xmlEscaped(std::string_view s)
{
    std::string out;
    for (const char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

bool isLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool isDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The length of a reference's part at `at`: "$A$1", "A1" (withRow), or "$A"
// (column only); 0 when there is none.
std::size_t refLength(std::string_view f, std::size_t at, bool withRow)
{
    std::size_t i = at;
    if (i < f.size() && f[i] == '$')
        ++i;
    const std::size_t letters = i;
    while (i < f.size() && isLetter(f[i]))
        ++i;
    if (i == letters || i - letters > 3)
        return 0;
    if (!withRow)
        return i < f.size() && (f[i] == '(' || isDigit(f[i]) || f[i] == '$') ? 0 : i - at;
    if (i < f.size() && f[i] == '$')
        ++i;
    const std::size_t digits = i;
    while (i < f.size() && isDigit(f[i]))
        ++i;
    return i == digits ? 0 : i - at;
}

// A formula as typed here ("=SUM(A1:A3,$A$9)") in the OpenDocument formula
// language: references in brackets with a point, arguments apart by ";".
std::string odfFormula(std::string_view typed)
{
    const std::string_view f = typed.substr(1);
    std::string out = "of:=";
    std::size_t i = 0;
    while (i < f.size()) {
        const char c = f[i];
        if (c == '"') {
            const std::size_t start = i++;
            while (i < f.size() && !(f[i] == '"' && (i + 1 >= f.size() || f[i + 1] != '"')))
                i += f[i] == '"' ? 2 : 1;
            ++i;
            out += f.substr(start, i - start);
        } else if (c == ',') {
            out += ';';
            ++i;
        } else if (isDigit(c) || c == '.') {
            while (i < f.size() && (isDigit(f[i]) || f[i] == '.' || f[i] == 'E' ||
                                    ((f[i] == '+' || f[i] == '-') && f[i - 1] == 'E')))
                out += f[i++];
        } else if (c == '$' || isLetter(c)) {
            if (const std::size_t n = refLength(f, i, true)) {
                out += "[." + std::string(f.substr(i, n));
                i += n;
                if (i < f.size() && f[i] == ':') {
                    if (const std::size_t m = refLength(f, i + 1, true)) {
                        out += ":." + std::string(f.substr(i + 1, m));
                        i += 1 + m;
                    }
                }
                out += "]";
            } else if (const std::size_t k = refLength(f, i, false);
                       k && i + k < f.size() && f[i + k] == ':' && refLength(f, i + k + 1, false)) {
                const std::size_t m = refLength(f, i + k + 1, false);
                out += "[." + std::string(f.substr(i, k)) + ":." + std::string(f.substr(i + k + 1, m)) + "]";
                i += k + 1 + m;
            } else {
                while (i < f.size() && (isLetter(f[i]) || isDigit(f[i])))
                    out += f[i++];
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string fodsDataCell(const DataCell& d)
{
    switch (d.value.kind()) {
    case ValueKind::Empty:
        return "<table:table-cell/>";
    case ValueKind::Number:
        return "<table:table-cell office:value-type=\"float\" office:value=\"" +
               spreadsheet::numberToRoundTripText(d.value.number()) + "\"/>";
    case ValueKind::Text:
        return std::string("<table:table-cell") + (d.textFormat ? " table:style-name=\"cetext\"" : "") +
               " office:value-type=\"string\"><text:p>" + xmlEscaped(d.value.text()) + "</text:p></table:table-cell>";
    case ValueKind::Logical:
        return std::string("<table:table-cell table:style-name=\"cebool\" office:value-type=\"boolean\" "
                           "office:boolean-value=\"") +
               (d.value.logicalValue() ? "true" : "false") + "\"/>";
    case ValueKind::Error:
        break;
    }
    return "<table:table-cell table:formula=\"" + xmlEscaped(odfFormula(d.typed)) + "\"/>";
}

// Both books hold this text in D1. LibreOffice 7.4 counts the cells of a
// column past the last one holding anything wrongly (COUNTA(C1:C5) gives the
// number of rows below with formulas); D1 makes column C one of the sheet's
// own.
constexpr const char* kMarker = "end";
constexpr std::int32_t kMarkerCol = 4;

// The data block in column A, formula i in row i + 1 of column B, and the
// number of that formula's value in column E: LibreOffice shows a number
// with a logical's format as TRUE or FALSE, whatever the number.
std::string fods(const std::vector<Case>& all)
{
    std::string out = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:text-style style:name="NT"><number:text-content/></number:text-style>
 <style:style style:name="cetext" style:family="table-cell" style:data-style-name="NT"/>
 <number:boolean-style style:name="NB"><number:boolean/></number:boolean-style>
 <style:style style:name="cebool" style:family="table-cell" style:data-style-name="NB"/>
</office:automatic-styles>
<office:body><office:spreadsheet><table:table table:name="Formulas">
)";
    for (std::size_t i = 0; i < all.size(); ++i) {
        out += "<table:table-row>";
        out += i < std::size(kData) ? fodsDataCell(kData[i]) : "<table:table-cell/>";
        out += "<table:table-cell table:formula=\"" + xmlEscaped(odfFormula(all[i].formula)) + "\"/>";
        out += i == 0 ? std::string("<table:table-cell/><table:table-cell office:value-type=\"string\"><text:p>") +
                            kMarker + "</text:p></table:table-cell>"
                      : "<table:table-cell/><table:table-cell/>";
        out += "<table:table-cell table:formula=\"of:=N([.B" + std::to_string(i + 1) + "])\"/>";
        out += "</table:table-row>\n";
    }
    return out + "</table:table></office:spreadsheet></office:body></office:document>\n";
}

// ---- results ---------------------------------------------------------------

// One field of LibreOffice's tab-separated text; texts (and error values)
// come in double quotes, numbers and logicals without.
struct Field {
    std::string text;
    bool quoted = false;
};

std::vector<std::vector<Field>> parseFields(const std::string& text)
{
    std::vector<std::vector<Field>> rows(1);
    Field field;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' && field.text.empty() && !field.quoted) {
            field.quoted = true;
            for (++i; i < text.size(); ++i) {
                if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                    field.text += '"';
                    ++i;
                } else if (text[i] == '"') {
                    break;
                } else {
                    field.text += text[i];
                }
            }
        } else if (c == '\t') {
            rows.back().push_back(std::move(field));
            field = Field();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            rows.back().push_back(std::move(field));
            field = Field();
            rows.emplace_back();
        } else {
            field.text += c;
        }
    }
    if (!field.text.empty() || field.quoted)
        rows.back().push_back(std::move(field));
    if (rows.back().empty())
        rows.pop_back();
    return rows;
}

// LibreOffice's error texts and their kinds. Its own codes for a wrong
// argument (Err:502) and a wrong list of arguments (Err:504) are the kind
// other spreadsheets give for them; any other code matches nothing here.
std::optional<CellError> libreOfficeError(const std::string& text)
{
    static const std::map<std::string, CellError> kinds = {
        {"#NULL!", CellError::Null}, {"#DIV/0!", CellError::Div0}, {"#VALUE!", CellError::Value},
        {"#REF!", CellError::Ref},   {"#NAME?", CellError::Name},  {"#NUM!", CellError::Num},
        {"#N/A", CellError::NA},     {"Err:502", CellError::Value}, {"Err:504", CellError::Value}};
    const auto it = kinds.find(text);
    return it == kinds.end() ? std::nullopt : std::optional<CellError>(it->second);
}

// What LibreOffice's field says; nothing for a text it names no value by
// (an error code of its own without a kind here). TRUE and FALSE stand for
// a number shown in a logical's format.
std::optional<Value> libreOfficeValue(const Field& f)
{
    if (const auto e = libreOfficeError(f.text))
        return Value::error(*e);
    if (f.quoted)
        return f.text.rfind("Err:", 0) == 0 ? std::nullopt : std::optional<Value>(Value(f.text));
    if (f.text.empty())
        return Value();
    if (f.text == "TRUE" || f.text == "FALSE")
        return Value::logical(f.text == "TRUE");
    double d = 0;
    if (spreadsheet::parseNumber(f.text, d))
        return Value(d);
    return std::nullopt;
}

// Ours: the cell's value, or the words of a refusal at entry.
struct Ours {
    Value value;
    std::string refused;
};

std::string describe(const Ours& o)
{
    if (!o.refused.empty())
        return "refused: " + o.refused.substr(0, 60);
    switch (o.value.kind()) {
    case ValueKind::Empty: return "(empty)";
    case ValueKind::Number: return spreadsheet::numberToRoundTripText(o.value.number()) + " shown " + o.value.displayText();
    case ValueKind::Text: return "\"" + o.value.text().substr(0, 60) + "\"";
    default: return o.value.displayText();
    }
}

std::string describe(const Field& f, const std::optional<double>& number)
{
    if (f.quoted && !libreOfficeError(f.text))
        return "\"" + f.text.substr(0, 60) + "\"";
    if ((f.text == "TRUE" || f.text == "FALSE") && number && *number != (f.text == "TRUE" ? 1 : 0))
        return f.text + " (the number " + spreadsheet::numberToRoundTripText(*number) + ")";
    return f.text;
}

// The kind of value a formula gives by its outermost operation: a number
// (arithmetic, a sign, SUM, AVERAGE, COUNTA, MAX, MIN, INT, LEN, PI), a
// logical (a comparison), a text (&, LEFT, CONCATENATE), or what its
// operand gives (a reference, IF, a bracket around one): Unknown.
enum class Gives { Number, Logical, Text, Unknown };

Gives gives(std::string_view e);

// IF gives a number when each value it may give is one (the FALSE of IF with
// two arguments aside, which is a logical whatever the rest).
Gives ifGives(std::string_view arguments)
{
    std::vector<std::string_view> parts;
    int depth = 0;
    bool inText = false;
    std::size_t from = 0;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const char c = arguments[i];
        if (c == '"')
            inText = !inText;
        else if (!inText && c == '(')
            ++depth;
        else if (!inText && c == ')')
            --depth;
        else if (!inText && depth == 0 && c == ',') {
            parts.push_back(arguments.substr(from, i - from));
            from = i + 1;
        }
    }
    parts.push_back(arguments.substr(from));
    if (parts.size() < 2)
        return Gives::Unknown;
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (gives(parts[i]) != Gives::Number)
            return Gives::Unknown;
    return Gives::Number;
}

Gives gives(std::string_view e)
{
    constexpr std::size_t none = std::string_view::npos;
    while (!e.empty()) {
        // The operators outside texts and brackets, binary ones told from
        // signs by an operand before them; the first bracket and its end.
        int depth = 0;
        bool operand = false;
        bool comparison = false, concatenation = false, arithmetic = false;
        std::size_t open = none, close = none;
        for (std::size_t i = 0; i < e.size(); ++i) {
            const char c = e[i];
            if (c == '(') {
                if (depth++ == 0 && open == none)
                    open = i;
            } else if (c == ')') {
                if (--depth == 0) {
                    operand = true;
                    if (close == none)
                        close = i;
                }
            } else if (c == '"') {
                for (++i; i < e.size() && !(e[i] == '"' && (i + 1 >= e.size() || e[i + 1] != '"'));)
                    i += e[i] == '"' ? 2 : 1;
                operand = true;
            } else if (depth > 0) {
                continue;
            } else if (isDigit(c) || c == '.' || isLetter(c) || c == '$') {
                const bool number = isDigit(c) || c == '.';
                while (i + 1 < e.size() &&
                       (isLetter(e[i + 1]) || isDigit(e[i + 1]) || e[i + 1] == '.' || e[i + 1] == '$' || e[i + 1] == ':' ||
                        (number && (e[i + 1] == '+' || e[i + 1] == '-') && e[i] == 'E')))
                    ++i;
                operand = true;
            } else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '^') {
                arithmetic = arithmetic || operand || i == 0;  // a sign in front makes a number too
                operand = false;
            } else if (c == '&') {
                concatenation = true;
                operand = false;
            } else if (c == '=' || c == '<' || c == '>') {
                comparison = true;
                operand = false;
            }
        }
        if (comparison)
            return Gives::Logical;
        if (concatenation)
            return Gives::Text;
        if (arithmetic)
            return Gives::Number;
        if (open == 0 && close == e.size() - 1) {
            e = e.substr(1, e.size() - 2);
            continue;
        }
        if (open != none && close == e.size() - 1) {
            const std::string_view name = e.substr(0, open);
            if (name == "IF")
                return ifGives(e.substr(open + 1, close - open - 1));
            return name == "LEFT" || name == "CONCATENATE" ? Gives::Text : Gives::Number;
        }
        if (isDigit(e[0]) || e[0] == '.')
            return Gives::Number;
        if (e[0] == '"')
            return Gives::Text;
        return e == "TRUE" || e == "FALSE" ? Gives::Logical : Gives::Unknown;
    }
    return Gives::Unknown;
}

// Values run from 1E-300 to 1E+300 here: numbers agree when they differ by
// at most 1e-12 of the larger one.
bool sameNumber(double a, double b)
{
    return a == b || std::fabs(a - b) <= 1e-12 * std::max(std::fabs(a), std::fabs(b));
}

// `number` is the number of LibreOffice's value: what it shows as TRUE or
// FALSE is a number in a logical's format, which it also gives to what a
// formula computes from a logical (MAX(A6), -TRUE). A formula whose outermost
// operation gives a number agrees as that number; any other must give a
// logical, as 1 or 0.
bool same(const std::string& formula, const Ours& ours, const std::optional<Value>& theirs,
          const std::optional<double>& number)
{
    if (!ours.refused.empty() || !theirs)
        return false;
    if (theirs->isLogical()) {
        if (!number)
            return false;
        if (ours.value.isLogical())
            return *number == (ours.value.logicalValue() ? 1 : 0);
        return ours.value.isNumber() && gives(std::string_view(formula).substr(1)) == Gives::Number &&
               sameNumber(ours.value.number(), *number);
    }
    if (ours.value.kind() != theirs->kind())
        return false;
    switch (theirs->kind()) {
    case ValueKind::Number:
        // A zero shows as 0, never as -0.
        return sameNumber(ours.value.number(), theirs->number()) &&
               (theirs->number() != 0 || ours.value.displayText() == "0");
    case ValueKind::Error:
        return ours.value.errorCode() == theirs->errorCode();
    default:
        return ours.value == *theirs;
    }
}

// ---- differences the README names -------------------------------------------

bool has(std::string_view formula, std::string_view part)
{
    return formula.find(part) != std::string_view::npos;
}

// A text with the parts a number or logical turned into text leaves taken
// out: the words TRUE and FALSE and what LEFT leaves of one at the end of a
// run of capitals, then digits, points, signs and the exponent's E.
std::string withoutNumberParts(const std::string& s)
{
    const auto isCapital = [](char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; };
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const std::string_view rest = std::string_view(s).substr(i);
        std::size_t runEnd = i;
        while (runEnd < s.size() && isCapital(s[runEnd]))
            ++runEnd;
        const std::string_view runRest = std::string_view(s).substr(i, runEnd - i);
        if (rest.starts_with("TRUE") || rest.starts_with("FALSE")) {
            i += rest.starts_with("TRUE") ? 4 : 5;
        } else if (!runRest.empty() &&
                   (std::string_view("TRUE").starts_with(runRest) || std::string_view("FALSE").starts_with(runRest))) {
            i = runEnd;
        } else {
            out += s[i++];
        }
    }
    std::erase_if(out, [](char c) { return isDigit(c) || c == '.' || c == '+' || c == '-' || c == 'E'; });
    return out;
}

struct Allowed {
    const char* name;
    const char* readme;  // the README's words, as they stand there (line breaks aside)
    bool (*applies)(const std::string& formula, const Ours& ours, const Value& theirs);
};

const Allowed kAllowed[] = {
    {"a number or logical turned into text reads as our cells show it",
     "number turned into text (by &, CONCATENATE, LEN or LEFT) reads as the cell shows it in the General "
     "format, up to 15 significant digits (12345678, 0.333333333333333, 1.2345E-05), and a logical value as "
     "TRUE or FALSE",
     [](const std::string& f, const Ours& ours, const Value& theirs) {
         if (!(has(f, "&") || has(f, "CONCATENATE(") || has(f, "LEN(") || has(f, "LEFT(")))
             return false;
         // Such a text ("TRUE", "1E-05") read as a number again may be refused
         // where LibreOffice's ("1", "0.00001") is taken and computed on.
         if (ours.value == Value::error(CellError::Value) && theirs != ours.value)
             return true;
         if (ours.value.kind() != theirs.kind() || theirs.isError())
             return false;
         return !theirs.isText() || withoutNumberParts(ours.value.text()) == withoutNumberParts(theirs.text());
     }},
    {"of two failing operands, the left one's error shows",
     "Where both operands of an operator fail, the cell shows the left one's error, where LibreOffice shows "
     "the right one's when a COUNTA is computed between the two",
     [](const std::string& f, const Ours& ours, const Value& theirs) {
         return has(f, "COUNTA(") && ours.value.isError() && theirs.isError();
     }},
};

std::string collapsedSpaces(const std::string& s)
{
    std::string out;
    for (const char c : s) {
        const bool space = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (space && (out.empty() || out.back() == ' '))
            continue;
        out += space ? ' ' : c;
    }
    return out;
}

struct Difference {
    std::string formula;
    std::string ours;
    std::string theirs;
};

TEST(LibreOfficeFormulas, EveryGeneratedFormulaGivesWhatLibreOfficeGives)
{
    const std::optional<fs::path> soffice = testsupport::sofficePath();
    if (!soffice)
        GTEST_SKIP() << "soffice is not installed (scripts/bootstrap --test installs it): formulas are not compared";
    const std::vector<Case> all = cases();
    ASSERT_LT(all.size(), 16000u);

    // Ours: the block and every formula typed in.
    Workbook wb;
    for (int r = 1; r <= kDataRows; ++r) {
        const DataCell& d = kData[r - 1];
        if (d.textFormat)
            wb.editSheetFormat(1, [r](spreadsheet::SheetFormat& f) {
                f.change({r, 1, r, 1}, [](spreadsheet::CellFormat& c) { c.numberFormat = "@"; });
            });
        if (*d.typed)
            wb.enterCell(1, r, 1, d.typed);
        ASSERT_EQ(wb.cellValue(1, r, 1), d.value) << "the data block's row " << r;
    }
    wb.setCellValue(1, 1, kMarkerCol, Value(kMarker));
    std::vector<Ours> ours(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        try {
            wb.enterCell(1, static_cast<std::int32_t>(i + 1), 2, all[i].formula);
        } catch (const platform::Error& e) {
            ours[i].refused = e.description().empty() ? "error " + std::to_string(e.number()) : e.description();
        }
    }
    for (std::size_t i = 0; i < all.size(); ++i)
        if (ours[i].refused.empty())
            ours[i].value = wb.cellValue(1, static_cast<std::int32_t>(i + 1), 2);

    // LibreOffice's: one run for the whole sheet.
    testsupport::TempDir dir;
    const fs::path book = dir.file("formulas.fods");
    testsupport::writeFile(book, fods(all));
    const fs::path out = dir.file("csv");
    fs::create_directories(out);
    testsupport::OfficeRun run;
    run.program = *soffice;
    run.profile = dir.file("profile");
    // Tab, double quote, UTF-8, texts quoted, values in full rather than as
    // shown, every sheet.
    run.args = {"--convert-to", "csv:Text - txt - csv (StarCalc):9,34,76,1,,0,true,true,false,false,false,-1",
                "--outdir", out.string(), book.string()};
    run.done = [&out] { return !fs::is_empty(out); };
    ASSERT_TRUE(testsupport::runOffice(run));
    const fs::path csv = fs::directory_iterator(out)->path();
    const auto rows = parseFields(testsupport::readFile(csv));
    ASSERT_EQ(rows.size(), all.size()) << csv;

    const std::string readme = collapsedSpaces(testsupport::readFile(fs::path(TESSARAY_SOURCE_DIR) / "README.md"));
    std::vector<bool> inReadme;
    for (const Allowed& a : kAllowed)
        inReadme.push_back(readme.find(collapsedSpaces(a.readme)) != std::string::npos);

    std::map<std::string, std::vector<Difference>> differences;  // by group
    std::map<std::string, std::size_t> groupSizes;
    std::vector<std::vector<Difference>> allowedOnes(std::size(kAllowed));
    std::size_t count = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        ++groupSizes[all[i].group];
        ASSERT_EQ(rows[i].size(), 5u) << "row " << i + 1 << " of " << csv;
        const Field& field = rows[i][1];
        const std::optional<Value> theirs = libreOfficeValue(field);
        double n = 0;
        const std::optional<double> number =
            !rows[i][4].quoted && spreadsheet::parseNumber(rows[i][4].text, n) ? std::optional<double>(n) : std::nullopt;
        if (same(all[i].formula, ours[i], theirs, number))
            continue;
        bool allowed = false;
        for (std::size_t a = 0; a < std::size(kAllowed) && !allowed; ++a) {
            if (inReadme[a] && ours[i].refused.empty() && theirs && kAllowed[a].applies(all[i].formula, ours[i], *theirs)) {
                allowedOnes[a].push_back({all[i].formula, describe(ours[i]), describe(field, number)});
                allowed = true;
            }
        }
        if (allowed)
            continue;
        ++count;
        differences[all[i].group].push_back({all[i].formula, describe(ours[i]), describe(field, number)});
    }

    // TESSARAY_ALL_DIFFERENCES=1 lists every one, the allowed ones too.
    const bool every = std::getenv("TESSARAY_ALL_DIFFERENCES") != nullptr;
    std::ostringstream summary;
    const auto list = [&summary, every](const std::vector<Difference>& ones, std::size_t shown) {
        shown = every ? ones.size() : shown;
        for (std::size_t k = 0; k < std::min(ones.size(), shown); ++k)
            summary << "    " << ones[k].formula << "   ours " << ones[k].ours << "   LibreOffice " << ones[k].theirs
                    << "\n";
        if (ones.size() > shown && shown > 0)
            summary << "    ... and " << ones.size() - shown << " more\n";
    };
    summary << count << " of " << all.size() << " formulas give other results than in LibreOffice:\n";
    for (const auto& [group, ones] : differences) {
        summary << "  " << group << ": " << ones.size() << " of " << groupSizes[group] << "\n";
        list(ones, 15);
    }
    for (std::size_t a = 0; a < std::size(kAllowed); ++a) {
        summary << "  allowed, " << (inReadme[a] ? "" : "not ") << "named by the README: " << kAllowed[a].name << ": "
                << allowedOnes[a].size() << "\n";
        list(allowedOnes[a], 0);
    }
    EXPECT_EQ(count, 0u) << summary.str();
}

// The conversion of our formulas into LibreOffice's formula language, which
// the comparison above stands on.
TEST(LibreOfficeFormulas, FormulasReadTheSameInLibreOfficesLanguage)
{
    struct Row {
        const char* typed;
        const char* odf;
    };
    const Row rows[] = {
        {"=A1+$A$16", "of:=[.A1]+[.$A$16]"},
        {"=SUM(A1:A16,A:A,$A$1:$A$3)", "of:=SUM([.A1:.A16];[.A:.A];[.$A$1:.$A$3])"},
        {"=IF(A9,\"a,b\",\"x\"\"A1\")", "of:=IF([.A9];\"a,b\";\"x\"\"A1\")"},
        {"=1E-5*.5+1.5E+3-TRUE", "of:=1E-5*.5+1.5E+3-TRUE"},
        {"=CONCATENATE(C:C,PI())", "of:=CONCATENATE([.C:.C];PI())"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(odfFormula(row.typed), row.odf) << row.typed;
}

// What the comparison leaves of texts that hold a number or logical turned into text.
TEST(LibreOfficeFormulas, TextsWithoutTheirNumberParts)
{
    const std::pair<const char*, const char*> rows[] = {
        {"3TRUE", ""},      {"31", ""},         {"abcFALSE|", "abc|"}, {"BTRUE", "B"},  {"TR-", ""},
        {"TRUEFALSE", ""},  {"1E-05|", "|"},    {"0.00001|", "|"},     {"abc", "abc"},  {"B", "B"},
        {"FAL", ""},        {"TRUEB", "B"},     {"xT", "x"},
    };
    for (const auto& [text, left] : rows)
        EXPECT_EQ(withoutNumberParts(text), left) << text;
}

// What the comparison takes a formula's outermost operation to give.
TEST(LibreOfficeFormulas, KindOfValueByTheOutermostOperation)
{
    const std::pair<const char*, Gives> rows[] = {
        {"-TRUE", Gives::Number},          {"MAX(A6,A7)", Gives::Number},     {"(A1+2)", Gives::Number},
        {"1E-5", Gives::Number},           {"A1*2>3", Gives::Logical},        {"(\"a<b\")", Gives::Text},
        {"LEFT(A1)&SUM(1)", Gives::Text},  {"IF(A1,1,A6)", Gives::Unknown},    {"A6", Gives::Unknown},
        {"IF(A1,-A6)", Gives::Number},  {"IF(A1,1,2)", Gives::Number},          {"(1)+(2)", Gives::Number},        {"SUM(1)=LEN(2)", Gives::Logical},
        {"TRUE", Gives::Logical},          {"CONCATENATE(1>2)", Gives::Text}, {"1E-5-A1", Gives::Number},      {"IF(A1,\"a,b\",2)", Gives::Unknown},
    };
    for (const auto& [formula, kind] : rows)
        EXPECT_EQ(gives(formula), kind) << formula;
}

} // namespace
