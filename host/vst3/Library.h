#pragma once

namespace zt::vst3 {
// The library's own handle and folder (with a trailing "/"), recorded at load time.
void* LibraryHandle();
const char* LibraryFolder();
}  // namespace zt::vst3
