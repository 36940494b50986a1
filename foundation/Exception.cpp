#include "foundation/Exception.h"

namespace zt {
namespace {

const char* const kTypeTexts[] = {
    "Unknown", "Generic", "Code", "Data storage limitation has been exceeded", "File", "Network",
};

// The spellings are part of the messages users and logs already know; keep them.
const char* const kReasonTexts[kExceptionReasonCount] = {
    "Unknown",
    "Generic",
    "Code, path invalid",
    "Code, argument invalid",
    "File, cannot open",
    "File, cannot read",
    "File, cannot write",
    "File, wrong type",
    "File, generic",
    "File, too large",
    "Generic network error",
    "Network interface could not be opened",
    "Could'nt connect to server",
    "Could'nt connect to application",
    "Request failed, answer not ok",
    "Answer page was to large",
    "Couldnt read data from application",
    "Unexpected path type",
};

}  // namespace

CException::CException(uint32_t type, uint32_t reason, const char* description)
    : m_type(type), m_reason(reason), m_hasDescription(description != nullptr),
      m_description(description != nullptr ? description : "")
{
    ComposeMessage();
}

void CException::Destroy() { delete this; }
uint32_t CException::Type() const { return m_type; }
uint32_t CException::Reason() const { return m_reason; }
const char* CException::Description() const { return m_hasDescription ? m_description.c_str() : nullptr; }
const char* CException::Message() const { return m_message.c_str(); }

const char* CException::TypeText(uint32_t type)
{
    return type < sizeof kTypeTexts / sizeof kTypeTexts[0] ? kTypeTexts[type] : nullptr;
}

const char* CException::ReasonText(uint32_t reason)
{
    return reason < kExceptionReasonCount ? kReasonTexts[reason] : nullptr;
}

void CException::ComposeMessage()
{
    m_message = "Exception\n\n";
    m_message += "Type: ";
    AppendTypeText();
    m_message += "\n\n";
    m_message += "Reason: ";
    AppendReasonText();
    if (m_hasDescription) {
        m_message += "\n\n";
        m_message += "Description: ";
        m_message += m_description;
    }
}

void CException::AppendTypeText()
{
    if (const char* text = TypeText(m_type))
        m_message += text;
}

void CException::AppendReasonText()
{
    if (const char* text = ReasonText(m_reason))
        m_message += text;
}

IException* CreateException(uint32_t type, uint32_t reason, const char* description)
{
    return new CException(type, reason, description);
}

}  // namespace zt
