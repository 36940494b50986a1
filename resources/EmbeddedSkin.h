#pragma once

#include <cstddef>
#include <cstdint>

namespace quillstrip::skin {

// The resource file the build generates (tools/skin), held in the
// library's read-only data.
const uint8_t* GetEmbeddedResourceFile();
std::size_t GetEmbeddedResourceFileSize();

}  // namespace quillstrip::skin
