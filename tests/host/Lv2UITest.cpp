// The bundle's LV2 UI as a host drives it: found through the description, loaded from
// its library, opened in a window of the test's own on the plug-in instance, idled,
// clicked, and cleaned up without leaving a descriptor or a thread behind. Needs a
// display server (CTest runs it under a virtual one); without one it skips.
#include "host/lv2/Instance.h"
#include "host/lv2/Ports.h"

#include "lv2/instance-access/instance-access.h"
#include "lv2/ui/ui.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <lilv/lilv.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Last: Xlib defines macros (None, Bool) that clash with the test framework.
#include "tests/support/X11Click.h"

#include <X11/Xlib.h>

namespace {

constexpr const char* kPlugInUri = "https://kelmora.audio/plugins/quillstrip-pro-small";

size_t EntriesIn(const char* folder)
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

struct SHost {
    std::vector<std::pair<uint32_t, float>> writes;
    int width = 0, height = 0;
};

void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    ASSERT_EQ(format, 0u);
    ASSERT_EQ(size, sizeof(float));
    float value;
    std::memcpy(&value, buffer, sizeof value);
    static_cast<SHost*>(controller)->writes.emplace_back(port, value);
}

int Resize(LV2UI_Feature_Handle handle, int width, int height)
{
    auto* host = static_cast<SHost*>(handle);
    host->width = width;
    host->height = height;
    return 0;
}

class Lv2UI : public ::testing::Test {
protected:
    void SetUp() override
    {
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            GTEST_SKIP() << "no display";
        world_ = lilv_world_new();
        LilvNode* bundle = lilv_new_file_uri(world_, nullptr, QS_LV2_BUNDLE "/");
        lilv_world_load_bundle(world_, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = lilv_new_uri(world_, kPlugInUri);
        plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri);
        lilv_node_free(uri);
        ASSERT_NE(plugin_, nullptr);
        instance_ = lilv_plugin_instantiate(plugin_, 48000.0, nullptr);
        ASSERT_NE(instance_, nullptr);
        parent_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 780, 500, 0, 0, 0);
        XMapWindow(display_, parent_);
        XSync(display_, False);
        ui_ = LoadUI();
        ASSERT_NE(ui_, nullptr);
        idle_ = static_cast<const LV2UI_Idle_Interface*>(ui_->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idle_, nullptr);
        gatePort_ = PortIndex("gate_enable");
        ASSERT_NE(gatePort_, UINT32_MAX);
        gate_ = static_cast<int32_t>(gatePort_ - zt::lv2::kFirstControl);
        shared_ = static_cast<zt::lv2::CInstance*>(lilv_instance_get_handle(instance_))->GetPlugIn();
        descriptors_ = EntriesIn("/proc/self/fd");
        threads_ = EntriesIn("/proc/self/task");
    }

    void TearDown() override
    {
        if (instance_)
            lilv_instance_free(instance_);
        if (world_)
            lilv_world_free(world_);
        if (library_)
            dlclose(library_);
        if (display_) {
            XDestroyWindow(display_, parent_);
            XCloseDisplay(display_);
        }
    }

    // The UI the description declares for the plug-in, from the library it names.
    const LV2UI_Descriptor* LoadUI()
    {
        // The collection is ours to free.
        std::unique_ptr<LilvUIs, void (*)(LilvUIs*)> uis(lilv_plugin_get_uis(plugin_), &lilv_uis_free);
        if (!uis || lilv_uis_size(uis.get()) != 1)
            return nullptr;
        const LilvUI* ui = lilv_uis_get(uis.get(), lilv_uis_begin(uis.get()));
        LilvNode* x11 = lilv_new_uri(world_, LV2_UI__X11UI);
        const bool isX11 = lilv_ui_is_a(ui, x11);
        lilv_node_free(x11);
        char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
        library_ = isX11 && path ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
        lilv_free(path);
        auto entry
            = library_ ? reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library_, "lv2ui_descriptor")) : nullptr;
        const LV2UI_Descriptor* descriptor = entry ? entry(0) : nullptr;
        if (descriptor && std::strcmp(descriptor->URI, lilv_node_as_uri(lilv_ui_get_uri(ui))) != 0)
            return nullptr;
        return descriptor;
    }

    // shareInstance false: a host without instance access.
    LV2UI_Handle Open(const LV2UI_Descriptor& ui, LV2UI_Widget& widget, bool shareInstance = true,
                      const char* plugInUri = kPlugInUri)
    {
        static LV2UI_Resize resize;
        resize = {&host_, &Resize};
        const LV2_Feature parent = {LV2_UI__parent, reinterpret_cast<void*>(parent_)};
        const LV2_Feature access = {LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(instance_)};
        const LV2_Feature idle = {LV2_UI__idleInterface, nullptr};
        const LV2_Feature resizing = {LV2_UI__resize, &resize};
        const LV2_Feature* features[] = {&parent, &idle, &resizing, shareInstance ? &access : nullptr, nullptr};
        return ui.instantiate(&ui, plugInUri, QS_LV2_BUNDLE "/", &Write, &host_, &widget, features);
    }

    // Idles the UI as a host would, every 10 ms, for a few editor ticks.
    void Idle(LV2UI_Handle ui)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
        while (std::chrono::steady_clock::now() < end) {
            ASSERT_EQ(idle_->idle(ui), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // A click on the gate section's on/off button, then the host's idle calls.
    void ClickGate(LV2UI_Handle ui, LV2UI_Widget widget)
    {
        Click(static_cast<Window>(reinterpret_cast<uintptr_t>(widget)), 139 + 24, 304 + 13);
        Idle(ui);
    }

    void CloseLeavingNothing(LV2UI_Handle ui)
    {
        ui_->cleanup(ui);
        XSync(display_, False);
        EXPECT_EQ(EntriesIn("/proc/self/fd"), descriptors_);
        EXPECT_EQ(EntriesIn("/proc/self/task"), threads_);
    }

    void Click(Window w, int x, int y) { SendClick(display_, w, x, y); }

    uint32_t PortIndex(const char* symbol)
    {
        LilvNode* node = lilv_new_string(world_, symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin_, node);
        lilv_node_free(node);
        return port ? lilv_port_get_index(plugin_, port) : UINT32_MAX;
    }

    Display* display_ = nullptr;
    Window parent_ = 0;
    LilvWorld* world_ = nullptr;
    const LilvPlugin* plugin_ = nullptr;
    LilvInstance* instance_ = nullptr;
    void* library_ = nullptr;
    SHost host_;
    const LV2UI_Descriptor* ui_ = nullptr;
    const LV2UI_Idle_Interface* idle_ = nullptr;
    uint32_t gatePort_ = 0;
    int32_t gate_ = 0;
    zt::ztpi::IPlugIn* shared_ = nullptr;  // the plug-in library's object
    size_t descriptors_ = 0, threads_ = 0;
};

}  // namespace

