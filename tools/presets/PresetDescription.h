// Factory preset descriptions: lines "Parameter Name = value" with host parameter names
// and values as the editor and the host show them, with or without their units ("-3 dB",
// "2.5K", "Bell"), read by the same parser a host's typed values go through. Anything
// after "#" is a comment. Parameters not named keep their defaults. The preset files and
// the LV2 bundle's presets are both built from them.
#pragma once

#include "framework/de/ParameterManager.h"

#include <filesystem>
#include <memory>
#include <string>

namespace quillstrip {

// The processing set (set 0) with every parameter at its default, as a preset starts.
std::unique_ptr<zt::de::CParameterManager> MakeProcessingSet();

// Applies a description's lines to the processing set. False, with the message a user
// sees (file, line and what the parameter takes), when a line cannot be read.
bool ApplyPresetDescription(const std::filesystem::path& description, zt::de::IParameterManager& parameters,
                            std::string& error);

}  // namespace quillstrip
