#include "gui/toolkit/SevereError.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "gui/native/Desktop.h"

namespace zt::ge {

const char* const kSevereErrorCaption = "Severe Error";
const char* const kSevereErrorText = "An error have occured running this software.\n"
                                     "This could be due to an error in software or in your hardware/drivers.\n"
                                     "Please contact technical support for further information.\n"
                                     "This software will now attempt to close down.";

namespace {

void PrintAndExit(const char* caption, const char* text)
{
    std::fprintf(stderr, "%s\n%s\n", caption, text);
    std::fflush(stderr);
    GetSystemDesktop().ShowMessageAndWait(text, caption);
    // Other threads of the host are still running: skip static destructors and
    // atexit handlers that could trip over them, as the system's own process end would.
    std::_Exit(0);
}

std::atomic<FSevereErrorAction> g_action{&PrintAndExit};
std::atomic<bool> g_reported{false};

}  // namespace

FSevereErrorAction SetSevereErrorAction(FSevereErrorAction action)
{
    return g_action.exchange(action ? action : &PrintAndExit);
}

void ReportSevereError()
{
    if (g_reported.exchange(true))
        return;
    g_action.load()(kSevereErrorCaption, kSevereErrorText);
}

}  // namespace zt::ge
