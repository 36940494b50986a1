#include "host/quillstrip/ProductIdentity.h"

#include "QuillstripVersion.h"

extern "C" zt::ztpi::IModule* ztpiMain(zt::ztpi::IHost* host, int32_t* interfaceVersion);

namespace qs::vst3 {

namespace {
// Fixed-width areas the factory's name fields are copied from: the name, NUL, spaces.
const char kProductNameArea[60] = "Quillstrip Pro Small\0                                      ";
const char kVendorNameArea[60] = "Kelmora\0                                                   ";
}  // namespace

// Our own identifiers; they never change once hosts have stored them in projects.
const zt::vst3::SProductInfo kProduct = {
    Steinberg::FUID(0x4B656C6D, 0x51535031, 0x8A5E21F0, 0x1C3B7D01),
    Steinberg::FUID(0x4B656C6D, 0x51535043, 0x8A5E21F0, 0x1C3B7D02),
    kProductNameArea,
    kVendorNameArea,
    kQuillstripVersion,
    "https://kelmora.invalid/quillstrip",
    "mailto:support@kelmora.invalid",
    "Fx",
    &ztpiMain,
};

}  // namespace qs::vst3
