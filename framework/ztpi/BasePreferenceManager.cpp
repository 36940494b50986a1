#include "framework/ztpi/BasePreferenceManager.h"

#include "foundation/Paths.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zt::ztpi {

namespace {

constexpr const char* kRoot = "PreferenceManager";
// Big enough for the XML parser and printf; the platform minimum is not.
constexpr size_t kTimerStack = 128 * 1024;

// The deepest element nesting of an XML text, counted without parsing it: an opening tag
// goes one level down unless it closes itself, a closing tag one up. Declarations,
// comments and processing instructions do not count. Conservative: a confusing text can
// only seem deeper than it is.
int NestingDepth(const std::string& text)
{
    int depth = 0, deepest = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '<' || i + 1 >= text.size())
            continue;
        const char next = text[i + 1];
        if (next == '!' || next == '?')
            continue;
        if (next == '/') {
            depth = depth > 0 ? depth - 1 : 0;
            continue;
        }
        const size_t close = text.find('>', i);
        if (close == std::string::npos)
            break;
        if (text[close - 1] != '/')
            deepest = std::max(deepest, ++depth);
        i = close;
    }
    return deepest;
}

std::string FormatValue(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

}  // namespace

CBasePreferenceManager::CBasePreferenceManager(zt::de::IParameterManager& parameters, zt::CMutex& applyLock)
    : parameters_(parameters), applyLock_(applyLock), timer_(std::make_unique<zt::CTimer>(kTimerStack))
{}

CBasePreferenceManager::~CBasePreferenceManager() { timer_->Stop(); }

bool CBasePreferenceManager::SetFile(const char* path)
{
    std::string framework = path ? path : "";
    if (framework.empty() || framework[0] != ':') {
        std::string documents;
        if (!zt::GetSpecialFolder(zt::kSpecialFolderDocuments, documents))
            return false;
        framework = documents + framework;
    }
    std::string system;
    if (!zt::ConvertPath(zt::EPathDirection::kToSystem, framework.c_str(), system, true))
        return false;
    zt::CAutoLock lock(mutex_);
    systemPath_ = system;
    return true;
}

void CBasePreferenceManager::AddBinding(const char* key, int32_t set, int32_t number)
{
    zt::CAutoLock lock(mutex_);
    bindings_.push_back({key, set, number});
}

void CBasePreferenceManager::LoadAndWatch()
{
    Load();
    timer_->Start(this, kReloadMs, 0);
}

void CBasePreferenceManager::OnTimer(int) { Load(); }

void CBasePreferenceManager::Load()
{
    // Read under our own lock, apply after releasing it: applying changes parameters,
    // whose callbacks take the owner's lock and then save under ours. Taking the two
    // in one order only keeps the timer thread and the UI thread from deadlocking.
    std::vector<std::pair<SBinding, float>> found;
    bool usable = false;
    {
        zt::CAutoLock lock(mutex_);
        // Polling is cheap while nobody writes: an unchanged file is not parsed again.
        const SFileStamp stamp = Stamp();
        if (loadedOnce_ && stamp == lastStamp_)
            return;
        loadedOnce_ = true;
        lastStamp_ = stamp;
        TiXmlDocument document;
        const EReadResult read = Read(document);
        if (read == EReadResult::kDamaged)
            SetAsideDamaged();
        if (read == EReadResult::kRead) {
            usable = true;
            for (const SBinding& binding : bindings_) {
                const TiXmlElement* element = document.RootElement()->FirstChildElement(binding.key.c_str());
                if (element) {
                    const char* text = element->GetText();
                    found.emplace_back(binding, static_cast<float>(std::atof(text ? text : "")));
                }
            }
        }
    }
    if (!usable) {
        ResetToDefaults();
        return;
    }
    zt::CAutoLock apply(applyLock_);
    for (const auto& [binding, value] : found)
        parameters_.SetValue(true, binding.number, value, binding.set);
}

