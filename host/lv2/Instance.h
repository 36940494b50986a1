// One LV2 plug-in instance: owns the module and the framework plug-in object and maps
// the LV2 calls onto it. Control ports are read at the start of each run and reach the
// plug-in as host automation does; the host state is the plug-in's chunk, unchanged.
#pragma once

#include "host/lv2/ProductInfo.h"

#include "framework/ztpi/PlugInInterfaces.h"

#include "lv2/core/lv2.h"
#include "lv2/state/state.h"
#include "lv2/urid/urid.h"
#include "lv2/worker/worker.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace zt::lv2 {

class CInstance final : public zt::ztpi::IHost {
public:
    // Sample rates an instance accepts, as the VST 3 adapter does.
    static constexpr double kMinSampleRate = 8000.0, kMaxSampleRate = 384000.0;
    // Frames of silence that stand in for unconnected inputs when the host gives no
    // maximum block length.
    static constexpr int32_t kDefaultMaxBlock = 8192;

    // Null when the rate is outside the accepted range or the product cannot be made.
    static CInstance* Create(const SProductInfo& product, double rate, const LV2_Feature* const* features);
    ~CInstance() override;

    void ConnectPort(uint32_t port, void* data);
    void Activate();
    void Run(uint32_t frames);
    void Deactivate();

    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);
    // The worker runs what the audio thread left for a non-real-time thread.
    LV2_Worker_Status Work();

    // zt::ztpi::IHost: control ports belong to the host and the latency port is written
    // on every run. An edit the plug-in reports (its editor, a preset it loads) is only
    // marked here: the UI, on its own thread, writes it to the port (TakeEdit).
    void BeginEdit(int32_t) override {}
    void ParameterChanged(int32_t index) override;
    void EndEdit(int32_t) override {}
    void GetHostName(char* text) override;
    void GetHostVendor(char* text) override;
    void LatencyChanged() override {}

    zt::ztpi::IPlugIn* GetPlugIn() const { return plugIn_; }

    // True once for each automation entry the plug-in reported as edited since the last
    // call; PendingEdit looks without taking. Any thread.
    bool TakeEdit(int32_t index);
    bool PendingEdit(int32_t index) const;

private:
    CInstance() = default;
    bool Init(const SProductInfo& product, double rate, const LV2_Feature* const* features);
    // The value a control port asks for, clamped to the parameter's range; false when the
    // port is unconnected, unchanged since it was last read, or NaN.
    bool ReadControl(size_t index, float& value);

    struct SRange {
        float minimum, maximum;
    };

    zt::ztpi::IModule* module_ = nullptr;
    zt::ztpi::IPlugIn* plugIn_ = nullptr;
    LV2_URID stateKey_ = 0;
    LV2_URID chunkType_ = 0;
    const LV2_Worker_Schedule* schedule_ = nullptr;

    std::array<const float*, 2> inputs_{};
    std::array<float*, 2> outputs_{};
    std::array<const float*, 2> sides_{};
    float* latency_ = nullptr;
    std::vector<const float*> controls_;
    // The bits of each control port as last read; a port counts as changed when they differ.
    std::vector<uint32_t> seen_;
    // What run() compares with seen_ first: each connected port's bits, or for an
    // unconnected one its own seen_ entry, so that one pass without a branch per port
    // tells whether anything changed. Read as 32-bit words (see BitsAt).
    std::vector<const void*> watched_;
    std::vector<SRange> ranges_;
    std::vector<zt::ztpi::SEvent> events_;  // one per control port, filled by run
    std::vector<float> silence_;
    std::unique_ptr<std::atomic<bool>[]> edited_;  // one per control port
};

}  // namespace zt::lv2
