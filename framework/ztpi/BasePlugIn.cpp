#include "framework/ztpi/BasePlugIn.h"

#include "framework/ztpi/ParameterText.h"

#include "framework/de/ParameterManager.h"
#include "framework/ztpi/BasePreferenceManager.h"
#include "foundation/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cctype>
#include <strings.h>
#include <cstring>

namespace zt::ztpi {

namespace {
void CopyField(char* destination, const char* source) { zt::de::CopyText(source ? source : "", destination, 256); }
}  // namespace

CBasePlugIn::CBasePlugIn(IHost* host, const char* vendor, const char* product, int32_t maxSubBlock)
    : host_(host), vendor_(vendor), product_(product), maxSubBlock_(maxSubBlock),
      scratch_(static_cast<size_t>(3 * kMaxChannels * maxSubBlock), 0.0f)
{
    for (int32_t c = 0; c < 2 * kMaxChannels; ++c)
        scratchIn_[c] = scratch_.data() + c * maxSubBlock;
    for (int32_t c = 0; c < kMaxChannels; ++c)
        scratchOut_[c] = scratch_.data() + (2 * kMaxChannels + c) * maxSubBlock;
}

CBasePlugIn::~CBasePlugIn() { StopPreferences(); }

IGUI* CBasePlugIn::CreateGUI()
{
    GUIFactory factory = GetGUIFactory();
    return factory ? factory(*this) : nullptr;
}

void CBasePlugIn::StopPreferences()
{
    {
        // The reload timer's thread reads the observer under this lock while it applies a
        // changed file; it may be doing so right now.
        zt::CAutoLock lock(lock_);
        SetParameterObserver(nullptr);
    }
    preferences_.reset();  // joins the reload timer's thread
}

void CBasePlugIn::BindPreferences(const char* file, const std::vector<std::pair<const char*, int32_t>>& keys,
                                  int32_t set)
{
    const std::string path = file;
    std::string documents;
    const size_t folderEnd = path.find(':');
    if (folderEnd != std::string::npos && zt::GetSpecialFolder(zt::kSpecialFolderDocuments, documents))
        zt::CreateFolder((documents + path.substr(0, folderEnd + 1)).c_str());

    preferences_ = std::make_unique<CBasePreferenceManager>(*parameters_, lock_);
    preferences_->SetFile(file);
    for (const auto& [key, number] : keys)
        preferences_->AddBinding(key, set, number);
    SetParameterObserver(preferences_.get());
    preferences_->LoadAndWatch();
}

bool CBasePlugIn::Open()
{
    zt::CAutoLock lock(lock_);
    parameters_ = std::make_unique<zt::de::CParameterManager>();
    parameters_->SetCallback(this);
    DefineParameters();
    automationIndex_.assign(static_cast<size_t>(parameters_->GetNumberOfSets()), {});
    for (int32_t set = 0; set < parameters_->GetNumberOfSets(); ++set)
        automationIndex_[static_cast<size_t>(set)].assign(static_cast<size_t>(parameters_->GetNumParameters(set)), -1);
    TakeSnapshot();
    DefineAutomation();
    automation_.shrink_to_fit();  // kept for the plug-in's life: no growth room
    deferredWords_ = (automation_.size() + 63) / 64;
    deferred_ = std::make_unique<std::atomic<uint64_t>[]>(deferredWords_);
    ScanPresets();
    const std::string folder = GetPresetFolder();
    if (!folder.empty())
        LoadPreset(folder + kDefaultPreset);  // a missing file leaves the defaults
    return true;
}

void CBasePlugIn::Resume()
{
    ApplyPendingRate();
    engine_->Reset();
    dezipper_.SnapAll();
    active_ = true;
}

void CBasePlugIn::Suspend()
{
    active_ = false;
    ApplyPendingRate();
    engine_->Suspend(0);
}

void CBasePlugIn::SetChannelConfig(int32_t inputs, int32_t outputs, int32_t sidechain)
{
    inputs_ = std::clamp(inputs, 0, kMaxChannels);
    outputs_ = std::clamp(outputs, 0, kMaxChannels);
    sidechains_ = std::clamp(sidechain, 0, kMaxChannels);
}

void CBasePlugIn::SetMaxBlockSize(int32_t frames)
{
    // The scratch buffers are sized for the maximum sub-block once, at construction,
    // so nothing is reallocated here.
    zt::CAutoLock lock(lock_);
    blockSize_ = std::clamp(frames, 0, maxSubBlock_);
    engine_->SetBlockSize(blockSize_);
}

void CBasePlugIn::SetEngineRate(int32_t rate, int32_t factor)
{
    zt::CAutoLock lock(lock_);
    sampleRate_ = rate;
    const int64_t packed = (int64_t(rate) << 8) | factor;
    if (active_) {
        pendingRate_.store(packed, std::memory_order_release);
    } else {
        pendingRate_.store(0, std::memory_order_relaxed);
        ApplyRate(packed);
    }
    // Every value again, so that whatever depends on the rate is recomputed.
    if (parameters_)
        parameters_->ResendAll();
}

void CBasePlugIn::ApplyPendingRate()
{
    const int64_t packed = pendingRate_.exchange(0, std::memory_order_acquire);
    // The audio thread may have switched to this rate itself already.
    if (packed != 0 && packed != ((int64_t(activeRate_) << 8) | activeFactor_))
        ApplyRate(packed);
}

void CBasePlugIn::SwitchEngineRateNow(int32_t rate, int32_t factor)
{
    const int64_t packed = (int64_t(rate) << 8) | factor;
    if (packed != ((int64_t(activeRate_) << 8) | activeFactor_))
        ApplyRate(packed);
}

void CBasePlugIn::ApplyRate(int64_t packed)
{
    activeRate_ = static_cast<int32_t>(packed >> 8);
    activeFactor_ = static_cast<int32_t>(packed & 0xFF);
    engine_->SetSampleRate(activeRate_);
    OnEngineRate(activeRate_, activeFactor_);
}

int32_t CBasePlugIn::AddEvents(const SEvent* events, int32_t count)
{
    // Kept in offset order so that a sub-block's events are one contiguous run.
    for (int32_t i = 0; i < count && eventCount_ < kMaxEvents; ++i) {
        int32_t at = eventCount_++;
        while (at > 0 && events_[static_cast<size_t>(at - 1)].offset > events[i].offset) {
            events_[static_cast<size_t>(at)] = events_[static_cast<size_t>(at - 1)];
            --at;
        }
        events_[static_cast<size_t>(at)] = events[i];
    }
    return eventCount_;
}

void CBasePlugIn::ProcessSubBlock(float** outputs, float** inputs, int32_t frames)
{
    RunEngine(outputs, inputs, frames);
}

void CBasePlugIn::ApplyQueuedEvents()
{
    DispatchEvents(events_.data(), eventCount_);
    eventCount_ = 0;
}

void CBasePlugIn::DispatchEvents(SEvent* events, int32_t count)
{
    // Parameter changes are the only events there are; anything else is ignored.
    for (int32_t i = 0; i < count; ++i) {
        if (events[i].type != SEvent::kParameterChange)
            continue;
        float plain;
        std::memcpy(&plain, &events[i].data[1], sizeof plain);
        ApplyFromAudioThread(events[i].data[0], plain);
    }
}

void CBasePlugIn::ApplyFromAudioThread(int32_t index, float plain)
{
    if (index < 0 || index >= GetNumParameters() || std::isnan(plain))
        return;
    const SAutomationInfo& info = automation_[static_cast<size_t>(index)];
    if (info.kind == SAutomationInfo::kList)
        plain = static_cast<float>(static_cast<int64_t>(std::clamp(plain, info.minimum, info.maximum) + 0.5f));
    zt::de::IParameter* parameter = parameters_->GetParameter(info.number, info.set);
    if (parameter->GetValue() == plain)
        return;
    parameter->SetValue(plain, true);
    if (!ApplyRealTime(info.set, info.number, parameter->GetValue())
        && static_cast<size_t>(index / 64) < deferredWords_)
        deferred_[index / 64].fetch_or(uint64_t(1) << (index % 64), std::memory_order_release);
}

bool CBasePlugIn::ApplyRealTime(int32_t, int32_t, float) { return false; }

void CBasePlugIn::ServiceDeferred()
{
    for (size_t word = 0; word < deferredWords_; ++word) {
        uint64_t bits = deferred_[word].exchange(0, std::memory_order_acquire);
        for (int32_t bit = 0; bits != 0; ++bit, bits >>= 1) {
            if (!(bits & 1u))
                continue;
            const SAutomationInfo& info = automation_[word * 64 + static_cast<size_t>(bit)];
            // The value is stored already; run the whole change path for it.
            OnParameterChanged(info.set, info.number, parameters_->GetValue(info.number, info.set));
        }
    }
}

void CBasePlugIn::RunEngine(float** outputs, float** inputs, int32_t frames)
{
    engine_->Process(outputs, inputs, frames);
    // n * 1000 / rate in real arithmetic: integer milliseconds would stall short chunks.
    if (activeRate_ > 0)
        dezipper_.Tick(static_cast<float>(double(frames) * 1000.0 / activeRate_));
}

void CBasePlugIn::Process(float** outputs, float** inputs, int32_t frames)
{
    ApplyPendingRate();
    if (frames <= 0 || !outputs || !inputs) {
        ApplyQueuedEvents();
        return;
    }
    if (frames <= maxSubBlock_) {
        DispatchEvents(events_.data(), eventCount_);
        ProcessSubBlock(outputs, inputs, frames);
        eventCount_ = 0;
        return;
    }

    const int32_t inputChannels = inputs_ + sidechains_;
    int32_t firstEvent = 0;
    for (int32_t start = 0; start < frames; start += maxSubBlock_) {
        const int32_t n = std::min(maxSubBlock_, frames - start);
        for (int32_t c = 0; c < inputChannels; ++c)
            std::memcpy(scratchIn_[c], inputs[c] + start, sizeof(float) * static_cast<size_t>(n));

        // This span's events, with offsets made relative to it, take effect at its start.
        int32_t lastEvent = firstEvent;
        while (lastEvent < eventCount_ && events_[static_cast<size_t>(lastEvent)].offset < start + n)
            events_[static_cast<size_t>(lastEvent++)].offset -= start;
        DispatchEvents(events_.data() + firstEvent, lastEvent - firstEvent);
        firstEvent = lastEvent;
        ProcessSubBlock(scratchOut_, scratchIn_, n);

        for (int32_t c = 0; c < outputs_; ++c)
            std::memcpy(outputs[c] + start, scratchOut_[c], sizeof(float) * static_cast<size_t>(n));
    }
    eventCount_ = 0;
}

// --- automation records -----------------------------------------------------

SAutomationInfo CBasePlugIn::MakeRecord(int32_t set, int32_t number, const char* name, int32_t kind, int32_t converter,
                                        const unsigned* base, int32_t decimals, const char* texts,
                                        const char* unit) const
{
    SAutomationInfo info;
    CopyField(info.name, name);
    CopyField(info.unit, unit);
    info.kind = kind;
    const zt::de::IParameter* parameter = parameters_->GetParameter(number, set);
    info.minimum = parameter->GetMinimum();
    info.maximum = parameter->GetMaximum();
    info.defaultValue = parameter->GetDefault();
    info.displayDecimals = decimals;
    CopyField(info.valueTexts, texts);
    info.converterType = converter;
    info.curveBase = base;
    info.set = set;
    info.number = number;
    return info;
}

void CBasePlugIn::AddRecord(std::vector<SAutomationInfo>& list, const SAutomationInfo& record)
{
    if (&list == &automation_)
        automationIndex_[static_cast<size_t>(record.set)][static_cast<size_t>(record.number)]
            = static_cast<int32_t>(automation_.size());
    list.push_back(record);
}

void CBasePlugIn::AddAutomationParameter(int32_t set, int32_t number, const char* name, int32_t decimals,
                                         const char* unit)
{
    AddRecord(automation_,
              MakeRecord(set, number, name, SAutomationInfo::kContinuous, zt::de::IConverter::kLinear, nullptr,
                         decimals, "", unit));
}

void CBasePlugIn::AddAutomationList(int32_t set, int32_t number, const char* name, const char* texts, const char* unit)
{
    AddRecord(
        automation_,
        MakeRecord(set, number, name, SAutomationInfo::kList, zt::de::IConverter::kLinear, nullptr, 0, texts, unit));
}

void CBasePlugIn::AddAutomationTrueLog(int32_t set, int32_t number, const char* name, int32_t decimals,
                                       const char* unit)
{
    AddRecord(automation_,
              MakeRecord(set, number, name, SAutomationInfo::kContinuous, zt::de::IConverter::kTrueLog, nullptr,
                         decimals, "", unit));
}

void CBasePlugIn::AddAutomationLog(int32_t set, int32_t number, const unsigned* base, const char* name,
                                   int32_t decimals, const char* unit)
{
    AddRecord(automation_,
              MakeRecord(set, number, name, SAutomationInfo::kContinuous, zt::de::IConverter::kLog, base, decimals, "",
                         unit));
}

void CBasePlugIn::AddShortParameter(int32_t set, int32_t number, const char* name, int32_t decimals)
{
    AddRecord(shortList_,
              MakeRecord(set, number, name, SAutomationInfo::kContinuous, zt::de::IConverter::kLinear, nullptr,
                         decimals, "", ""));
}

void CBasePlugIn::AddShortList(int32_t set, int32_t number, const char* name, const char* texts)
{
    AddRecord(
        shortList_,
        MakeRecord(set, number, name, SAutomationInfo::kList, zt::de::IConverter::kLinear, nullptr, 0, texts, ""));
}

void CBasePlugIn::AddShortTrueLog(int32_t set, int32_t number, const char* name, int32_t decimals)
{
    AddRecord(shortList_,
              MakeRecord(set, number, name, SAutomationInfo::kContinuous, zt::de::IConverter::kTrueLog, nullptr,
                         decimals, "", ""));
}

void CBasePlugIn::AddShortLog(int32_t set, int32_t number, const unsigned* base, const char* name, int32_t decimals)
{
    AddRecord(
        shortList_,
        MakeRecord(set, number, name, SAutomationInfo::kContinuous, zt::de::IConverter::kLog, base, decimals, "", ""));
}

void CBasePlugIn::SetDisplayConverter(const zt::de::IDisplayConverter* longList,
                                      const zt::de::IDisplayConverter* shortList)
{
    if (!automation_.empty())
        automation_.back().displayConverter = longList;
    if (!shortList_.empty())
        shortList_.back().displayConverter = shortList;
}

void CBasePlugIn::MarkBypass(int32_t set, int32_t number)
{
    const int32_t index = GetAutomationIndex(set, number);
    if (index >= 0)
        automation_[static_cast<size_t>(index)].isBypass = true;
}

void CBasePlugIn::AssignGroup(int32_t set, int32_t number, int32_t group)
{
    const int32_t index = GetAutomationIndex(set, number);
    if (index >= 0 && group >= 0 && group < GetNumGroups())
        automation_[static_cast<size_t>(index)].group = group;
}

void CBasePlugIn::GetGroupName(int32_t group, char* text)
{
    zt::de::CopyText(group >= 0 && group < GetNumGroups() ? groups_[static_cast<size_t>(group)] : "", text, kTextSize);
}

int32_t CBasePlugIn::GetAutomationIndex(int32_t set, int32_t number) const
{
    if (set < 0 || static_cast<size_t>(set) >= automationIndex_.size())
        return -1;
    const auto& map = automationIndex_[static_cast<size_t>(set)];
    if (number < 0 || static_cast<size_t>(number) >= map.size())
        return -1;
    return map[static_cast<size_t>(number)];
}

void CBasePlugIn::GetAutomationInfo(int32_t index, SAutomationInfo* info)
{
    *info = automation_[static_cast<size_t>(index)];
}

float CBasePlugIn::GetParameter(int32_t index)
{
    ServiceDeferred();
    const SAutomationInfo& info = automation_[static_cast<size_t>(index)];
    return parameters_->GetValue(info.number, info.set);
}

void CBasePlugIn::SetParameter(int32_t index, float plainValue)
{
    ServiceDeferred();
    if (std::isnan(plainValue))
        return;
    const SAutomationInfo& info = automation_[static_cast<size_t>(index)];
    if (info.kind == SAutomationInfo::kList) {
        // A list takes whole entries: round to the nearest (clamped first, so that an
        // infinite value cannot overflow the integer conversion).
        const float v = std::clamp(plainValue, info.minimum, info.maximum);
        plainValue = static_cast<float>(static_cast<int64_t>(v + 0.5f));
    }
    parameters_->SetValue(false, info.number, plainValue, info.set);
}

void CBasePlugIn::GetParameterText(int32_t index, float plainValue, char* text)
{
    const SAutomationInfo& info = automation_[static_cast<size_t>(index)];
    if (info.kind == SAutomationInfo::kList && info.valueTexts[0] != '\0') {
        // Entry k of the "@"-separated texts.
        const float clamped
            = std::isnan(plainValue) ? info.minimum : std::clamp(plainValue, info.minimum, info.maximum);
        int64_t k = static_cast<int64_t>(clamped + 0.5f);
        const char* entry = info.valueTexts;
        while (k-- > 0 && (entry = std::strchr(entry, '@')) != nullptr)
            ++entry;
        if (!entry)
            entry = "";
        const char* end = std::strchr(entry, '@');
        const size_t length = std::min<size_t>(end ? size_t(end - entry) : std::strlen(entry), kTextSize - 1);
        std::memcpy(text, entry, length);
        text[length] = '\0';
        return;
    }
    if (info.displayConverter) {
        info.displayConverter->Format(plainValue, text, kTextSize);
        return;
    }
    zt::de::CDisplayConverter(info.displayDecimals, 32).Format(plainValue, text, kTextSize);
}

bool CBasePlugIn::GetParameterFromText(int32_t index, const char* text, float* plainValue)
{
    if (index < 0 || index >= GetNumParameters() || !text || !plainValue)
        return false;
    return PlainFromText(automation_[static_cast<size_t>(index)], text, *plainValue);
}

// --- parameter-change path --------------------------------------------------

void CBasePlugIn::OnParameterChanged(int32_t set, int32_t number, float value)
{
    zt::CAutoLock lock(lock_);
    if (observer_)
        observer_->OnParameterChanged(set, number, value);
    ApplyParameter(set, number, value);
}

std::string CBasePlugIn::GetPreferenceString(const char* key, const char* defaultValue)
{
    return preferences_ ? preferences_->GetString(key, defaultValue) : std::string(defaultValue ? defaultValue : "");
}

void CBasePlugIn::SetPreferenceString(const char* key, const char* value)
{
    if (preferences_)
        preferences_->SetString(key, value);
}

std::string CBasePlugIn::TakePreferenceNotice() { return preferences_ ? preferences_->TakeNotice() : std::string(); }

void CBasePlugIn::BeginEditorEdit(int32_t set, int32_t number)
{
    const int32_t index = GetAutomationIndex(set, number);
    if (index >= 0 && host_)
        host_->BeginEdit(index);
}

void CBasePlugIn::EditorEdit(int32_t set, int32_t number, float plainValue)
{
    ServiceDeferred();
    if (std::isnan(plainValue) || set < 0 || set >= parameters_->GetNumberOfSets() || number < 0
        || number >= parameters_->GetNumParameters(set))
        return;
    parameters_->SetValue(true, number, plainValue, set);
}

void CBasePlugIn::EndEditorEdit(int32_t set, int32_t number)
{
    const int32_t index = GetAutomationIndex(set, number);
    if (index >= 0 && host_)
        host_->EndEdit(index);
}

void CBasePlugIn::OnParameterNotify(int32_t set, int32_t number, float)
{
    const int32_t index = GetAutomationIndex(set, number);
    if (index >= 0 && host_)
        host_->ParameterChanged(index);
}

}  // namespace zt::ztpi