TEST_F(Lv2UI, OpensOnTheInstanceFollowsPortsReportsEditsAndLeavesNothingBehind)
{
    LV2UI_Widget widget = nullptr;
    // Another plug-in's instance is never taken for ours.
    EXPECT_EQ(Open(*ui_, widget, true, "urn:example:another-plugin"), nullptr);
    LV2UI_Handle handle = Open(*ui_, widget);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(host_.width, 780);
    EXPECT_EQ(host_.height, 500);
    // The widget is the editor's own window, inside the host's.
    Window root = 0, parentOfEditor = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_NE(XQueryTree(display_, static_cast<Window>(reinterpret_cast<uintptr_t>(widget)), &root, &parentOfEditor,
                         &children, &count),
              0);
    if (children)
        XFree(children);
    EXPECT_EQ(parentOfEditor, parent_);

    // The host moves the port: the plug-in object follows at once (NaN ignored), and
    // nothing is echoed.
    const float before = shared_->GetParameter(gate_);
    const float moved = before > 0.5f ? 0.0f : 1.0f;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ui_->port_event(handle, gatePort_, sizeof moved, 0, &moved);
    ui_->port_event(handle, gatePort_, sizeof nan, 0, &nan);
    EXPECT_EQ(shared_->GetParameter(gate_), moved);
    Idle(handle);
    EXPECT_TRUE(host_.writes.empty());

    // The click switches it back and tells the host its port.
    ClickGate(handle, widget);
    EXPECT_EQ(shared_->GetParameter(gate_), before);
    ASSERT_EQ(host_.writes.size(), 1u);
    EXPECT_EQ(host_.writes[0], std::make_pair(gatePort_, before));
    CloseLeavingNothing(handle);
}

TEST_F(Lv2UI, WithoutInstanceAccessMirrorsThePortsAndReportsEdits)
{
    const float before = shared_->GetParameter(gate_);
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle handle = Open(*ui_, widget, false);
    ASSERT_NE(handle, nullptr);
    ASSERT_NE(widget, nullptr);
    // The host tells the UI the port's value; setting up its own object reports nothing.
    const float on = 1.0f;
    ui_->port_event(handle, gatePort_, sizeof on, 0, &on);
    Idle(handle);
    EXPECT_TRUE(host_.writes.empty());

    // The click switches the mirrored value off and the host hears it; the plug-in
    // library's object is only ever moved through the port.
    ClickGate(handle, widget);
    ASSERT_EQ(host_.writes.size(), 1u);
    EXPECT_EQ(host_.writes[0], std::make_pair(gatePort_, 0.0f));
    EXPECT_EQ(shared_->GetParameter(gate_), before);
    CloseLeavingNothing(handle);
}
