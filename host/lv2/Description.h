// The Turtle description of a product's LV2 bundle, written from what its plug-in
// object reports (automation records, groups, channel layout), so that the bundle
// always says what the library does. Build-time only: the library never links it.
#pragma once

#include "host/lv2/ProductInfo.h"

#include "framework/ztpi/PlugInInterfaces.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zt::lv2 {

// A factory preset as port values: automation index and plain value.
struct SPreset {
    std::string name;
    std::vector<std::pair<int32_t, float>> values;
};

// The symbol of a name: lower case letters and digits, words joined by "_", never
// starting with a digit ("EQ Band 1 Gain" -> "eq_band_1_gain").
std::string SymbolOf(const std::string& name);

// The LV2 units vocabulary's name for a unit text ("dB" -> "db"), empty when it has none.
std::string UnitName(const std::string& unit);

// One symbol per control port, in automation-index order; false when two parameters
// would share one (a symbol must never change, so this is for the author to resolve).
bool ControlSymbols(zt::ztpi::IPlugIn& plugIn, std::vector<std::string>& symbols, std::string& error);

// The three files of a bundle: manifest.ttl, the plug-in's own description and
// presets.ttl, for a plug-in object of the product that has been opened.
struct SBundleText {
    std::string manifest;
    std::string plugin;
    std::string presets;
};

// The bundle's X11 UI: its URI and the file name of its library inside the bundle.
struct SUIDescription {
    std::string uri;
    std::string binary;
};

// binary and description are the file names of the library and of the plug-in's own
// description inside the bundle. False with error set when the description cannot be
// made (clashing symbols, a preset naming no parameter). ui, when given, is declared
// in the manifest.
bool DescribeBundle(const SProductInfo& product, zt::ztpi::IPlugIn& plugIn, const std::string& binary,
                    const std::string& description, const std::vector<SPreset>& presets, SBundleText& out,
                    std::string& error, const SUIDescription* ui = nullptr);

}  // namespace zt::lv2
