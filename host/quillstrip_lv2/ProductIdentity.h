// Who the LV2 bundle says it is: URI, names and version of Quillstrip Pro Small, and the
// units of the parameters whose display shows none, as the generic LV2 adapter reports them.
#pragma once

#include "host/lv2/ProductInfo.h"

namespace qs::lv2 {

extern const zt::lv2::SProductInfo kProduct;

// File names inside the bundle.
constexpr const char* kBinary = "quillstrip-pro-small.so";
constexpr const char* kDescription = "quillstrip-pro-small.ttl";
constexpr const char* kUIBinary = "quillstrip-pro-small-ui.so";

// The editor's URI, beside the plug-in's; as stable as it.
constexpr const char* kUIUri = "https://kelmora.audio/plugins/quillstrip-pro-small#ui";

}  // namespace qs::lv2
