#pragma once

#include <cstdint>
#include <string>

#include "foundation/Interface.h"

namespace zt {

// Categories of exceptions; each value has a fixed text (CException::TypeText).
enum EExceptionType : uint32_t {
    kExceptionTypeUnknown = 0,
    kExceptionTypeGeneric = 1,
    kExceptionTypeCode = 2,
    kExceptionTypeStorageLimit = 3,
    kExceptionTypeFile = 4,
    kExceptionTypeNetwork = 5,
};

// Detailed reasons; values from kExceptionReasonCount on have no text.
enum EExceptionReason : uint32_t {
    kExceptionReasonUnknown = 0,
    kExceptionReasonGeneric = 1,
    kExceptionReasonPathInvalid = 2,
    kExceptionReasonArgumentInvalid = 3,
    kExceptionReasonCannotOpen = 4,
    kExceptionReasonCannotRead = 5,
    kExceptionReasonCannotWrite = 6,
    kExceptionReasonWrongType = 7,
    kExceptionReasonFileGeneric = 8,
    kExceptionReasonTooLarge = 9,
    kExceptionReasonNetworkGeneric = 10,
    kExceptionReasonNetworkInterface = 11,
    kExceptionReasonConnectServer = 12,
    kExceptionReasonConnectApplication = 13,
    kExceptionReasonRequestFailed = 14,
    kExceptionReasonAnswerTooLarge = 15,
    kExceptionReasonReadApplication = 16,
    kExceptionReasonUnexpectedPathType = 17,
    kExceptionReasonCount = 18,
};

// What a catcher sees. Exceptions are thrown as IException* and the catcher
// ends them with Destroy():
//   try { ... } catch (zt::IException* e) { report(e->Message()); e->Destroy(); }
class IException : public virtual IDestructable {
public:
    virtual uint32_t Type() const = 0;
    virtual uint32_t Reason() const = 0;
    virtual const char* Description() const = 0;  // null when the thrower gave none
    virtual const char* Message() const = 0;      // composed once, at construction
};

class CException : public virtual IException {
public:
    // The description is copied, so the thrower may pass a temporary.
    CException(uint32_t type, uint32_t reason, const char* description);
    CException(const CException&) = delete;
    CException& operator=(const CException&) = delete;

    void Destroy() override;
    uint32_t Type() const override;
    uint32_t Reason() const override;
    const char* Description() const override;
    const char* Message() const override;

    // Fixed texts; null for values without one.
    static const char* TypeText(uint32_t type);
    static const char* ReasonText(uint32_t reason);

protected:
    ~CException() override = default;

    // "Exception\n\nType: <type>\n\nReason: <reason>[\n\nDescription: <description>]"
    virtual void ComposeMessage();
    virtual void AppendTypeText();
    virtual void AppendReasonText();

    std::string message_;

private:
    uint32_t type_;
    uint32_t reason_;
    bool hasDescription_;
    std::string description_;
};

// The one way to make an exception: throw zt::CreateException(type, reason, text);
IException* CreateException(uint32_t type, uint32_t reason, const char* description = nullptr);

}  // namespace zt
