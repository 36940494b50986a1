#include "foundation/FileSearch.h"

#include <algorithm>
#include <cstring>

#include "foundation/Paths.h"
#include "platform/Platform.h"

namespace zt {
namespace {

constexpr std::size_t kMaxSystemMessage = 512;

void CopyErrorText(const std::string& text, char* buffer, int bufferSize)
{
    if (buffer == nullptr)
        return;
    if (bufferSize < 0) {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
    } else if (bufferSize > 1) {
        std::size_t n = std::min(text.size(), static_cast<std::size_t>(bufferSize) - 1);
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
}

}  // namespace

bool CFileSearch::Search(const char* path, char* errorText, int bufferSize)
{
    results_.clear();
    std::string system;
    if (!ConvertPath(EPathDirection::kToSystem, path, system, true)) {
        CopyErrorText(std::string("Uninterpretable path:\n  ") + (path != nullptr ? path : ""), errorText, bufferSize);
        return false;
    }
    std::vector<platform::SFoundEntry> entries;
    std::string message;
    if (!platform::FindEntries(system, entries, message)) {
        if (message.size() > kMaxSystemMessage)
            message.resize(kMaxSystemMessage);
        CopyErrorText(message, errorText, bufferSize);
        return false;
    }
    for (platform::SFoundEntry& entry : entries)
        results_.push_back({std::move(entry.name), entry.isFolder});
    return true;
}

const std::vector<SFoundFile>& CFileSearch::Results() const { return results_; }

}  // namespace zt
