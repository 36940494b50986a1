#include "host/vst3/FactoryEntry.h"

#include "host/vst3/Controller.h"
#include "host/vst3/Effect.h"
#include "host/vst3/FactoryNames.h"
#include "host/vst3/Library.h"
#include "host/vst3/PluginFactory.h"

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

PFactoryInfo MakeFactoryInfo(const SProductInfo& product)
{
    PFactoryInfo info("n/a", product.url, product.email, PFactoryInfo::kUnicode);
    CopyNameField(info.vendor, product.vendorNameArea, product.productNameArea);
    return info;
}

PClassInfo2 ClassInfo(const SProductInfo& product, const FUID& id, const char* category, const char* name,
                      const char* subCategories)
{
    PClassInfo2 info(id.toTUID(), PClassInfo::kManyInstances, category, name, 0, subCategories, "", product.version,
                     kSdkVersion);
    return info;
}

CPluginFactory* gFactory = nullptr;

}  // namespace

void* LibraryHandle() { return gLibraryHandle; }
const char* LibraryFolder() { return gLibraryFolder; }

IPluginFactory* AcquireFactory(const SProductInfo& product)
{
    if (!gFactory) {
        gFactory = new (std::nothrow) CPluginFactory(MakeFactoryInfo(product));
        if (!gFactory)
            return nullptr;
        void* context = const_cast<SProductInfo*>(&product);
        PClassInfo2 processor
            = ClassInfo(product, product.processorUID, kVstAudioEffectClass, "n/a", product.subCategories);
        CopyNameField(processor.name, product.productNameArea, product.productNameArea);
        gFactory->RegisterClass(processor, &CEffect::Create, context);

        PClassInfo2 controller
            = ClassInfo(product, product.controllerUID, kVstComponentControllerClass, "n/aController", "");
        CopyNameField(controller.name, product.productNameArea, product.productNameArea);
        std::strncat(controller.name, "Controller", sizeof controller.name - std::strlen(controller.name) - 1);
        gFactory->RegisterClass(controller, &AGainController::Create, context);
        // The reference made here is the library's own, released by ReleaseFactory: the
        // factory outlives every host reference taken while the module is loaded.
    }
    gFactory->addRef();
    return gFactory;
}

void ReleaseFactory()
{
    // Hosts release their references before they unload the module; the last one
    // deletes the factory.
    if (gFactory) {
        gFactory->release();
        gFactory = nullptr;
    }
}

}  // namespace zt::vst3
