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
    : type_(type), reason_(reason), hasDescription_(description != nullptr),
      description_(description != nullptr ? description : "")
{
    ComposeMessage();
}

void CException::Destroy() { delete this; }
uint32_t CException::Type() const { return type_; }
uint32_t CException::Reason() const { return reason_; }
const char* CException::Description() const { return hasDescription_ ? description_.c_str() : nullptr; }
const char* CException::Message() const { return message_.c_str(); }

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
    message_ = "Exception\n\n";
    message_ += "Type: ";
    AppendTypeText();
    message_ += "\n\n";
    message_ += "Reason: ";
    AppendReasonText();
    if (hasDescription_) {
        message_ += "\n\n";
        message_ += "Description: ";
        message_ += description_;
    }
}

void CException::AppendTypeText()
{
    if (const char* text = TypeText(type_))
        message_ += text;
}

void CException::AppendReasonText()
{
    if (const char* text = ReasonText(reason_))
        message_ += text;
}

IException* CreateException(uint32_t type, uint32_t reason, const char* description)
{
    return new CException(type, reason, description);
}

}  // namespace zt
