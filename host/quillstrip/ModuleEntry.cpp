// The library's exports: the VST 3 factory, the Linux module entry points and the
// framework's module entry. Every other symbol stays hidden (see the version script).
#include "host/quillstrip/ProductIdentity.h"

#include "host/vst3/FactoryEntry.h"
#include "host/vst3/Library.h"

#include "product/editor/QuillstripGUI.h"
#include "product/plugin/QuillstripModule.h"

#include "pluginterfaces/base/fplatform.h"

#include <new>

extern "C" {

SMTG_EXPORT_SYMBOL Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory()
{
    return zt::vst3::AcquireFactory(qs::vst3::kProduct);
}

SMTG_EXPORT_SYMBOL bool ModuleEntry(void*) { return true; }
SMTG_EXPORT_SYMBOL bool ModuleExit()
{
    zt::vst3::ReleaseFactory();
    return true;
}
SMTG_EXPORT_SYMBOL bool InitDll() { return true; }
SMTG_EXPORT_SYMBOL bool ExitDll() { return true; }

// Creates the product module bound to host and writes the interface version (1);
// null when the module cannot be created.
SMTG_EXPORT_SYMBOL zt::ztpi::IModule* ztpiMain(zt::ztpi::IHost* host, int32_t* interfaceVersion)
{
    if (interfaceVersion)
        *interfaceVersion = 1;
    zt::ztpi::SetGUIFactory(&CreateQuillstripGUI);
    return new (std::nothrow) CQuillstripModule(host, zt::vst3::LibraryHandle());
}

}  // extern "C"