void CBasePreferenceManager::Write(const std::vector<std::pair<std::string, std::string>>& values)
{
    if (systemPath_.empty())
        return;
    TiXmlDocument document;
    const EReadResult read = Read(document);
    if (read == EReadResult::kDamaged)
        SetAsideDamaged();
    if (read != EReadResult::kRead) {
        document = TiXmlDocument();
        document.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
        document.LinkEndChild(new TiXmlElement(kRoot));
    }
    TiXmlElement* root = document.RootElement();
    for (const auto& [key, value] : values) {
        TiXmlElement* element = root->FirstChildElement(key.c_str());
        if (!element)
            element = root->LinkEndChild(new TiXmlElement(key.c_str()))->ToElement();
        TiXmlText text(value.c_str());
        if (TiXmlNode* first = element->FirstChild())
            element->ReplaceChild(first, text);
        else
            element->InsertEndChild(text);
    }
    // Written beside and renamed over, so another instance never reads half a file
    // (which it would take for a broken one and reset everything to defaults).
    const std::string temporary
        = systemPath_ + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(reinterpret_cast<uintptr_t>(this));
    if (document.SaveFile(temporary.c_str()) && std::rename(temporary.c_str(), systemPath_.c_str()) == 0) {
        // Our own write is no news: only another instance's write is loaded again, so a
        // reload can never bring back a value this instance has just replaced.
        lastStamp_ = Stamp();
        loadedOnce_ = true;
    } else {
        std::remove(temporary.c_str());
    }
}

CBasePreferenceManager::EReadResult CBasePreferenceManager::Read(TiXmlDocument& document) const
{
    if (systemPath_.empty())
        return EReadResult::kMissing;
    FILE* file = std::fopen(systemPath_.c_str(), "rb");
    if (!file)
        return EReadResult::kMissing;
    std::string text;
    char buffer[4096];
    size_t got = 0;
    while (text.size() <= kMaxFileBytes && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    std::fclose(file);
    if (text.size() > kMaxFileBytes || NestingDepth(text) > kMaxDepth)
        return EReadResult::kDamaged;
    // TinyXML steps over a UTF-8 character whole, even one the file cuts off, and then
    // reads on past the end; a few more NULs keep that step inside the text.
    text.append(4, '\0');
    document.Parse(text.c_str());
    return !document.Error() && document.RootElement() ? EReadResult::kRead : EReadResult::kDamaged;
}

void CBasePreferenceManager::SetAsideDamaged()
{
    const std::string bad = systemPath_ + ".bad";
    if (std::rename(systemPath_.c_str(), bad.c_str()) != 0)
        return;
    notice_ = "The preference file " + systemPath_ + " could not be read. It was kept as " + bad
        + " and a fresh one with default settings was written.";
    std::fprintf(stderr, "%s\n", notice_.c_str());
}

std::string CBasePreferenceManager::TakeNotice()
{
    zt::CAutoLock lock(mutex_);
    std::string notice;
    notice.swap(notice_);
    return notice;
}

CBasePreferenceManager::SFileStamp CBasePreferenceManager::Stamp() const
{
    struct stat st {};
    if (systemPath_.empty() || ::stat(systemPath_.c_str(), &st) != 0)
        return {};
    return {true, st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_size};
}

void CBasePreferenceManager::Save()
{
    std::vector<std::pair<std::string, std::string>> values;
    zt::CAutoLock lock(mutex_);
    for (const SBinding& binding : bindings_)
        values.emplace_back(binding.key, FormatValue(parameters_.GetValue(binding.number, binding.set)));
    Write(values);
}

void CBasePreferenceManager::SetString(const char* key, const char* value)
{
    zt::CAutoLock lock(mutex_);
    Write({{key, value ? value : ""}});
}

std::string CBasePreferenceManager::GetString(const char* key, const char* defaultValue)
{
    zt::CAutoLock lock(mutex_);
    TiXmlDocument document;
    if (Read(document) != EReadResult::kRead)
        return defaultValue ? defaultValue : "";
    const TiXmlElement* element = document.RootElement()->FirstChildElement(key);
    if (!element)
        return defaultValue ? defaultValue : "";
    const char* text = element->GetText();
    return text ? text : "";
}

void CBasePreferenceManager::ResetToDefaults()
{
    std::vector<SBinding> bindings;
    {
        zt::CAutoLock lock(mutex_);
        bindings = bindings_;
    }
    zt::CAutoLock apply(applyLock_);
    for (const SBinding& binding : bindings) {
        const zt::de::IParameter* parameter = parameters_.GetParameter(binding.number, binding.set);
        parameters_.SetValue(true, binding.number, parameter->GetDefault(), binding.set);
    }
    // Values that were at their defaults already saved nothing: write the whole file
    // once, so a missing or broken one is replaced.
    Save();
}

void CBasePreferenceManager::OnParameterChanged(int32_t set, int32_t number, float)
{
    bool bound = false;
    {
        zt::CAutoLock lock(mutex_);
        for (const SBinding& binding : bindings_)
            bound = bound || (binding.set == set && binding.number == number);
    }
    if (bound)
        Save();
}

}  // namespace zt::ztpi
