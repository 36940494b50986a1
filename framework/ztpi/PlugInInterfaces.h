// The framework's plug-in interface layer. The host adapter implements IHost and
// reaches the product only through IModule, IPlugIn and IGUI, so that no product
// class sees a host API.
#pragma once

#include <cstdint>

namespace zt::de {
class IDisplayConverter;
}

namespace zt::ztpi {

class IGUI;
class IPlugIn;

// Size of the text buffers the plug-in fills (names, units, value texts), terminator included.
constexpr int32_t kTextSize = 128;

// What the plug-in may ask of its host.
class IHost {
public:
    virtual ~IHost() = default;
    virtual void BeginEdit(int32_t index) = 0;
    // Reports the current value of automation entry index to the host as one complete edit.
    virtual void ParameterChanged(int32_t index) = 0;
    virtual void EndEdit(int32_t index) = 0;
    virtual void GetHostName(char* text) = 0;
    virtual void GetHostVendor(char* text) = 0;
    // The plug-in's latency changed; the host should query it again.
    virtual void LatencyChanged() = 0;
};

class IModule {
public:
    virtual ~IModule() = default;
    virtual void Destroy() = 0;
    virtual int32_t GetCount() = 0;
    virtual IPlugIn* CreatePlugIn(int32_t index) = 0;
};

// One automated parameter as the host sees it.
struct SAutomationInfo {
    enum EKind : int32_t { kContinuous = 0, kList = 1 };
    char name[256] = {};
    char unit[256] = {};
    int32_t kind = kContinuous;
    float minimum = 0.0f;
    float maximum = 1.0f;
    float defaultValue = 0.0f;
    int32_t displayDecimals = 0;
    char valueTexts[256] = {};  // "@"-separated; entry k names plain value k
    int32_t converterType = 0;  // zt::de::IConverter::EKind
    const unsigned* curveBase = nullptr;
    int32_t set = 0;
    int32_t number = 0;
    const zt::de::IDisplayConverter* displayConverter = nullptr;
    bool isBypass = false;  // the switch a host's own bypass button should drive
    int32_t group = -1;     // the parameter group a host may show it in, -1 for none
};

// Timed entry in the plug-in's event queue; offset counts frames from the block start.
struct SEvent {
    // A host parameter change: data[0] the automation index, data[1] the bits of the
    // plain value (a float). It takes effect at the start of the sub-block holding offset.
    static constexpr int32_t kParameterChange = 1;
    int32_t offset = 0;
    int32_t type = 0;
    int32_t data[4] = {};
};

class IPlugIn {
public:
    virtual ~IPlugIn() = default;
    virtual void Destroy() = 0;
    virtual IGUI* CreateGUI() = 0;
    virtual bool Open() = 0;
    virtual void Prepare() = 0;
    virtual void Resume() = 0;
    virtual void Suspend() = 0;
    virtual int32_t GetLatency() = 0;
    virtual int32_t GetNumChannelConfigs() = 0;
    virtual void GetChannelConfigs(int32_t* inputs, int32_t* outputs, int32_t* sidechains) = 0;
    virtual void SetChannelConfig(int32_t inputs, int32_t outputs, int32_t sidechain) = 0;
    virtual void SetMaxBlockSize(int32_t frames) = 0;
    virtual void SetSampleRate(int32_t rate) = 0;
    // Appends timed entries to the event queue (at most its capacity); returns the new count.
    virtual int32_t AddEvents(const SEvent* events, int32_t count) = 0;
    // Outputs are written in place; inputs list the main channels, then the side-chain.
    virtual void Process(float** outputs, float** inputs, int32_t frames) = 0;
    virtual int32_t GetNumParameters() = 0;
    virtual void GetAutomationInfo(int32_t index, SAutomationInfo* info) = 0;
    virtual float GetParameter(int32_t index) = 0;
    virtual void SetParameter(int32_t index, float plainValue) = 0;
    // text holds kTextSize bytes.
    virtual void GetParameterText(int32_t index, float plainValue, char* text) = 0;
    // The plain value a typed text means: what GetParameterText prints, a list entry by
    // its text or number, a number with or without its unit. False (and plainValue
    // untouched) when the text means no value of the parameter's range.
    virtual bool GetParameterFromText(int32_t index, const char* text, float* plainValue) = 0;
    virtual int32_t GetChunkSize() = 0;
    virtual void GetChunk(void* buffer) = 0;
    virtual bool SetChunk(const void* data, int32_t size) = 0;
    // Runs work that the audio thread left for the UI thread; the host adapter calls it
    // from its UI-thread entry points.
    virtual void Idle() = 0;

    // Parameter groups (sections) a host may show the parameters in; text holds kTextSize.
    virtual int32_t GetNumGroups() = 0;
    virtual void GetGroupName(int32_t group, char* text) = 0;

    // The preset files in the plug-in's preset folder, as a host's preset menu lists
    // them (UI thread). RescanPresets reads the folder again and returns the count.
    virtual int32_t RescanPresets() = 0;
    virtual int32_t GetNumPresets() = 0;
    // The name without its extension; false for an index out of range.
    virtual bool GetPresetName(int32_t index, char* text) = 0;
    // Loads preset index as loading its file does, telling the host of every change.
    // False, and every setting as it was, for an index out of range or a file that is
    // missing or damaged.
    virtual bool LoadPresetAt(int32_t index) = 0;
};

// The plug-in's editor as a host adapter sees it. Everything runs on the host's UI
// thread; the GUI owns no thread and no loop: the adapter watches the descriptor and
// drives the tick from the host's run loop while the GUI is open.
class IGUI {
public:
    virtual ~IGUI() = default;
    // Closes the GUI if it is open and deletes it.
    virtual void Destroy() = 0;
    // The editor's size in pixels; known before Open.
    virtual void GetSize(int32_t* width, int32_t* height) = 0;
    // Opens the editor inside parentWindow (an X11 window id on Linux). False, with
    // nothing left behind, when the parent is unusable or the GUI is already open.
    virtual bool Open(void* parentWindow) = 0;
    // Draws the whole editor again at the next paint.
    virtual void Redraw() = 0;
    // The periodic tick (every kTickIntervalMs while open): meters, analyser, values
    // the host or the audio thread changed.
    virtual void Idle() = 0;
    // Closes the editor and releases everything Open took; a closed GUI ignores it.
    virtual void Close() = 0;
    // While open: the descriptor the host's run loop watches for the editor's input,
    // -1 when closed or when there is none.
    virtual int GetEventFileDescriptor() = 0;
    // The descriptor is readable: handles what arrived.
    virtual void OnEventsReady() = 0;

    static constexpr uint32_t kTickIntervalMs = 50;
};

// Makes the editor of a plug-in object. The product's bundle registers one at load
// time, so that the plug-in layer never depends on the GUI layers above it.
using GUIFactory = IGUI* (*)(IPlugIn& plugIn);
void SetGUIFactory(GUIFactory factory);
GUIFactory GetGUIFactory();

}  // namespace zt::ztpi
