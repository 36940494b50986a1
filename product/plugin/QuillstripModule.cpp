#include "product/plugin/QuillstripModule.h"

#include "product/plugin/QuillstripPlugIn.h"

zt::ztpi::IPlugIn* CQuillstripModule::CreatePlugIn(int32_t)
{
    try {
        return new CQuillstripPlugIn(GetHost());
    } catch (...) {
        return nullptr;  // out of memory: the adapter reports an internal error
    }
}
