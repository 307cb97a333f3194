#include <cstring>

#include "errorlib/CErrorHandler.h"
#include "errorlib/MException.h"

namespace rampart {

namespace {

constexpr const char* kBareSource = "Rampart6";

// The system's text for an error code, without a line end; empty for codes
// of 0 or below.
std::string systemMessage(std::int32_t code)
{
    if (code <= 0) {
        return {};
    }
    char buffer[256] = {};
    // GNU strerror_r returns the text, which may or may not be in the buffer.
    const char* text = ::strerror_r(code, buffer, sizeof buffer);
    std::string message = text != nullptr ? text : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

bool isExpected(std::int32_t value, std::int32_t e1, std::int32_t e2, std::int32_t e3, std::int32_t e4,
                std::int32_t e5)
{
    return value == 0 || value == e1 || value == e2 || value == e3 || value == e4 || value == e5;
}

bool apiFailed(RampartAPIReturnType type, std::int32_t value, std::int32_t lastDllError)
{
    switch (type) {
    case rmpAPIBool:
    case rmpAPIHandle: return value == 0;
    case rmpAPILong: return value != 0;
    case rmbAPIVoid: return lastDllError != 0;
    default: return false;
    }
}

} // namespace

void CErrorHandler::CacheInlineError(const ErrObject& error)
{
    m_inlineNumber = error.Number & 0xFFFF;
    m_inlineDescription = error.Description;
    m_inlineSource = error.Source == "Rampart" ? m_componentName : error.Source;
    m_inlineLine = error.Erl;
    requireInitialized();
}

void CErrorHandler::CheckInlineError(std::int32_t ExpectedError1, std::int32_t ExpectedError2,
                                     std::int32_t ExpectedError3, std::int32_t ExpectedError4,
                                     std::int32_t ExpectedError5)
{
    requireInitialized();
    if (isExpected(m_inlineNumber, ExpectedError1, ExpectedError2, ExpectedError3, ExpectedError4, ExpectedError5)) {
        m_inlineCheck = false;
        return;
    }
    m_inlineCheck = true;
    throw platform::Error(m_inlineNumber, m_inlineSource, m_inlineDescription);
}

std::int32_t CErrorHandler::InlineError() const
{
    requireInitialized();
    return m_inlineNumber;
}

std::string CErrorHandler::InlineErrorSource() const
{
    requireInitialized();
    return m_inlineSource;
}

std::string CErrorHandler::InlineErrorDescription() const
{
    requireInitialized();
    return m_inlineDescription;
}

void CErrorHandler::HandleAPIError(const ErrObject& error, RampartAPIReturnType ReturnType, std::int32_t ReturnValue)
{
    m_lastDllError = error.LastDllError;
    requireInitialized();
    m_apiSource = m_componentName;
    m_apiMessage = systemMessage(m_lastDllError);
    if (m_apiMessage.empty()) {
        m_apiMessage = systemMessage(ReturnValue);
    }
    m_apiReturnValue = ReturnValue;
    if (apiFailed(ReturnType, ReturnValue, m_lastDllError)) {
        m_apiMarker = m_baseErrorNumber + 9;
        throw platform::Error(m_apiMarker, m_apiSource, m_apiMessage);
    }
}

void CErrorHandler::CacheAPIError(const ErrObject& error, RampartAPIReturnType ReturnType, std::int32_t ReturnValue)
{
    m_lastDllError = error.LastDllError;
    requireInitialized();
    m_apiSource = m_componentName;
    m_apiMessage = systemMessage(m_lastDllError);
    m_apiReturnValue = ReturnValue;
    if (apiFailed(ReturnType, ReturnValue, m_lastDllError)) {
        m_apiMarker = m_baseErrorNumber + 9;
    }
}

void CErrorHandler::CheckLastAPIError(std::int32_t ExpectedError1, std::int32_t ExpectedError2,
                                      std::int32_t ExpectedError3, std::int32_t ExpectedError4,
                                      std::int32_t ExpectedError5)
{
    requireInitialized();
    if (isExpected(m_lastDllError, ExpectedError1, ExpectedError2, ExpectedError3, ExpectedError4, ExpectedError5)) {
        return;
    }
    m_apiCheck = true;
    m_apiMarker = 1;
    throw platform::Error(1, m_apiSource, m_apiMessage);
}

void CErrorHandler::CheckAPIReturnValue(std::int32_t ExpectedError1, std::int32_t ExpectedError2,
                                        std::int32_t ExpectedError3, std::int32_t ExpectedError4,
                                        std::int32_t ExpectedError5)
{
    requireInitialized();
    if (isExpected(m_apiReturnValue, ExpectedError1, ExpectedError2, ExpectedError3, ExpectedError4,
                   ExpectedError5)) {
        return;
    }
    m_apiCheck = true;
    m_apiMarker = 1;
    throw platform::Error(1, m_apiSource, m_apiMessage);
}

std::int32_t CErrorHandler::LastAPIError() const
{
    requireInitialized();
    return m_lastDllError;
}

std::string CErrorHandler::LastAPIErrorDescription() const
{
    requireInitialized();
    return m_apiMessage;
}

std::int32_t CErrorHandler::APIReturnValue() const
{
    requireInitialized();
    return m_apiReturnValue;
}

std::int32_t CErrorHandler::HandleException(const ExceptionInfo* info)
{
    m_exceptionCode = InnermostExceptionCode(info);
    m_exceptionName = ExceptionName(m_exceptionCode);
    throw platform::Error(m_baseErrorNumber + 8, kBareSource, m_exceptionName);
}

std::int32_t CErrorHandler::LastExceptionCode() const
{
    requireInitialized();
    return static_cast<std::int32_t>(m_exceptionCode);
}

std::string CErrorHandler::LastExceptionDescription() const
{
    requireInitialized();
    return m_exceptionName;
}

void CErrorHandler::LogData(const std::vector<Variant>& Item)
{
    requireInitialized();
    for (std::size_t i = 0; i < Item.size(); ++i) {
        try {
            const Variant& element = Item[i];
            const std::string type = element.TypeName();
            const std::string header = "Item    :" + std::to_string(i + 1) + "\r\nType    :" + type;
            const auto& value = element.value();
            if (const auto* bytes = std::get_if<ByteArray>(&value)) {
                LogString(header);
                std::u32string text;
                for (const std::uint8_t b : bytes->items) {
                    text += static_cast<char32_t>(b);
                }
                for (const std::string& line : HexDumpLines(text)) {
                    LogString(line);
                }
            } else if (const auto* array = std::get_if<VariantArray>(&value)) {
                LogString(header + "\r\nValue    ");
                for (std::size_t j = 0; j < array->items.size(); ++j) {
                    const Variant& inner = array->items[j];
                    if (type == "String()") {
                        const auto text = inner.CStr();
                        for (const std::string& line : HexDumpLines(DecodeUtf8(text.value_or("")))) {
                            LogString(line);
                        }
                        continue;
                    }
                    const auto index = static_cast<std::int64_t>(array->lower) + static_cast<std::int64_t>(j);
                    const auto text = inner.CStr();
                    LogString(PadLeft("(" + std::to_string(index) + ")", 8) + ":" +
                              text.value_or("##Failed to Read Value##"));
                }
            } else if (type == "String") {
                LogString(header);
                for (const std::string& line : HexDumpLines(DecodeUtf8(std::get<std::string>(value)))) {
                    LogString(line);
                }
            } else if (type == "Nothing") {
                LogString(header);
                LogString("Value   :Nothing");
            } else {
                LogString(header);
                LogString("Value   :" + element.CStr().value_or("##Failed to Read Value##"));
            }
        } catch (...) {
        }
    }
}

} // namespace rampart
