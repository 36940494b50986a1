// The preference file as whatever is on disk: loading it never crashes, a damaged file
// changes no preference, and every bound preference stays inside its range.
#include "PlugInSupport.h"

#include "foundation/Mutex.h"
#include "framework/ztpi/BasePreferenceManager.h"

namespace {

const char* const kKeys[]
    = {"KnobMode", "MeterMode", "ToolTipsEQ", "ToolTipsControls", "EyeCandy", "Hue", "Brightness", "Saturation"};

std::vector<float> Values(zt::de::IParameterManager& pm)
{
    std::vector<float> v;
    for (int32_t n = 0; n < quillstrip::kNumEditor; ++n)
        v.push_back(pm.GetValue(n, quillstrip::kSetEditor));
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qs::fuzz;
    auto& pm = Plug().parameters();
    static zt::CMutex lock;
    static zt::ztpi::CBasePreferenceManager* preferences = [&] {
        auto* m = new zt::ztpi::CBasePreferenceManager(pm, lock);
        Require(m->SetFile("Kelmora:Fuzz.xml"), "a preference file");
        for (int32_t n = 0; n < quillstrip::kNumEditor; ++n)
            m->AddBinding(kKeys[n], quillstrip::kSetEditor, n);
        return m;
    }();
    for (int32_t n = 0; n < quillstrip::kNumEditor; ++n)
        pm.SetValue(false, n, pm.GetParameter(n, quillstrip::kSetEditor)->GetDefault(), quillstrip::kSetEditor);
    const std::vector<float> before = Values(pm);

    WriteFile(preferences->GetSystemPath(), data, size);
    {
        CAllocationBound bound(2 * size + 65536);
        preferences->Load();
    }
    const bool damaged = !preferences->TakeNotice().empty();
    (void)preferences->GetString("Fuzz", "none");

    const std::vector<float> after = Values(pm);
    if (damaged)
        Require(after == before, "a damaged file changes no preference");
    for (int32_t n = 0; n < quillstrip::kNumEditor; ++n) {
        const zt::de::IParameter* p = pm.GetParameter(n, quillstrip::kSetEditor);
        Require(after[size_t(n)] >= p->GetMinimum() && after[size_t(n)] <= p->GetMaximum(),
                "a preference inside its range");
    }
    return 0;
}
