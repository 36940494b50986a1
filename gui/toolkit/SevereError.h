#pragma once

#include <exception>

#include "foundation/Exception.h"

namespace zt::ge {

extern const char* const kSevereErrorCaption;
extern const char* const kSevereErrorText;

// What happens the first time an exception escapes the window's message
// handling. The default writes caption and text to stderr, shows them in the
// desktop's message dialog until the user closes it, and ends the process
// with exit code 0.
using FSevereErrorAction = void (*)(const char* caption, const char* text);

// Installs action (null restores the default) and returns the previous one.
FSevereErrorAction SetSevereErrorAction(FSevereErrorAction action);

// The first call in the process runs the action; later calls do nothing, so a
// replaced action that returns leaves later failures swallowed.
void ReportSevereError();

// Runs f; an exception escaping it (a thrown zt::IException* is destroyed)
// becomes a severe error. True when f returned normally.
template <class F>
bool RunGuarded(F&& f)
{
    try {
        f();
        return true;
    } catch (IException* e) {
        if (e)
            e->Destroy();
    } catch (...) {}
    ReportSevereError();
    return false;
}

}  // namespace zt::ge
