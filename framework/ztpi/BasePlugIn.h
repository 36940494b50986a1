// Framework part of a plug-in object: parameters and automation records, the
// parameter-change path, sub-block splitting, the event queue and the smoother.
// Knows nothing of any product or host API.
#pragma once

#include "framework/de/DisplayConverter.h"
#include "framework/de/ParameterInterfaces.h"
#include "framework/ztpi/PlugInInterfaces.h"
#include "framework/ztpi/SetChunk.h"
#include "framework/dspe/BaseDSPEngine.h"
#include "framework/dspe/BaseDezipper.h"
#include "foundation/ChunkFileMemory.h"
#include "foundation/Mutex.h"

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace zt::ztpi {

class CBasePreferenceManager;
class IFileDialogs;

// Receives every stored parameter change; the preference manager binds here.
class IParameterObserver {
public:
    virtual ~IParameterObserver() = default;
    virtual void OnParameterChanged(int32_t set, int32_t number, float value) = 0;
};

class CBasePlugIn : public IPlugIn, public zt::de::IParameterManagerCallback {
public:
    using SAutomationInfo = zt::ztpi::SAutomationInfo;
    static constexpr int32_t kMaxEvents = 1024;
    static constexpr int32_t kMaxChannels = 2;  // per bus: main in, main out, side-chain

    CBasePlugIn(IHost* host, const char* vendor, const char* product, int32_t maxSubBlock);
    ~CBasePlugIn() override;

    // IPlugIn
    void Destroy() override { delete this; }
    // The registered factory's editor; null when none is registered.
    IGUI* CreateGUI() override;
    bool Open() override;
    void Prepare() override {}
    void Resume() override;
    void Suspend() override;
    int32_t GetLatency() override { return 0; }
    int32_t GetNumChannelConfigs() override { return 0; }
    void GetChannelConfigs(int32_t*, int32_t*, int32_t*) override {}
    void SetChannelConfig(int32_t inputs, int32_t outputs, int32_t sidechain) override;
    void SetMaxBlockSize(int32_t frames) override;
    void SetSampleRate(int32_t rate) override { SetEngineRate(rate, 1); }
    int32_t AddEvents(const SEvent* events, int32_t count) override;
    void Process(float** outputs, float** inputs, int32_t frames) override;
    int32_t GetNumParameters() override { return static_cast<int32_t>(automation_.size()); }
    void GetAutomationInfo(int32_t index, SAutomationInfo* info) override;
    float GetParameter(int32_t index) override;
    void SetParameter(int32_t index, float plainValue) override;
    void GetParameterText(int32_t index, float plainValue, char* text) override;
    bool GetParameterFromText(int32_t index, const char* text, float* plainValue) override;
    // Host state: a chunk file with the state sets, the preset snapshot and the
    // preset name. Built afresh on each call.
    int32_t GetChunkSize() override;
    void GetChunk(void* buffer) override;
    // A state that is not a whole, well-formed chunk file changes nothing.
    bool SetChunk(const void* data, int32_t size) override;

    // IParameterManagerCallback
    void OnParameterChanged(int32_t set, int32_t number, float value) override;
    void OnParameterNotify(int32_t set, int32_t number, float value) override;

    // What audio-thread parameter changes left for the UI thread.
    void Idle() override { ServiceDeferred(); }
    int32_t GetNumGroups() override { return static_cast<int32_t>(groups_.size()); }
    void GetGroupName(int32_t group, char* text) override;
    int32_t RescanPresets() override;
    int32_t GetNumPresets() override { return static_cast<int32_t>(presetNames_.size()); }
    bool GetPresetName(int32_t index, char* text) override;
    bool LoadPresetAt(int32_t index) override;

    // Edits made in the plug-in's own editor (UI thread). A gesture (begin .. end) around
    // the changes of one drag lets the host record them as one; each value is stored,
    // applied and, for an automated parameter, reported to the host.
    void BeginEditorEdit(int32_t set, int32_t number);
    void EditorEdit(int32_t set, int32_t number, float plainValue);
    void EndEditorEdit(int32_t set, int32_t number);

    zt::de::IParameterManager* GetParameterManager() const { return parameters_.get(); }
    // Text values of the preference file beside the bound parameters (UI thread); empty
    // or the default when there is no preference file.
    std::string GetPreferenceString(const char* key, const char* defaultValue);
    void SetPreferenceString(const char* key, const char* value);
    // What the user should hear about the preference file (it was damaged and set
    // aside), once; empty when there is nothing to say.
    std::string TakePreferenceNotice();
    zt::dspe::CBaseDSPEngine* GetEngine() const { return engine_.get(); }
    const SAutomationInfo& GetShortInfo(int32_t index) const { return shortList_[static_cast<size_t>(index)]; }
    // Automation index of (set, number), or -1 when it is not automated.
    int32_t GetAutomationIndex(int32_t set, int32_t number) const;
    void SetParameterObserver(IParameterObserver* observer) { observer_ = observer; }
    int32_t GetEngineRate() const { return sampleRate_; }
    bool IsActive() const { return active_; }
    const std::string& GetPresetName() const { return presetName_; }
    void SetPresetName(const std::string& name) { presetName_ = name; }
    bool IsLoading() const { return loading_; }

    // Presets: chunk files of the preset sets, in the preset folder.
    static constexpr uint32_t kPresetFileType = 1;
    static constexpr const char* kPresetExtension = ".preset";
    static constexpr const char* kDefaultPreset = "Default.preset";
    // The program-files folder + vendor + ":" + product + ":Presets:".
    std::string GetPresetFolder() const;
    // Remembers path as the current preset (also when the file turns out unusable)
    // and loads it. A file that is missing or not a whole preset changes nothing.
    bool LoadPreset(const std::string& path);
    // Saves to the current preset, or asks for a file when there is none yet.
    bool SavePreset();
    bool SavePresetAs();
    bool LoadPresetWithDialog();
    // Makes path (a framework path) the current preset and saves it there.
    bool SavePresetTo(const std::string& path);
    const std::string& GetPresetPath() const { return presetPath_; }
    // The preset files found in the preset folder when the plug-in opened.
    const std::vector<std::string>& GetPresetNames() const { return presetNames_; }
    void ScanPresets();
    void SetFileDialogs(IFileDialogs* dialogs) { dialogs_ = dialogs; }

    static constexpr uint32_t kStateFileType = 1;
    static constexpr uint32_t kSnapshotChunk = 0x62636B67;    // "gkcb" on disk
    static constexpr uint32_t kExtraChunk = 0x78747261;       // "artx"
    static constexpr uint32_t kPresetNameChunk = 0x70736E6D;  // "mnsp"

protected:
    // Product hooks.
    virtual void DefineParameters() = 0;
    virtual void DefineAutomation() = 0;
    virtual void ApplyParameter(int32_t set, int32_t number, float value) = 0;
    // One sub-block (frames <= the maximum sub-block) at the host rate, after its events
    // were handled. The default runs the engine on it directly.
    virtual void ProcessSubBlock(float** outputs, float** inputs, int32_t frames);
    // Applies a parameter change on the audio thread: the stored value and whatever
    // the engine takes without waiting or allocating. Returns false when the rest
    // (a reconfiguration, other parameters, telling the host) has to follow on the
    // UI thread; that happens at the plug-in's next UI-thread call.
    virtual bool ApplyRealTime(int32_t set, int32_t number, float value);
    // One engine call at the engine rate, then the smoother advances by the time it took.
    void RunEngine(float** outputs, float** inputs, int32_t frames);
    // The engine rate and factor came into force (on the audio thread while active).
    virtual void OnEngineRate(int32_t /*rate*/, int32_t /*factor*/) {}

    // The engine runs at rate; factor is the ratio of engine rate to host rate. While
    // audio runs the change is handed to the audio thread and takes effect at the next
    // block boundary; then every parameter is applied again for the new rate.
    void SetEngineRate(int32_t rate, int32_t factor);
    // Audio thread, at a block boundary: the engine runs at rate from this sub-block on,
    // without waiting for the UI thread. Whatever must follow there (telling the host of
    // a new latency) is the caller's; its later SetEngineRate to the same rate is free.
    void SwitchEngineRateNow(int32_t rate, int32_t factor);
    // Applies and empties the event queue without processing audio.
    void ApplyQueuedEvents();
    // Engine rate ratio in force on the audio thread.
    int32_t ActiveFactor() const { return activeFactor_; }

    // Automation registration, in automation-index order. base is the log curve base.
    void AddAutomationParameter(int32_t set, int32_t number, const char* name, int32_t decimals, const char* unit);
    void AddAutomationList(int32_t set, int32_t number, const char* name, const char* texts, const char* unit);
    void AddAutomationTrueLog(int32_t set, int32_t number, const char* name, int32_t decimals, const char* unit);
    void AddAutomationLog(int32_t set, int32_t number, const unsigned* base, const char* name, int32_t decimals,
                          const char* unit);
    // Short-list twins: short value texts, no units.
    void AddShortParameter(int32_t set, int32_t number, const char* name, int32_t decimals);
    void AddShortList(int32_t set, int32_t number, const char* name, const char* texts);
    void AddShortTrueLog(int32_t set, int32_t number, const char* name, int32_t decimals);
    void AddShortLog(int32_t set, int32_t number, const unsigned* base, const char* name, int32_t decimals);
    // Writes the preset sets into a chunk file (set-chunk form).
    virtual bool WritePresetSets(zt::IChunkFile& file);
    // A whole preset: the set chunks, then product extra data when there is any.
    bool WritePreset(zt::IChunkFile& file);
    // Reads and checks every set chunk of a preset file; false when one is damaged.
    bool ReadPresetSets(const std::string& path, std::vector<std::pair<int32_t, SSetValues>>& sets,
                        std::vector<uint8_t>* extra);
    // Product data carried in the state; none by default.
    virtual std::vector<uint8_t> GetExtraData() { return {}; }
    virtual void SetExtraData(const uint8_t*, uint32_t) {}
    // Which sets the host state and presets carry.
    void SetStateSets(std::vector<int32_t> sets) { stateSets_ = std::move(sets); }
    void SetPresetSets(std::vector<int32_t> sets) { presetSets_ = std::move(sets); }
    // The snapshot of the preset sets, taken when the parameters are defined.
    bool TakeSnapshot();

    // Binds parameters to keys of a preference file (relative to the documents folder,
    // whose first folder is created), loads it and keeps following it.
    void BindPreferences(const char* file, const std::vector<std::pair<const char*, int32_t>>& keys, int32_t set);
    CBasePreferenceManager* GetPreferences() const { return preferences_.get(); }
    // Stops the preference file's reload timer. The product's destructor calls it
    // first: the timer applies values through the product's overrides, which must
    // not run once the product part is gone.
    void StopPreferences();

    // Marks the automation record of (set, number) as the plug-in's bypass switch.
    void MarkBypass(int32_t set, int32_t number);
    // Names the parameter groups, then puts the record of (set, number) into one.
    void SetGroups(std::vector<std::string> names) { groups_ = std::move(names); }
    void AssignGroup(int32_t set, int32_t number, int32_t group);
    // Attaches a display converter to the last record of each list.
    void SetDisplayConverter(const zt::de::IDisplayConverter* longList, const zt::de::IDisplayConverter* shortList);

    IHost* host_;
    std::string vendor_;
    std::string product_;
    zt::CMutex lock_;
    const int32_t maxSubBlock_;
    int32_t sampleRate_ = 44100;
    int32_t blockSize_ = 0;
    int32_t inputs_ = 2, outputs_ = 2, sidechains_ = 0;
    std::unique_ptr<zt::dspe::CBaseDSPEngine> engine_;
    zt::dspe::CBaseDezipper dezipper_;
    std::unique_ptr<zt::de::IParameterManager> parameters_;
    std::unique_ptr<CBasePreferenceManager> preferences_;  // after parameters_: stops first
    bool active_ = false;

private:
    SAutomationInfo MakeRecord(int32_t set, int32_t number, const char* name, int32_t kind, int32_t converter,
                               const unsigned* base, int32_t decimals, const char* texts, const char* unit) const;
    void AddRecord(std::vector<SAutomationInfo>& list, const SAutomationInfo& record);
    // Takes a posted engine rate into force (audio thread, or any thread while inactive).
    void ApplyPendingRate();
    void ApplyRate(int64_t packed);

    // The whole state image, or empty when it cannot be built.
    std::vector<uint8_t> BuildState();

    std::vector<int32_t> stateSets_;
    std::vector<int32_t> presetSets_;
    std::unique_ptr<zt::CChunkFileMemory> snapshot_;
    std::string presetName_;
    std::string presetPath_;
    std::vector<std::string> presetNames_;  // file names, sorted
    std::vector<std::string> groups_;
    IFileDialogs* dialogs_ = nullptr;
    bool loading_ = false;

    std::vector<SAutomationInfo> automation_;
    std::vector<SAutomationInfo> shortList_;
    std::vector<std::vector<int32_t>> automationIndex_;  // [set][number] -> index or -1
    IParameterObserver* observer_ = nullptr;

    // Host changes that arrived on the audio thread and wait for their UI-thread part:
    // one bit per automation index, set by the audio thread, taken by the UI thread.
    // Sized in Open for every automation record the product defined.
    void DispatchEvents(SEvent* events, int32_t count);
    void ApplyFromAudioThread(int32_t index, float plain);
    void ServiceDeferred();
    std::unique_ptr<std::atomic<uint64_t>[]> deferred_;
    size_t deferredWords_ = 0;

    // Posted (rate << 8 | factor), 0 when nothing is pending.
    std::atomic<int64_t> pendingRate_{0};
    int32_t activeRate_ = 44100;
    int32_t activeFactor_ = 1;

    std::array<SEvent, kMaxEvents> events_{};
    int32_t eventCount_ = 0;

    // Sub-block scratch, sized once: main inputs then side-chain, and the outputs.
    std::vector<float> scratch_;
    float* scratchIn_[2 * kMaxChannels] = {};
    float* scratchOut_[kMaxChannels] = {};
};

}  // namespace zt::ztpi
