// The user's manual: a PDF installed beside the presets, opened from the editor's
// "Manual" command with the desktop's own viewer.
#pragma once

#include <string>

namespace zt::ge {
class IWindow;
}

namespace quillstrip {

// Where the manual lives, inside the per-installation folder.
inline constexpr const char* kManualFile = "Kelmora:Quillstrip Pro:QuillstripPro_Manual.pdf";

// The manual's system path. False when the system names no per-installation folder.
bool GetManualPath(std::string& systemPath);

// The "Manual" command: hands the manual to the desktop's viewer, once per call. When
// the file is missing or no viewer can be started, the user is told so in a message
// from the window instead. True when the manual went to the viewer.
bool OpenManual(zt::ge::IWindow& window);

}  // namespace quillstrip
