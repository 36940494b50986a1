// Open and save dialogs as the plug-in object needs them. The editor supplies the
// platform's dialogs; tests supply their own answers.
#pragma once

#include <string>

namespace zt::ztpi {

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // folder: a framework path ending in ":"; filter: description and pattern, e.g.
    // "Presets (*.preset)" and "*.preset". True with a framework path in chosen, false
    // when the user cancels.
    virtual bool ChooseFileToOpen(const std::string& folder, const char* filterName, const char* filterPattern,
                                  std::string& chosen)
        = 0;
    virtual bool ChooseFileToSave(const std::string& folder, const std::string& suggestedName, const char* filterName,
                                  const char* filterPattern, std::string& chosen)
        = 0;
};

}  // namespace zt::ztpi
