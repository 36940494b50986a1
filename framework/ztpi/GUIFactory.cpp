#include "framework/ztpi/PlugInInterfaces.h"

#include <atomic>

namespace zt::ztpi {

namespace {
// Set once when the bundle loads; read whenever a host opens an editor.
std::atomic<GUIFactory> g_factory{nullptr};
}  // namespace

void SetGUIFactory(GUIFactory factory) { g_factory.store(factory, std::memory_order_release); }

GUIFactory GetGUIFactory() { return g_factory.load(std::memory_order_acquire); }

}  // namespace zt::ztpi
