// Who the LV2 bundle says it is: URI, names and version of Quillstrip Pro Small, and the
// units of the parameters whose display shows none, as the generic LV2 adapter reports them.
#pragma once

#include "host/lv2/ProductInfo.h"

namespace qs::lv2 {

extern const zt::lv2::SProductInfo kProduct;

// File names inside the bundle.
constexpr const char* kBinary = "quillstrip-pro-small.so";
constexpr const char* kDescription = "quillstrip-pro-small.ttl";

}  // namespace qs::lv2
