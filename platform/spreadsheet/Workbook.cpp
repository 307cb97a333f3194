#include "platform/spreadsheet/Workbook.h"

#include <algorithm>
#include <filesystem>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/FormulaEngine.h"
#include "platform/spreadsheet/FormulaParser.h"
#include "platform/spreadsheet/NumberFormat.h"
#include "platform/spreadsheet/ObjectGeometry.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/WorkbookFiles.h"

namespace spreadsheet {

namespace {

using detail::SheetData;

[[noreturn]] void fail(std::int32_t number, const char* source)
{
    throw platform::Error::runtime(number, source);
}

void checkCell(std::int32_t row, std::int32_t col, const char* source)
{
    if (row < 1 || row > kMaxRows || col < 1 || col > kMaxCols)
        fail(platform::err::Subscript, source);
}

void checkRect(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2, const char* source)
{
    if (r1 < 1 || c1 < 1 || r1 > kMaxRows || c1 > kMaxCols)
        fail(platform::err::Subscript, source);
    if (r2 < r1 || c2 < c1)
        fail(platform::err::InvalidCall, source);
}

RangeRef ordered(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2)
{
    checkCell(r1, c1, "setSelection");
    checkCell(r2, c2, "setSelection");
    return RangeRef{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
}

std::string stripEquals(std::string_view f)
{
    while (!f.empty() && f.front() == ' ')
        f.remove_prefix(1);
    if (!f.empty() && f.front() == '=')
        f.remove_prefix(1);
    return std::string(f);
}

} // namespace

Workbook::Workbook() : m_graph(std::make_unique<detail::FormulaGraph>())
{
    auto sheet = std::make_unique<SheetData>();
    sheet->name = "Sheet1";
    sheet->selected = true;
    m_sheets.push_back(std::move(sheet));
}

Workbook::~Workbook() = default;
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;

// ---- identity ---------------------------------------------------------------

void Workbook::setTableName(std::string name)
{
    m_tableName = std::move(name);
}

bool Workbook::isNeverSaved() const noexcept
{
    return m_tableName.empty() || m_tableName.rfind("Book", 0) == 0;
}

std::string Workbook::title() const
{
    const auto slash = m_tableName.find_last_of("/\\");
    return slash == std::string::npos ? m_tableName : m_tableName.substr(slash + 1);
}

void Workbook::setTag(std::string tag)
{
    m_tag = std::move(tag);
}

void Workbook::touch()
{
    m_changed = true;
    if (m_onChange)
        m_onChange();
}

// ---- sheets -------------------------------------------------------------------

std::int32_t Workbook::NumSheets() const noexcept
{
    return static_cast<std::int32_t>(m_sheets.size());
}

void Workbook::checkSheet(std::int32_t sheet, const char* source) const
{
    if (sheet < 1 || sheet > NumSheets())
        fail(platform::err::Subscript, source);
}

const SheetData& Workbook::sheetData(std::int32_t sheet) const
{
    checkSheet(sheet, "Sheet");
    return *m_sheets[static_cast<std::size_t>(sheet - 1)];
}

SheetData& Workbook::sheetData(std::int32_t sheet)
{
    checkSheet(sheet, "Sheet");
    return *m_sheets[static_cast<std::size_t>(sheet - 1)];
}

const SheetData& Workbook::active() const
{
    return *m_sheets[static_cast<std::size_t>(m_active - 1)];
}

SheetData& Workbook::active()
{
    return *m_sheets[static_cast<std::size_t>(m_active - 1)];
}

std::string Workbook::defaultSheetName() const
{
    for (std::int32_t n = NumSheets() + 1;; ++n) {
        std::string name = "Sheet" + std::to_string(n);
        const bool taken = std::any_of(m_sheets.begin(), m_sheets.end(), [&](const auto& s) { return s->name == name; });
        if (!taken)
            return name;
    }
}

void Workbook::setNumSheets(std::int32_t count)
{
    if (count < 1)
        fail(platform::err::InvalidPropertyValue, "NumSheets");
    if (count == NumSheets())
        return;
    while (NumSheets() < count) {
        auto sheet = std::make_unique<SheetData>();
        sheet->name = defaultSheetName();
        m_sheets.push_back(std::move(sheet));
    }
    if (NumSheets() > count) {
        std::vector<std::string> goneNames;
        for (std::size_t i = static_cast<std::size_t>(count); i < m_sheets.size(); ++i)
            goneNames.push_back(m_sheets[i]->name);
        m_sheets.resize(static_cast<std::size_t>(count));
        dropSheetReferences(goneNames);
        if (m_active > count) {
            m_active = count;
            active().selected = true;
        }
    }
    m_dirty = true;
    touch();
}

void Workbook::setSheet(std::int32_t sheet)
{
    checkSheet(sheet, "Sheet");
    for (auto& s : m_sheets)
        s->selected = false;
    m_active = sheet;
    active().selected = true;
    if (m_onChange)
        m_onChange();
}

const std::string& Workbook::SheetName(std::int32_t sheet) const
{
    return sheetData(sheet).name;
}

const PageSetup& Workbook::pageSetup(std::int32_t sheet) const
{
    return sheetData(sheet).pageSetup;
}

void Workbook::setPageSetup(std::int32_t sheet, const PageSetup& setup)
{
    checkPageSetup(setup);
    PageSetup& kept = sheetData(sheet).pageSetup;
    if (kept == setup)
        return;
    kept = setup;
    // A new page setup is part of what a save keeps: closing asks about it.
    touch();
}

std::string sheetNameProblem(std::string_view name)
{
    if (name.empty())
        return "Enter a name for the sheet.";
    // Characters, not bytes: a byte 10xxxxxx continues the one before it.
    const auto characters =
        std::count_if(name.begin(), name.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
    if (characters > 31)
        return "A sheet name can be at most 31 characters long.";
    if (name.find_first_of("/\\?*[]:") != std::string_view::npos)
        return "A sheet name cannot hold any of the characters / \\ ? * [ ] :";
    return {};
}

void Workbook::setSheetName(std::int32_t sheet, std::string name)
{
    checkSheet(sheet, "SheetName");
    if (const std::string problem = sheetNameProblem(name); !problem.empty())
        throw platform::Error(platform::err::InvalidPropertyValue, "SheetName", problem);
    const std::string old = sheetData(sheet).name;
    // Formulas that name the sheet follow it to its new name.
    const bool nameTaken = std::count_if(m_sheets.begin(), m_sheets.end(), [&](const auto& s) { return s->name == old; }) > 1;
    if (!nameTaken && old != name) {
        const detail::RefEdit rename = [&](detail::FormulaRef& r) {
            if (r.sheet == old)
                r.sheet = name;
            return true;
        };
        for (auto& s : m_sheets)
            for (auto& row : s->rows)
                for (auto& cell : row)
                    if (cell.isFormula())
                        cell.setFormula(detail::rewriteFormulaRefs(cell.formula(), rename));
        editNameRefs(rename);
    }
    sheetData(sheet).name = std::move(name);
    m_dirty = true;
    touch();
}

bool Workbook::SheetSelected(std::int32_t sheet) const
{
    return sheetData(sheet).selected;
}

void Workbook::setSheetSelected(std::int32_t sheet, bool selected)
{
    checkSheet(sheet, "SheetSelected");
    if (selected) {
        setSheet(sheet);
        return;
    }
    sheetData(sheet).selected = false;
    if (m_onChange)
        m_onChange();
}

void Workbook::InsertSheets(std::int32_t at, std::int32_t count)
{
    if (at < 1 || at > NumSheets() + 1)
        fail(platform::err::Subscript, "InsertSheets");
    if (count < 0)
        fail(platform::err::InvalidCall, "InsertSheets");
    for (std::int32_t i = 0; i < count; ++i) {
        auto sheet = std::make_unique<SheetData>();
        sheet->name = defaultSheetName();
        m_sheets.insert(m_sheets.begin() + (at - 1) + i, std::move(sheet));
    }
    if (m_active >= at)
        m_active += count;
    m_dirty = true;
    touch();
}

void Workbook::EditInsertSheets()
{
    const std::int32_t at = m_active;
    InsertSheets(at, 1);
    setSheet(at);
}

void Workbook::EditDeleteSheets()
{
    std::vector<bool> doomed(m_sheets.size());
    std::size_t n = 0;
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        doomed[i] = m_sheets[i]->selected || static_cast<std::int32_t>(i + 1) == m_active;
        n += doomed[i] ? 1 : 0;
    }
    if (n >= m_sheets.size())
        fail(platform::err::InvalidCall, "EditDeleteSheets");
    std::vector<std::string> goneNames;
    for (std::size_t i = 0; i < m_sheets.size(); ++i)
        if (doomed[i])
            goneNames.push_back(m_sheets[i]->name);
    std::vector<std::unique_ptr<SheetData>> kept;
    std::int32_t newActive = 0;
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        if (!doomed[i]) {
            kept.push_back(std::move(m_sheets[i]));
            if (static_cast<std::int32_t>(i + 1) < m_active || newActive == 0)
                newActive = static_cast<std::int32_t>(kept.size());
        }
    }
    m_sheets = std::move(kept);
    dropSheetReferences(goneNames);
    m_active = std::clamp(newActive, 1, NumSheets());
    for (auto& s : m_sheets)
        s->selected = false;
    active().selected = true;
    m_dirty = true;
    touch();
}

void Workbook::replaceSheets(std::vector<std::unique_ptr<SheetData>> sheets, std::int32_t activeSheet)
{
    if (sheets.empty())
        fail(platform::err::InvalidCall, "replaceSheets");
    m_sheets = std::move(sheets);
    m_active = std::clamp(activeSheet, 1, NumSheets());
    active().selected = true;
    m_dirty = true;
    // A book just read shows its formulas' results whatever the recalculation setting.
    ensureCalculated();
    if (m_onChange)
        m_onChange();
}

void Workbook::setOptions(const WorkbookOptions& options)
{
    if (m_options == options)
        return;
    m_options = options;
    // Options are saved with the book, so closing asks about them.
    touch();
}

// ---- cells ----------------------------------------------------------------------

void Workbook::calculateIfAutomatic() const
{
    if (m_options.autoRecalc)
        ensureCalculated();
}

void Workbook::ensureCalculated() const
{
    auto& sheets = const_cast<std::vector<std::unique_ptr<SheetData>>&>(m_sheets);
    if (m_dirty) {
        m_dirty = false;
        m_changedCells.clear();
        m_graph->recalculateAll(sheets, m_names);
        return;
    }
    if (m_changedCells.empty())
        return;
    const std::vector<detail::CellKey> changed = std::move(m_changedCells);
    m_changedCells.clear();
    m_graph->recalculateChanged(sheets, changed);
}

void Workbook::cellChanged(std::int32_t sheet, std::int32_t row, std::int32_t col)
{
    if (m_dirty)
        return;
    if (m_changedCells.size() >= detail::FormulaGraph::kMostChangesApart) {
        // So many changes are computed by reading every formula again:
        // listing them further would cost memory and time for nothing.
        m_dirty = true;
        m_changedCells = {};
        return;
    }
    m_changedCells.push_back(detail::CellKey{sheet - 1, col, row});
}

Value Workbook::cellValue(std::int32_t sheet, std::int32_t row, std::int32_t col) const
{
    checkCell(row, col, "cellValue");
    calculateIfAutomatic();
    const detail::Cell* c = sheetData(sheet).find(row, col);
    return c ? c->value() : Value();
}

std::string Workbook::cellFormula(std::int32_t sheet, std::int32_t row, std::int32_t col) const
{
    checkCell(row, col, "cellFormula");
    const detail::Cell* c = sheetData(sheet).find(row, col);
    return c ? c->formula() : std::string();
}

std::string Workbook::cellEntryText(std::int32_t sheet, std::int32_t row, std::int32_t col) const
{
    checkCell(row, col, "cellEntryText");
    const detail::Cell* c = sheetData(sheet).find(row, col);
    if (!c)
        return {};
    if (c->isFormula())
        return "=" + c->formula();
    const Value v = c->value();
    if (v.isNumber())
        return numberToRoundTripText(v.number());
    // A text that typed back would give something else (a number, a
    // formula, TRUE, an error value) is shown after the apostrophe that
    // makes it a text; a cell formatted as Text takes any text as typed.
    if (v.isText() && !v.text().empty() && !isTextFormat(sheetFormat(sheet).format(row, col).numberFormat)) {
        const std::string& text = v.text();
        const bool typedBack = text.front() != '\'' && !(text.size() > 1 && text.front() == '=') &&
                               parseEntry(text) == v;
        if (!typedBack)
            return "'" + text;
    }
    return v.displayText();
}

void Workbook::setCellValue(std::int32_t sheet, std::int32_t row, std::int32_t col, const Value& value)
{
    checkCell(row, col, "setCellValue");
    checkUnlocked(sheet, RangeRef{row, col, row, col}, "setCellValue");
    SheetData& s = sheetData(sheet);
    if (value.isEmpty()) {
        if (s.find(row, col)) {
            s.at(row, col).clear();
            s.trimRow(row);
        }
    } else {
        s.at(row, col).setValue(value);
    }
    cellChanged(sheet, row, col);
    touch();
}

void Workbook::setCellFormula(std::int32_t sheet, std::int32_t row, std::int32_t col, std::string_view formula)
{
    checkCell(row, col, "setCellFormula");
    checkUnlocked(sheet, RangeRef{row, col, row, col}, "setCellFormula");
    SheetData& s = sheetData(sheet);
    std::string text = stripEquals(formula);
    // A text too long for a formula is kept as it is (it shows #NAME?):
    // nothing is read from it.
    if (!detail::isFormulaTooLong(text))
        text = detail::rewriteFormulaRefs(text);
    if (text.empty()) {
        setCellValue(sheet, row, col, Value());
        return;
    }
    s.at(row, col).setFormula(text);
    cellChanged(sheet, row, col);
    touch();
}

void Workbook::setCellEntry(std::int32_t sheet, std::int32_t row, std::int32_t col, std::string_view text)
{
    // A cell formatted as Text keeps what is typed as that very text, a
    // leading "=" included, so that IDs such as "0042" stay as typed.
    if (!text.empty() && isTextFormat(sheetFormat(sheet).format(row, col).numberFormat))
        setCellValue(sheet, row, col, Value(std::string(text)));
    else if (text.size() > 1 && text.front() == '=')
        setCellFormula(sheet, row, col, text);
    else if (text.size() > 1 && text.front() == '\'')
        setCellValue(sheet, row, col, Value(std::string(text.substr(1))));  // the apostrophe only says "text"
    else
        setCellValue(sheet, row, col, parseEntry(text));
}

namespace {

// Why a formula (with or without "=") nests too deep or runs too long to
// be computed; "" when it does not. A text too long is answered before it
// is read.
std::string formulaSizeProblem(std::string_view formula)
{
    const detail::FormulaParseResult parsed = detail::parseFormula(stripEquals(formula));
    return parsed.tooLarge ? parsed.problem : std::string();
}

} // namespace

void Workbook::checkFormulaSize(std::string_view formula, const char* source)
{
    if (const std::string problem = formulaSizeProblem(formula); !problem.empty())
        throw platform::Error(platform::err::InvalidCall, source,
                              std::string(kFormulaTooLarge) + problem + " Split it over several cells or names.");
}

bool Workbook::isFormulaRefusal(const platform::Error& e)
{
    return e.number() == platform::err::InvalidCall &&
           (e.description().starts_with(kFormulaTooLarge) || e.description().starts_with(kFormulasTooLarge));
}

bool Workbook::isFormulaEntry(std::int32_t sheet, std::int32_t row, std::int32_t col, std::string_view text) const
{
    return text.size() > 1 && text.front() == '=' && !isTextFormat(sheetFormat(sheet).format(row, col).numberFormat);
}

void Workbook::enterCell(std::int32_t sheet, std::int32_t row, std::int32_t col, std::string_view text)
{
    if (isFormulaEntry(sheet, row, col, text))
        checkFormulaSize(text, "enterCell");
    setCellEntry(sheet, row, col, text);
    calculateEntered(sheet, row, col);
}

void Workbook::calculateEntered(std::int32_t sheet, std::int32_t row, std::int32_t col)
{
    if (m_options.autoRecalc)
        return;  // every result is brought up to date when next read
    const detail::Cell* c = sheetData(sheet).find(row, col);
    if (!c || !c->isFormula())
        return;
    // The other formulas keep their results, so the book stays due for a
    // recalculation of what changed.
    detail::calculateOne(m_sheets, m_names, sheet - 1, row, col);
    if (m_onChange)
        m_onChange();
}

void Workbook::clearRange(std::int32_t sheet, const RangeRef& range)
{
    checkRect(range.firstRow, range.firstCol, range.lastRow, range.lastCol, "clearRange");
    checkUnlocked(sheet, range, "clearRange");
    SheetData& s = sheetData(sheet);
    const std::int32_t lastRow = std::min(range.lastRow, static_cast<std::int32_t>(s.rows.size()));
    for (std::int32_t r = range.firstRow; r <= lastRow; ++r) {
        auto& row = s.rows[static_cast<std::size_t>(r - 1)];
        const std::int32_t lastCol = std::min(range.lastCol, static_cast<std::int32_t>(row.size()));
        for (std::int32_t c = range.firstCol; c <= lastCol; ++c) {
            detail::Cell& cell = row[static_cast<std::size_t>(c - 1)];
            if (!cell.isEmpty())
                cellChanged(sheet, r, c);
            cell.clear();
        }
    }
    s.trimAll();
    touch();
}

std::int16_t Workbook::cellType(std::int32_t row, std::int32_t col) const
{
    checkCell(row, col, "cellType");
    calculateIfAutomatic();
    const detail::Cell* c = active().find(row, col);
    if (!c || c->isEmpty())
        return 0;
    CellTypeCode code = CellTypeCode::Number;
    switch (c->valueKind()) {
    case ValueKind::Empty:
    case ValueKind::Number:
        code = CellTypeCode::Number;
        break;
    case ValueKind::Text:
        code = CellTypeCode::Text;
        break;
    case ValueKind::Logical:
        code = CellTypeCode::Logical;
        break;
    case ValueKind::Error:
        code = CellTypeCode::Error;
        break;
    }
    const auto n = static_cast<std::int16_t>(code);
    return c->isFormula() ? static_cast<std::int16_t>(-n) : n;
}

std::int32_t Workbook::lastUsedRow() const
{
    return active().lastUsedRow();
}

std::int32_t Workbook::lastUsedCol() const
{
    return active().lastUsedCol();
}

std::int32_t Workbook::lastUsedRow(std::int32_t sheet) const
{
    return sheetData(sheet).lastUsedRow();
}

std::int32_t Workbook::lastUsedCol(std::int32_t sheet) const
{
    return sheetData(sheet).lastUsedCol();
}

std::string Workbook::Text() const
{
    return cellValue(m_active, active().activeRow, active().activeCol).displayText();
}

void Workbook::setText(std::string_view text)
{
    setCellEntry(m_active, active().activeRow, active().activeCol, text);
}

void Workbook::setFormula(std::string_view formula)
{
    checkFormulaSize(formula, "Formula");
    setCellFormula(m_active, active().activeRow, active().activeCol, formula);
    calculateEntered(m_active, active().activeRow, active().activeCol);
}

std::string Workbook::Clip() const
{
    const RangeRef r = SelectionEx(0);
    std::string out;
    for (std::int32_t row = r.firstRow; row <= r.lastRow; ++row) {
        for (std::int32_t col = r.firstCol; col <= r.lastCol; ++col) {
            if (col > r.firstCol)
                out += '\t';
            // Numbers go out in full, so that a copy pasted back is the same number.
            const Value v = cellValue(m_active, row, col);
            out += v.isNumber() ? numberToRoundTripText(v.number()) : v.displayText();
        }
        out += "\r\n";
    }
    return out;
}

void Workbook::setClip(std::string_view text)
{
    if (!clipFits(text))
        throw platform::Error(platform::err::InvalidCall, "Clip",
                              "The cells to paste do not fit on the sheet from the selected cell.");
    const RangeRef r = SelectionEx(0);
    if (const ClipExtent e = clipExtent(text); e.rows > 0 && e.cols > 0)
        checkUnlocked(m_active, RangeRef{r.firstRow, r.firstCol, r.firstRow + e.rows - 1, r.firstCol + e.cols - 1},
                      "Clip");
    // A final line break ends the last line; it opens no further row.
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        text.remove_suffix(2);
    else if (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    std::int32_t row = r.firstRow;
    std::int32_t col = r.firstCol;
    std::string field;
    // Fields holding a formula too large to enter leave their cells as they
    // were; the rest is pasted and the refusal counts them.
    std::int32_t refused = 0;
    std::string problem;
    auto put = [&] {
        if (row <= kMaxRows && col <= kMaxCols) {
            std::string tooLarge;
            if (isFormulaEntry(m_active, row, col, field))
                tooLarge = formulaSizeProblem(field);
            if (tooLarge.empty()) {
                setCellEntry(m_active, row, col, field);
            } else {
                if (refused++ == 0)
                    problem = std::move(tooLarge);
            }
        }
        field.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t') {
            put();
            ++col;
        } else if (c == '\r' || c == '\n') {
            put();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            ++row;
            col = r.firstCol;
        } else {
            field += c;
        }
    }
    put();
    if (refused > 0)
        throw platform::Error(platform::err::InvalidCall, "Clip",
                              std::string(kFormulasTooLarge) +
                                  (refused == 1 ? "1 cell is left as it was. "
                                                : std::to_string(refused) + " cells are left as they were. ") +
                                  problem + " Split such a formula over several cells or names.");
}

void Workbook::CheckRecalc()
{
    if (m_dirty) {
        ensureCalculated();
    } else {
        // The graph stands: every formula is computed again from it.
        const std::vector<detail::CellKey> changed = std::move(m_changedCells);
        m_changedCells.clear();
        m_graph->recalculateChanged(m_sheets, changed, true);
    }
    if (m_onChange)
        m_onChange();
}

// ---- array transfer -------------------------------------------------------------

void Workbook::CopyDataToArray(std::int32_t sheet, std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2,
                               bool /*valuesOnly*/, ValueTable& table) const
{
    checkRect(r1, c1, r2, c2, "CopyDataToArray");
    const SheetData& s = sheetData(sheet);
    calculateIfAutomatic();
    const std::int32_t rows = std::min(r2 - r1 + 1, table.rows());
    const std::int32_t cols = std::min(c2 - c1 + 1, table.cols());
    for (std::int32_t i = 0; i < rows; ++i) {
        for (std::int32_t j = 0; j < cols; ++j) {
            const detail::Cell* c = s.find(r1 + i, c1 + j);
            table.at(table.firstRow() + i, table.firstCol() + j) = c ? c->value() : Value();
        }
    }
}

void Workbook::CopyDataFromArray(std::int32_t sheet, std::int32_t r1, std::int32_t c1, std::int32_t r2,
                                 std::int32_t c2, bool /*valuesOnly*/, const ValueTable& table)
{
    if (r1 < 1 || c1 < 1 || r2 < r1 || c2 < c1)
        fail(r2 < r1 || c2 < c1 ? platform::err::InvalidCall : platform::err::Subscript, "CopyDataFromArray");
    SheetData& s = sheetData(sheet);
    const std::int32_t rows = std::min(r2 - r1 + 1, table.rows());
    const std::int32_t cols = std::min(c2 - c1 + 1, table.cols());
    if (rows > 0 && cols > 0) {
        checkCell(r1 + rows - 1, c1 + cols - 1, "CopyDataFromArray");
        checkUnlocked(sheet, RangeRef{r1, c1, r1 + rows - 1, c1 + cols - 1}, "CopyDataFromArray");
    }
    for (std::int32_t i = 0; i < rows; ++i) {
        for (std::int32_t j = 0; j < cols; ++j) {
            const Value& v = table.at(table.firstRow() + i, table.firstCol() + j);
            if (v.isEmpty()) {
                if (s.find(r1 + i, c1 + j))
                    s.at(r1 + i, c1 + j).clear();
            } else {
                s.at(r1 + i, c1 + j).setValue(v);
            }
        }
        s.trimRow(r1 + i);
    }
    m_dirty = true;
    touch();
}

void Workbook::CopyRangeEx(std::int32_t dstSheet, std::int32_t dr1, std::int32_t dc1, std::int32_t dr2,
                           std::int32_t dc2, const Workbook& source, std::int32_t srcSheet, std::int32_t sr1,
                           std::int32_t sc1, std::int32_t sr2, std::int32_t sc2)
{
    checkRect(dr1, dc1, dr2, dc2, "CopyRangeEx");
    checkRect(sr1, sc1, sr2, sc2, "CopyRangeEx");
    checkCell(dr2, dc2, "CopyRangeEx");
    checkCell(sr2, sc2, "CopyRangeEx");
    checkSheet(dstSheet, "CopyRangeEx");
    source.calculateIfAutomatic();
    const SheetData& from = source.sheetData(srcSheet);
    const std::int32_t rows = std::min(dr2 - dr1 + 1, sr2 - sr1 + 1);
    const std::int32_t cols = std::min(dc2 - dc1 + 1, sc2 - sc1 + 1);
    checkUnlocked(dstSheet, RangeRef{dr1, dc1, dr1 + rows - 1, dc1 + cols - 1}, "CopyRangeEx");
    // Read the whole block first: source and destination may overlap.
    std::vector<detail::Cell> block(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    for (std::int32_t i = 0; i < rows; ++i)
        for (std::int32_t j = 0; j < cols; ++j)
            if (const detail::Cell* c = from.find(sr1 + i, sc1 + j))
                block[static_cast<std::size_t>(i * cols + j)] = *c;
    SheetData& to = sheetData(dstSheet);
    const auto shift = detail::offsetEdit(dr1 - sr1, dc1 - sc1);
    for (std::int32_t i = 0; i < rows; ++i) {
        for (std::int32_t j = 0; j < cols; ++j) {
            detail::Cell& src = block[static_cast<std::size_t>(i * cols + j)];
            if (src.isEmpty()) {
                if (to.find(dr1 + i, dc1 + j))
                    to.at(dr1 + i, dc1 + j).clear();
                continue;
            }
            if (src.isFormula())
                src.setFormula(detail::rewriteFormulaRefs(src.formula(), shift));
            to.at(dr1 + i, dc1 + j) = std::move(src);
        }
        to.trimRow(dr1 + i);
    }
    m_dirty = true;
    touch();
}

// ---- rows and columns ------------------------------------------------------------

void Workbook::dropSheetReferences(const std::vector<std::string>& names)
{
    std::vector<std::string> gone;
    for (const std::string& n : names) {
        const bool stillThere =
            std::any_of(m_sheets.begin(), m_sheets.end(), [&](const auto& s) { return s->name == n; });
        if (!stillThere)
            gone.push_back(n);
    }
    if (gone.empty())
        return;
    const detail::RefEdit edit = [&](detail::FormulaRef& r) {
        return r.sheet.empty() || std::find(gone.begin(), gone.end(), r.sheet) == gone.end();
    };
    for (auto& s : m_sheets)
        for (auto& row : s->rows)
            for (auto& cell : row)
                if (cell.isFormula())
                    cell.setFormula(detail::rewriteFormulaRefs(cell.formula(), edit));
    editNameRefs(edit);
}

void Workbook::editFormulas(std::int32_t changedSheet,
                            const std::function<detail::RefEdit(std::function<bool(const std::string&)>)>& makeEdit)
{
    const std::string changedName = SheetName(changedSheet);
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        const bool own = static_cast<std::int32_t>(i + 1) == changedSheet;
        const auto edit = makeEdit([own, &changedName](const std::string& sheetText) {
            return sheetText.empty() ? own : sheetText == changedName;
        });
        for (auto& row : m_sheets[i]->rows)
            for (auto& cell : row)
                if (cell.isFormula())
                    cell.setFormula(detail::rewriteFormulaRefs(cell.formula(), edit));
    }
    // A defined name's references name their sheet; one that names none stays as it is.
    editNameRefs(makeEdit([&changedName](const std::string& sheetText) { return sheetText == changedName; }));
}

void Workbook::insertRows(std::int32_t sheet, std::int32_t at, std::int32_t count)
{
    checkCell(at, 1, "insertRows");
    if (count < 0)
        fail(platform::err::InvalidCall, "insertRows");
    if (count == 0)
        return;
    checkUnlocked(sheet, RangeRef{at, 1, kMaxRows, kMaxCols}, "insertRows");  // the lines from `at` on move
    SheetData& s = sheetData(sheet);
    if (s.lastUsedRow() >= at && s.lastUsedRow() + count > kMaxRows)
        fail(platform::err::InvalidCall, "insertRows");
    if (static_cast<std::size_t>(at) <= s.rows.size())
        s.rows.insert(s.rows.begin() + (at - 1), static_cast<std::size_t>(count), {});
    s.format.insertRows(at, count);
    insertObjectLines(s.objects, true, at, count);
    editFormulas(sheet, [&](auto matches) { return detail::insertRowsEdit(std::move(matches), at, count); });
    m_dirty = true;
    touch();
}

void Workbook::deleteRows(std::int32_t sheet, std::int32_t first, std::int32_t count)
{
    checkCell(first, 1, "deleteRows");
    if (count < 0)
        fail(platform::err::InvalidCall, "deleteRows");
    count = std::min(count, kMaxRows - first + 1);
    if (count == 0)
        return;
    checkUnlocked(sheet, RangeRef{first, 1, kMaxRows, kMaxCols}, "deleteRows");  // the lines from `first` on go or move
    SheetData& s = sheetData(sheet);
    if (static_cast<std::size_t>(first) <= s.rows.size()) {
        const std::size_t end = std::min(s.rows.size(), static_cast<std::size_t>(first - 1 + count));
        s.rows.erase(s.rows.begin() + (first - 1), s.rows.begin() + static_cast<std::ptrdiff_t>(end));
        s.trimAll();
    }
    s.format.deleteRows(first, count);
    deleteObjectLines(s.objects, true, first, count);
    editFormulas(sheet, [&](auto matches) { return detail::deleteRowsEdit(std::move(matches), first, count); });
    m_dirty = true;
    touch();
}

void Workbook::insertCols(std::int32_t sheet, std::int32_t at, std::int32_t count)
{
    checkCell(1, at, "insertCols");
    if (count < 0)
        fail(platform::err::InvalidCall, "insertCols");
    if (count == 0)
        return;
    checkUnlocked(sheet, RangeRef{1, at, kMaxRows, kMaxCols}, "insertCols");  // the lines from `at` on move
    SheetData& s = sheetData(sheet);
    if (s.lastUsedCol() >= at && s.lastUsedCol() + count > kMaxCols)
        fail(platform::err::InvalidCall, "insertCols");
    for (auto& row : s.rows)
        if (static_cast<std::size_t>(at) <= row.size())
            row.insert(row.begin() + (at - 1), static_cast<std::size_t>(count), detail::Cell());
    s.format.insertCols(at, count);
    insertObjectLines(s.objects, false, at, count);
    editFormulas(sheet, [&](auto matches) { return detail::insertColsEdit(std::move(matches), at, count); });
    m_dirty = true;
    touch();
}

void Workbook::deleteCols(std::int32_t sheet, std::int32_t first, std::int32_t count)
{
    checkCell(1, first, "deleteCols");
    if (count < 0)
        fail(platform::err::InvalidCall, "deleteCols");
    count = std::min(count, kMaxCols - first + 1);
    if (count == 0)
        return;
    checkUnlocked(sheet, RangeRef{1, first, kMaxRows, kMaxCols}, "deleteCols");  // the lines from `first` on go or move
    SheetData& s = sheetData(sheet);
    for (auto& row : s.rows) {
        if (static_cast<std::size_t>(first) <= row.size()) {
            const std::size_t end = std::min(row.size(), static_cast<std::size_t>(first - 1 + count));
            row.erase(row.begin() + (first - 1), row.begin() + static_cast<std::ptrdiff_t>(end));
        }
    }
    s.trimAll();
    s.format.deleteCols(first, count);
    deleteObjectLines(s.objects, false, first, count);
    editFormulas(sheet, [&](auto matches) { return detail::deleteColsEdit(std::move(matches), first, count); });
    m_dirty = true;
    touch();
}

// ---- selection -------------------------------------------------------------------

void Workbook::setSelection(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2)
{
    const RangeRef r = ordered(r1, c1, r2, c2);
    SheetData& s = active();
    s.selection.assign(1, r);
    s.selectedObjects.clear();
    s.activeRow = r1;
    s.activeCol = c1;
    if (m_onChange)
        m_onChange();
}

void Workbook::addSelection(const RangeRef& range)
{
    const RangeRef r = ordered(range.firstRow, range.firstCol, range.lastRow, range.lastCol);
    SheetData& s = active();
    s.selection.push_back(r);
    s.selectedObjects.clear();
    s.activeRow = range.firstRow;
    s.activeCol = range.firstCol;
    if (m_onChange)
        m_onChange();
}

void Workbook::setSelectionRef(std::string_view text)
{
    RangeRef r;
    if (!parseRangeRef(text, r))
        fail(platform::err::InvalidCall, "setSelectionRef");
    setSelection(r.firstRow, r.firstCol, r.lastRow, r.lastCol);
}

std::int32_t Workbook::SelectionCount() const
{
    return static_cast<std::int32_t>(active().selection.size());
}

RangeRef Workbook::SelectionEx(std::int32_t index) const
{
    const auto& sel = active().selection;
    if (index < 0 || static_cast<std::size_t>(index) >= sel.size())
        fail(platform::err::Subscript, "SelectionEx");
    return sel[static_cast<std::size_t>(index)];
}

std::int32_t Workbook::activeRow() const
{
    return active().activeRow;
}

std::int32_t Workbook::activeCol() const
{
    return active().activeCol;
}

void Workbook::setActiveCell(std::int32_t row, std::int32_t col)
{
    checkCell(row, col, "setActiveCell");
    active().activeRow = row;
    active().activeCol = col;
    if (m_onChange)
        m_onChange();
}

// ---- fill lists ------------------------------------------------------------------

std::int32_t Workbook::fillListCount() const noexcept
{
    return static_cast<std::int32_t>(m_fillLists.size());
}

const std::string& Workbook::fillList(std::int32_t index) const
{
    if (index < 1 || index > fillListCount())
        fail(platform::err::Subscript, "fillList");
    return m_fillLists[static_cast<std::size_t>(index - 1)];
}

void Workbook::setFillList(std::int32_t index, std::string list)
{
    if (index < 1 || index > fillListCount() + 1)
        fail(platform::err::Subscript, "setFillList");
    if (index == fillListCount() + 1)
        m_fillLists.push_back(std::move(list));
    else
        m_fillLists[static_cast<std::size_t>(index - 1)] = std::move(list);
}

// ---- fill ------------------------------------------------------------------------

void Workbook::autoFill(std::int32_t sheet, const RangeRef& source, const RangeRef& target)
{
    checkRect(source.firstRow, source.firstCol, source.lastRow, source.lastCol, "autoFill");
    checkRect(target.firstRow, target.firstCol, target.lastRow, target.lastCol, "autoFill");
    checkCell(target.lastRow, target.lastCol, "autoFill");
    const bool down = target.firstRow == source.firstRow && target.firstCol == source.firstCol &&
                      target.lastCol == source.lastCol && target.lastRow > source.lastRow;
    const bool right = target.firstRow == source.firstRow && target.firstCol == source.firstCol &&
                       target.lastRow == source.lastRow && target.lastCol > source.lastCol;
    if (!down && !right)
        fail(platform::err::InvalidCall, "autoFill");
    checkUnlocked(sheet, target, "autoFill");
    calculateIfAutomatic();
    SheetData& s = sheetData(sheet);

    // Entries of every fill list, for finding a text's place.
    std::vector<std::vector<std::string>> lists;
    for (const std::string& l : m_fillLists) {
        std::vector<std::string> entries;
        std::size_t start = 0;
        while (start <= l.size()) {
            const std::size_t semi = l.find(';', start);
            const std::string e = l.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
            if (!e.empty())
                entries.push_back(e);
            if (semi == std::string::npos)
                break;
            start = semi + 1;
        }
        lists.push_back(std::move(entries));
    }

    const std::int32_t lines = down ? source.cols() : source.rows();
    const std::int32_t n = down ? source.rows() : source.cols();
    const std::int32_t extra = down ? target.rows() - n : target.cols() - n;
    for (std::int32_t line = 0; line < lines; ++line) {
        auto pos = [&](std::int32_t k) {
            return down ? std::pair{source.firstRow + k, source.firstCol + line}
                        : std::pair{source.firstRow + line, source.firstCol + k};
        };
        std::vector<detail::Cell> cells(static_cast<std::size_t>(n));
        bool allNumbers = true;
        bool allTexts = true;
        for (std::int32_t k = 0; k < n; ++k) {
            const auto [r, c] = pos(k);
            if (const detail::Cell* cell = s.find(r, c))
                cells[static_cast<std::size_t>(k)] = *cell;
            const auto& cell = cells[static_cast<std::size_t>(k)];
            allNumbers = allNumbers && !cell.isFormula() && cell.valueKind() == ValueKind::Number;
            allTexts = allTexts && !cell.isFormula() && cell.valueKind() == ValueKind::Text;
        }

        // A fill list holding the texts in order, one after the other.
        const std::vector<std::string>* list = nullptr;
        std::size_t lastIndex = 0;
        if (allTexts) {
            for (const auto& entries : lists) {
                const auto first = std::find(entries.begin(), entries.end(), cells[0].value().text());
                if (first == entries.end())
                    continue;
                std::size_t idx = static_cast<std::size_t>(first - entries.begin());
                bool ok = true;
                for (std::int32_t k = 1; k < n && ok; ++k) {
                    idx = (idx + 1) % entries.size();
                    ok = entries[idx] == cells[static_cast<std::size_t>(k)].value().text();
                }
                if (ok) {
                    list = &entries;
                    lastIndex = idx;
                    break;
                }
            }
        }
        // Least-squares line through (k, value) for numbers.
        double mean = 0, slope = 0, meanK = (n - 1) / 2.0;
        if (allNumbers && n >= 2) {
            for (const auto& cell : cells)
                mean += cell.value().number();
            mean /= n;
            double sxy = 0, sxx = 0;
            for (std::int32_t k = 0; k < n; ++k) {
                sxy += (k - meanK) * (cells[static_cast<std::size_t>(k)].value().number() - mean);
                sxx += (k - meanK) * (k - meanK);
            }
            slope = sxy / sxx;
        }

        for (std::int32_t e = 0; e < extra; ++e) {
            const std::int32_t k = n + e;
            const auto [r, c] = pos(k);
            detail::Cell& out = s.at(r, c);
            if (list) {
                out.setValue(Value((*list)[(lastIndex + 1 + static_cast<std::size_t>(e)) % list->size()]));
            } else if (allNumbers && n >= 2) {
                out.setValue(Value(mean + slope * (k - meanK)));
            } else {
                const detail::Cell& from = cells[static_cast<std::size_t>(k % n)];
                out = from;
                if (from.isFormula()) {
                    const std::int32_t shift = k - k % n;
                    out.setFormula(detail::rewriteFormulaRefs(
                        from.formula(), detail::offsetEdit(down ? shift : 0, down ? 0 : shift)));
                }
            }
        }
    }
    s.trimAll();
    m_dirty = true;
    touch();
}

// ---- files -------------------------------------------------------------------------

std::int32_t Workbook::Read(const std::string& path)
{
    std::vector<LeftOut> ignored;
    return Read(path, ignored);
}

std::int32_t Workbook::Read(const std::string& path, std::vector<LeftOut>& leftOut)
{
    // Read into a fresh workbook first, so that a failure changes nothing.
    // Fill lists belong to the control, not to the file: they stay.
    Workbook fresh;
    std::vector<LeftOut> cut;
    const FileType type = readWorkbookFile(path, fresh, &cut);
    leftOut = std::move(cut);
    m_sheets = std::move(fresh.m_sheets);
    m_names = std::move(fresh.m_names);
    m_active = fresh.m_active;
    // Only our own files hold the options; other files leave them as they are.
    if (type == FileType::Native || type == FileType::Native6)
        m_options = fresh.m_options;
    m_dirty = true;
    m_changed = false;
    if (m_onChange)
        m_onChange();
    return static_cast<std::int32_t>(type);
}

void Workbook::Write(const std::string& path, std::int32_t type)
{
    if (!isValidFileType(type))
        fail(platform::err::InvalidCall, "Write");
    writeWorkbookFile(path, *this, static_cast<FileType>(type));
    m_changed = false;
}

void Workbook::WriteEx(const std::string& path, std::int32_t type)
{
    Write(path, type);
}

} // namespace spreadsheet
