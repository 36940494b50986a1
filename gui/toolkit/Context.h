#pragma once

#include <string>

#include "foundation/Interface.h"

namespace zt::ge {

// What the toolkit knows about the module it runs in. The host layer makes
// one per editor and hands it to the window.
class IContext : public virtual IInterface {
public:
    // The folder of the plug-in's library, ending with '/', or empty.
    virtual const std::string& GetModuleFolder() const = 0;
    // An error message for the user, in the desktop's message dialog.
    virtual void ShowMessage(const char* text, const char* caption) = 0;
};

class CContext : public virtual IContext {
public:
    explicit CContext(std::string moduleFolder = {});

    const std::string& GetModuleFolder() const override;
    void ShowMessage(const char* text, const char* caption) override;

private:
    std::string moduleFolder_;
};

// Carries the context into the objects that need it; the object that sets
// it (usually the window) outlives them.
class CInContext {
public:
    IContext* GetContext() const { return context_; }

protected:
    IContext* context_ = nullptr;
};

class CSetContext : public virtual CInContext {
public:
    void SetContext(IContext* context) { context_ = context; }
};

}  // namespace zt::ge
