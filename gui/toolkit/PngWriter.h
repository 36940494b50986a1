#pragma once

#include <string>

#include "gui/native/DC.h"

namespace zt::ge {

// Writes the surface as an 8-bit RGB PNG (the fourth byte is dropped, as the
// blit drops it). False when the surface is empty or the file cannot be written.
bool WritePng(const IDC& surface, const std::string& path);

}  // namespace zt::ge
