// Who the bundle says it is: class identifiers, names and version of Quillstrip Pro
// Small, as the generic VST 3 adapter reports them.
#pragma once

#include "host/vst3/ProductInfo.h"

namespace qs::vst3 {

extern const zt::vst3::SProductInfo kProduct;

}  // namespace qs::vst3
