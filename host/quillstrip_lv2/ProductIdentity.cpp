#include "host/quillstrip_lv2/ProductIdentity.h"

#include "product/plugin/QuillstripModule.h"

#include "QuillstripVersion.h"

#include <new>

namespace qs::lv2 {

namespace {

zt::ztpi::IModule* CreateModule(zt::ztpi::IHost* host, int32_t* interfaceVersion)
{
    if (interfaceVersion)
        *interfaceVersion = 1;
    return new (std::nothrow) CQuillstripModule(host, nullptr);
}

// The times the DSP takes in milliseconds, the mixes in percent and the delay in
// samples; the host display of these carries no unit text.
const zt::lv2::SUnitOf kUnits[] = {
    {"Gate Attack", "ms"}, {"Gate Release", "ms"},  {"Gate Hold", "ms"},
    {"Comp Attack", "ms"}, {"Comp Release", "ms"},  {"Limiter Release", "ms"},
    {"Gate Mix", "%"},     {"Saturation Mix", "%"}, {"Input Delay", "samples"},
};

}  // namespace

// The URI never changes once hosts have stored it in sessions. Its version numbers grow
// with the project's: the major version moves the minor number by a hundred, which keeps
// it even (a release, to LV2) while the minor version is.
const zt::lv2::SProductInfo kProduct = {
    "https://kelmora.audio/plugins/quillstrip-pro-small",
    "Quillstrip Pro Small",
    "Kelmora",
    "https://kelmora.audio/",
    "https://spdx.org/licenses/GPL-3.0-or-later",
    kQuillstripVersionMajor * 100 + kQuillstripVersionMinor,
    kQuillstripVersionPatch * 100 + kQuillstripVersionTweak,
    kQuillstripVersion,
    &CreateModule,
    kUnits,
    static_cast<int32_t>(sizeof kUnits / sizeof kUnits[0]),
};

}  // namespace qs::lv2
