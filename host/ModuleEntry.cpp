// The library's exports: the VST 3 factory, the Linux module entry points and the
// framework's module entry. Every other symbol stays hidden (see the version script).
#include "host/ModuleEntry.h"

#include "host/Controller.h"
#include "host/Effect.h"
#include "host/FactoryNames.h"
#include "host/PlugInIds.h"
#include "host/PluginFactory.h"

#include "core/QuillstripModule.h"

#include "pluginterfaces/base/fplatform.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <dlfcn.h>

#include <cstring>
#include <new>

using namespace Steinberg;

namespace zt::vst3 {

namespace {

void* gLibraryHandle = nullptr;
// Plain storage: the load-time constructor below may run before any C++ object of this
// file is constructed, so it must not write into one.
char gLibraryFolder[4096] = {};

// Where this library was loaded from, recorded when it loads.
__attribute__((constructor)) void RecordLibrary()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&RecordLibrary), &info) && info.dli_fname) {
        gLibraryHandle = info.dli_fbase;
        const char* slash = std::strrchr(info.dli_fname, '/');
        const size_t length = slash ? size_t(slash - info.dli_fname) + 1 : 0;
        if (length < sizeof gLibraryFolder) {
            std::memcpy(gLibraryFolder, info.dli_fname, length);
            gLibraryFolder[length] = '\0';
        }
    }
}

PFactoryInfo MakeFactoryInfo()
{
    PFactoryInfo info("n/a", "https://kelmora.invalid/quillstrip", "mailto:support@kelmora.invalid",
                      PFactoryInfo::kUnicode);
    CopyNameField(info.vendor, kVendorNameArea, kProductNameArea);
    return info;
}

PClassInfo2 ClassInfo(const FUID& id, const char* category, const char* name, const char* subCategories)
{
    PClassInfo2 info(id.toTUID(), PClassInfo::kManyInstances, category, name, 0, subCategories, "", kVersion,
                     kSdkVersion);
    return info;
}

CPluginFactory* gFactory = nullptr;

} // namespace

void* LibraryHandle() { return gLibraryHandle; }
const char* LibraryFolder() { return gLibraryFolder; }

} // namespace zt::vst3

using namespace zt::vst3;

extern "C" {

SMTG_EXPORT_SYMBOL IPluginFactory* PLUGIN_API GetPluginFactory()
{
    if (!gFactory) {
        gFactory = new (std::nothrow) CPluginFactory(MakeFactoryInfo());
        if (!gFactory)
            return nullptr;
        PClassInfo2 processor = ClassInfo(kProcessorUID, kVstAudioEffectClass, "n/a", "Fx");
        CopyNameField(processor.name, kProductNameArea, kProductNameArea);
        gFactory->RegisterClass(processor, &CEffect::Create);

        PClassInfo2 controller = ClassInfo(kControllerUID, kVstComponentControllerClass, "n/aController", "");
        CopyNameField(controller.name, kProductNameArea, kProductNameArea);
        std::strncat(controller.name, "Controller", sizeof controller.name - std::strlen(controller.name) - 1);
        gFactory->RegisterClass(controller, &AGainController::Create);
        // The reference made here is the library's own, released by ModuleExit: the
        // factory outlives every host reference taken while the module is loaded.
    }
    gFactory->addRef();
    return gFactory;
}

SMTG_EXPORT_SYMBOL bool ModuleEntry(void*) { return true; }
SMTG_EXPORT_SYMBOL bool ModuleExit()
{
    // Hosts release their references before they unload the module; the last one
    // deletes the factory, and a later GetPluginFactory builds a new one.
    if (gFactory) {
        gFactory->release();
        gFactory = nullptr;
    }
    return true;
}
SMTG_EXPORT_SYMBOL bool InitDll() { return true; }
SMTG_EXPORT_SYMBOL bool ExitDll() { return true; }

SMTG_EXPORT_SYMBOL zt::ztpi::IModule* ztpiMain(zt::ztpi::IHost* host, int32_t* interfaceVersion)
{
    if (interfaceVersion)
        *interfaceVersion = 1;
    return new (std::nothrow) CQuillstripModule(host, LibraryHandle());
}

} // extern "C"
