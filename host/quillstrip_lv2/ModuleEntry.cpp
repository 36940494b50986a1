// The library's one export: the LV2 descriptor of Quillstrip Pro Small. Every other
// symbol stays hidden (see the version script).
#include "host/quillstrip_lv2/ProductIdentity.h"

#include "host/lv2/Descriptor.h"

extern "C" {

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? zt::lv2::Descriptor(qs::lv2::kProduct) : nullptr;
}

}  // extern "C"
