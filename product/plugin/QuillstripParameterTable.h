// Every parameter of the product: range, default, rounding and, for the automated
// ones, how the host sees them.
#pragma once

#include "product/plugin/QuillstripParameterIds.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillstrip {

enum class EScale : int32_t { kNone, kLinear, kList, kTrueLog, kLog };
enum class EDisplay : int32_t { kPlain, kFrequency0, kFrequency1, kGain };

struct SParameterRow {
    int32_t set;
    int32_t number;
    const char* name;  // automation name; empty when the parameter is not automated
    float minimum;
    float maximum;
    float defaultValue;
    int32_t decimals;  // rounding of the stored value, -1 none
    EScale scale;      // how the host sees it (kNone: not automated)
    const unsigned* logBase;
    int32_t displayDecimals;
    const char* unit;
    const char* texts;       // list entries, "@"-separated
    const char* shortTexts;  // for the short list
    EDisplay display;
    int32_t automationIndex;  // -1 when not automated
};

// All rows of a set, in number order.
const std::vector<SParameterRow>& ParameterRows(int32_t set);

// The automated rows in automation-index order (kNumAutomated of them).
std::vector<const SParameterRow*> AutomationOrder();

// The sections a host may group the automated parameters in, as a user thinks of them,
// and the section of an automation name (by its leading words).
const std::vector<std::string>& ParameterGroups();
int32_t GroupOf(const char* automationName);

// Filter-type texts of the EQ bands and key filters.
extern const char* const kFilterTypeTexts;
extern const char* const kFilterTypeShortTexts;

}  // namespace quillstrip
