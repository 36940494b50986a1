// The LV2 descriptor of a product: the entry points a host calls, bound to the product
// the bundle describes.
#pragma once

#include "host/lv2/ProductInfo.h"

#include "lv2/core/lv2.h"

namespace zt::lv2 {

// The descriptor for product; the same object on every call with the same product.
const LV2_Descriptor* Descriptor(const SProductInfo& product);

}  // namespace zt::lv2
