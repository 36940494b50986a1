// run() must not allocate: this binary counts every allocation made while the LV2
// instance runs, with control ports changing between runs. Changes that leave work for
// a non-real-time thread ask the host's worker once per run, never when nothing changed.
#include "tests/support/AllocationCounter.h"

#include "host/quillstrip_lv2/ProductIdentity.h"
#include "host/lv2/Descriptor.h"
#include "product/plugin/QuillstripParameterTable.h"

#include "lv2/urid/urid.h"
#include "lv2/worker/worker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

struct SHost {
    std::map<std::string, LV2_URID> ids;
    int scheduled = 0;
    LV2_URID_Map map{this, [](LV2_URID_Map_Handle h, const char* uri) {
                         auto& ids = static_cast<SHost*>(h)->ids;
                         return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
                     }};
    LV2_Worker_Schedule schedule{this, [](LV2_Worker_Schedule_Handle h, uint32_t, const void*) {
                                     ++static_cast<SHost*>(h)->scheduled;
                                     return LV2_WORKER_SUCCESS;
                                 }};
    LV2_Feature mapFeature{LV2_URID__map, &map};
    LV2_Feature scheduleFeature{LV2_WORKER__schedule, &schedule};
    const LV2_Feature* features[3] = {&mapFeature, &scheduleFeature, nullptr};
};

}  // namespace

TEST(Lv2RealTime, RunAllocatesNothing)
{
    SHost host;
    const LV2_Descriptor* d = zt::lv2::Descriptor(qs::lv2::kProduct);
    LV2_Handle instance = d->instantiate(d, 48000, "", host.features);
    ASSERT_NE(instance, nullptr);

    const auto order = quillstrip::AutomationOrder();
    std::vector<float> controls(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        controls[i] = order[i]->defaultValue;
    std::vector<float> in[4], out[2];
    for (auto& c : in) {
        c.resize(700);
        for (size_t i = 0; i < c.size(); ++i)
            c[i] = static_cast<float>(0.5 * std::sin(0.03 * static_cast<double>(i + c.size())));
    }
    for (auto& c : out)
        c.resize(700);
    float latency = 0;
    for (uint32_t c = 0; c < 2; ++c) {
        d->connect_port(instance, c, in[c].data());
        d->connect_port(instance, 2 + c, out[c].data());
        d->connect_port(instance, 4 + c, in[2 + c].data());
    }
    d->connect_port(instance, 6, &latency);
    for (size_t i = 0; i < controls.size(); ++i)
        d->connect_port(instance, static_cast<uint32_t>(7 + i), &controls[i]);
    d->activate(instance);

    int total = 0, changedRuns = 0;
    for (int block = 0; block < 40; ++block) {
        // Every port moves on even blocks, across its whole range and beyond, NaN too,
        // oversampling included; odd blocks change nothing.
        if (block % 2 == 0) {
            for (size_t i = 0; i < controls.size(); ++i) {
                const float t = static_cast<float>((block * 7 + static_cast<int>(i)) % 13) / 10.0f - 0.1f;
                controls[i] = order[i]->minimum + (order[i]->maximum - order[i]->minimum) * t;
            }
            controls[5] = std::nanf("");
            ++changedRuns;
        }
        const uint32_t frames = block % 4 < 2 ? 700 : 1 + static_cast<uint32_t>(block);
        t_watched = true;
        d->run(instance, frames);
        t_watched = false;
        total += allocations.exchange(0);
    }
    EXPECT_EQ(total, 0);
    EXPECT_EQ(host.scheduled, changedRuns);

    d->deactivate(instance);
    d->cleanup(instance);
}
