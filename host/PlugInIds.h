// Class identifiers of the factory's two classes and the texts they report.
#pragma once

#include "pluginterfaces/base/funknown.h"

namespace zt::vst3 {

// Our own identifiers; they never change once hosts have stored them in projects.
static const Steinberg::FUID kProcessorUID(0x4B656C6D, 0x51535031, 0x8A5E21F0, 0x1C3B7D01);
static const Steinberg::FUID kControllerUID(0x4B656C6D, 0x51535043, 0x8A5E21F0, 0x1C3B7D02);

constexpr const char* kProductName = "Quillstrip Pro Small";
constexpr const char* kVendorName = "Kelmora";
constexpr const char* kVersion = "1.2.0.1";
constexpr const char* kSdkVersion = "VST 3.0.2";

// Id of the message with which processor and controller find each other, and the
// attribute that carries the processor's address.
constexpr const char* kLinkMessage = "plugin p";
constexpr const char* kLinkAttribute = "processor";

} // namespace zt::vst3
