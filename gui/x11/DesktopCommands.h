#pragma once

#include <string>
#include <vector>

#include "gui/native/Desktop.h"

namespace zt::ge::x11 {

// The command lines for the desktop's dialog programs. Each list starts
// with the program's name as argv[0].
std::vector<std::string> ZenityFileArguments(const SFileDialogRequest& request);
std::vector<std::string> KdialogFileArguments(const SFileDialogRequest& request);
std::vector<std::string> ZenityMessageArguments(const char* text, const char* caption, uintptr_t parentWindow);
std::vector<std::string> KdialogMessageArguments(const char* text, const char* caption, uintptr_t parentWindow);

// The path a dialog program printed: its first line, or empty (cancel).
std::string PathFromOutput(const std::string& output);

}  // namespace zt::ge::x11
