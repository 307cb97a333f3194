#include "platform/errors/Error.h"

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>
#include <utility>

namespace platform {

Error::Error(std::int32_t number, std::string source, std::string description)
    : m_number(number), m_source(std::move(source)), m_description(std::move(description))
{
}

Error Error::runtime(std::int32_t number)
{
    return Error(number, std::string(RuntimeSource), StandardDescription(number));
}

Error Error::runtime(std::int32_t number, std::string source)
{
    return Error(number, std::move(source), StandardDescription(number));
}

void Error::appendTrail(std::string_view source, std::string_view note)
{
    m_source.append(", ").append(source).append("\r\n");
    m_description.append(", ").append(note).append("\r\n");
    m_what.clear();
}

const char* Error::what() const noexcept
{
    try {
        if (m_what.empty()) {
            auto& text = const_cast<std::string&>(m_what);
            text = "Error " + std::to_string(m_number) + " (" + m_source + "): " + m_description;
        }
        return m_what.c_str();
    } catch (...) {
        return "numbered error";
    }
}

namespace {

struct Description {
    std::int32_t number;
    std::string_view text;
};

// The run-time library's standard texts, sorted by number.
constexpr std::array kDescriptions{
    Description{3, "Return without GoSub"},
    Description{5, "Invalid procedure call or argument"},
    Description{6, "Overflow"},
    Description{7, "Out of memory"},
    Description{9, "Subscript out of range"},
    Description{10, "This array is fixed or temporarily locked"},
    Description{11, "Division by zero"},
    Description{13, "Type mismatch"},
    Description{14, "Out of string space"},
    Description{16, "Expression too complex"},
    Description{17, "Can't perform requested operation"},
    Description{18, "User interrupt occurred"},
    Description{20, "Resume without error"},
    Description{28, "Out of stack space"},
    Description{35, "Sub or Function not defined"},
    Description{47, "Too many DLL application clients"},
    Description{48, "Error in loading DLL"},
    Description{49, "Bad DLL calling convention"},
    Description{51, "Internal error"},
    Description{52, "Bad file name or number"},
    Description{53, "File not found"},
    Description{54, "Bad file mode"},
    Description{55, "File already open"},
    Description{57, "Device I/O error"},
    Description{58, "File already exists"},
    Description{59, "Bad record length"},
    Description{61, "Disk full"},
    Description{62, "Input past end of file"},
    Description{63, "Bad record number"},
    Description{67, "Too many files"},
    Description{68, "Device unavailable"},
    Description{70, "Permission denied"},
    Description{71, "Disk not ready"},
    Description{74, "Can't rename with different drive"},
    Description{75, "Path/File access error"},
    Description{76, "Path not found"},
    Description{91, "Object variable or With block variable not set"},
    Description{92, "For loop not initialized"},
    Description{93, "Invalid pattern string"},
    Description{94, "Invalid use of Null"},
    Description{195, "Matrix result dimensions differ"},
    Description{197, "Matrix inner dimensions differ"},
    Description{281, "No more DDE channels"},
    Description{282, "No foreign application responded to a DDE initiate"},
    Description{283, "Multiple applications responded to a DDE initiate"},
    Description{284, "DDE channel locked"},
    Description{285, "Foreign application won't perform DDE method or operation"},
    Description{286, "Timeout while waiting for DDE response"},
    Description{287, "User pressed Escape key during DDE operation"},
    Description{288, "Destination is busy"},
    Description{289, "Data not provided in DDE operation"},
    Description{290, "Data in wrong format"},
    Description{291, "Foreign application quit"},
    Description{292, "DDE conversation closed or changed"},
    Description{293, "DDE method invoked with no channel open"},
    Description{294, "Invalid DDE link format"},
    Description{295, "Message queue filled; DDE message lost"},
    Description{296, "PasteLink already performed on this control"},
    Description{297, "Can't set LinkMode; invalid LinkTopic"},
    Description{298, "System DLL could not be loaded"},
    Description{320, "Can't use character device names in specified file names"},
    Description{321, "Invalid file format"},
    Description{322, "Can't create necessary temporary file"},
    Description{325, "Invalid format in resource file"},
    Description{327, "Data value named not found"},
    Description{328, "Illegal parameter; can't write arrays"},
    Description{335, "Could not access system registry"},
    Description{336, "Component not correctly registered"},
    Description{337, "Component not found"},
    Description{338, "Component did not run correctly"},
    Description{340, "Control array element does not exist"},
    Description{341, "Invalid control array index"},
    Description{342, "Not enough room to allocate control array"},
    Description{343, "Object not an array"},
    Description{344, "Must specify index for object array"},
    Description{360, "Object already loaded"},
    Description{361, "Can't load or unload this object"},
    Description{363, "Control specified not found"},
    Description{364, "Object was unloaded"},
    Description{365, "Unable to unload within this context"},
    Description{380, "Invalid property value"},
    Description{381, "Invalid property-array index"},
    Description{382, "Property Set can't be executed at run time"},
    Description{383, "Property Set can't be used with a read-only property"},
    Description{385, "Need property-array index"},
    Description{387, "Property Set not permitted"},
    Description{393, "Property Get can't be executed at run time"},
    Description{394, "Property Get can't be executed on write-only property"},
    Description{400, "Form already displayed; can't show modally"},
    Description{402, "Code must close topmost modal form first"},
    Description{419, "Permission to use object denied"},
    Description{422, "Property not found"},
    Description{423, "Property or method not found"},
    Description{424, "Object required"},
    Description{425, "Invalid object use"},
    Description{429, "ActiveX component can't create object"},
    Description{430, "Class doesn't support Automation or doesn't support expected interface"},
    Description{432, "File name or class name not found during Automation operation"},
    Description{438, "Object doesn't support this property or method"},
    Description{440, "Automation error"},
    Description{445, "Object doesn't support this action"},
    Description{446, "Object doesn't support named arguments"},
    Description{448, "Named argument not found"},
    Description{449, "Argument not optional"},
    Description{450, "Wrong number of arguments or invalid property assignment"},
    Description{453, "Specified DLL function not found"},
    Description{457, "This key is already associated with an element of this collection"},
    Description{458, "Variable uses an Automation type not supported"},
    Description{460, "Invalid clipboard format"},
    Description{461, "Method or data member not found"},
    Description{462, "The remote server machine does not exist or is unavailable"},
    Description{463, "Class not registered on local machine"},
    Description{480, "Can't create AutoRedraw image"},
    Description{481, "Invalid picture"},
    Description{482, "Printer error"},
    Description{483, "Printer driver does not support specified property"},
    Description{484, "Problem getting printer information from the system. Make sure the printer is set up correctly"},
    Description{485, "Invalid picture type"},
    Description{486, "Can't print form image to this type of printer"},
    Description{520, "Can't empty Clipboard"},
    Description{521, "Can't open Clipboard"},
    Description{735, "Can't save file to TEMP"},
    Description{744, "Search text not found"},
    Description{746, "Replacements too long"},
    Description{32755, "Cancel was selected."},
    Description{35750, "Unable to open the Internet session"},
    Description{35761, "Request timed out"},
    Description{35764, "Still executing last request"},
};

static_assert(std::is_sorted(kDescriptions.begin(), kDescriptions.end(),
                             [](const Description& a, const Description& b) { return a.number < b.number; }),
              "the description table is searched by bisection and must stay sorted");

} // namespace

std::string StandardDescription(std::int32_t number)
{
    const auto it = std::lower_bound(kDescriptions.begin(), kDescriptions.end(), number,
                                     [](const Description& d, std::int32_t n) { return d.number < n; });
    if (it != kDescriptions.end() && it->number == number) {
        return std::string(it->text);
    }
    return "Application-defined or object-defined error";
}

Error currentAsError()
{
    try {
        throw;
    } catch (const Error& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return Error::runtime(err::OutOfMemory);
    } catch (const std::out_of_range&) {
        return Error::runtime(err::Subscript);
    } catch (const std::length_error&) {
        return Error::runtime(err::Subscript);
    } catch (const std::overflow_error&) {
        return Error::runtime(err::Overflow);
    } catch (const std::invalid_argument&) {
        return Error::runtime(err::InvalidCall);
    } catch (const std::exception& e) {
        return Error(err::Raised, std::string(RuntimeSource), e.what());
    } catch (...) {
        return Error(err::Raised, std::string(RuntimeSource), "Unknown exception");
    }
}

Error* pendingError() noexcept
{
    const std::exception_ptr current = std::current_exception();
    if (!current) {
        return nullptr;
    }
    try {
        std::rethrow_exception(current);
    } catch (Error& e) {
        return &e;
    } catch (...) {
        return nullptr;
    }
}

void RaiseError(std::string_view source, std::string_view description)
{
    if (Error* pending = pendingError()) {
        pending->appendTrail(source, description);
        return;
    }
    if (std::current_exception()) {
        Error converted = currentAsError();
        converted.appendTrail(source, description);
        throw converted;
    }
    throw Error(err::Raised, std::string(source), std::string(description));
}

} // namespace platform
