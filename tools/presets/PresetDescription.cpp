#include "tools/presets/PresetDescription.h"

#include "product/plugin/GainDisplayConverter.h"
#include "product/plugin/Parm.h"
#include "product/plugin/QuillstripParameterTable.h"
#include "framework/ztpi/ParameterText.h"

#include <cstdio>
#include <fstream>
#include <map>

namespace quillstrip {

namespace {

std::string Trim(std::string s)
{
    const size_t first = s.find_first_not_of(" \t\r");
    const size_t last = s.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

// The value of a row from its text, read as the host reads a typed value: the number the
// display shows, with or without its unit ("Output Gain = -3 dB" is the fader position
// that shows -3.0 dB), "K" for thousands, or a list entry by its text or number. NaN,
// infinities and values outside the range are refused.
bool ParseValue(const SParameterRow& row, const std::string& text, float& value)
{
    zt::ztpi::SAutomationInfo info;
    info.kind = row.scale == EScale::kList ? zt::ztpi::SAutomationInfo::kList : zt::ztpi::SAutomationInfo::kContinuous;
    info.minimum = row.minimum;
    info.maximum = row.maximum;
    info.displayDecimals = row.displayDecimals;
    std::snprintf(info.unit, sizeof info.unit, "%s", row.unit ? row.unit : "");
    std::snprintf(info.valueTexts, sizeof info.valueTexts, "%s", row.texts ? row.texts : "");
    static CGainDisplayConverter gain;  // as the plug-in shows its gains: in dB
    gain.SetUnit("dB");
    info.displayConverter = row.display == EDisplay::kGain ? &gain : nullptr;
    return zt::ztpi::PlainFromText(info, text.c_str(), value);
}

}  // namespace

std::unique_ptr<zt::de::CParameterManager> MakeProcessingSet()
{
    auto parameters = std::make_unique<zt::de::CParameterManager>();
    parameters->SetNumberOfSets(1);
    for (const SParameterRow& row : ParameterRows(kSetProcessing))
        parameters->AddParameter(
            new CParm(nullptr, 0, row.number, row.defaultValue, row.minimum, row.maximum, row.decimals), 0);
    return parameters;
}

bool ApplyPresetDescription(const std::filesystem::path& description, zt::de::IParameterManager& parameters,
                            std::string& error)
{
    std::map<std::string, const SParameterRow*> byName;
    for (const SParameterRow& row : ParameterRows(kSetProcessing))
        if (row.name[0] != '\0')
            byName[row.name] = &row;

    std::ifstream in(description);
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        const size_t eq = line.find('=');
        const std::string name = Trim(line.substr(0, eq));
        const auto row = byName.find(name);
        float value = 0;
        if (eq == std::string::npos || row == byName.end()
            || !ParseValue(*row->second, Trim(line.substr(eq + 1)), value)) {
            char text[1024];
            if (row == byName.end())
                std::snprintf(text, sizeof text, "%s:%d: cannot read \"%s\"", description.c_str(), lineNumber,
                              line.c_str());
            else
                std::snprintf(text, sizeof text, "%s:%d: cannot read \"%s\" (%s takes %g to %g%s%s)",
                              description.c_str(), lineNumber, line.c_str(), name.c_str(), row->second->minimum,
                              row->second->maximum, row->second->unit && *row->second->unit ? " " : "",
                              row->second->unit);
            error = text;
            return false;
        }
        parameters.SetValue(false, row->second->number, value, 0);
    }
    return true;
}

}  // namespace quillstrip
