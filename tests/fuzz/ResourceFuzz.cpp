// The resource file: a damaged file is refused with the framework's exception or opens,
// and every listed bitmap and font loads or draws nothing, without reading or allocating
// beyond what the file holds.
#include "FuzzSupport.h"

#include "foundation/Exception.h"
#include "gui/toolkit/BitmapResource.h"
#include "gui/toolkit/FontResource.h"
#include "gui/toolkit/ResourceManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qs::fuzz;
    // Each decoded image is at most a third larger than its bytes; fonts hold one
    // coloured copy of their strip.
    CAllocationBound bound(2 * size + 65536);
    try {
        zt::ge::CResourceManager resources(data, size);
        for (const auto& entry : resources.GetEntries()) {
            if (zt::ge::IBitmapResource* bitmap = resources.GetBitmap(entry.id)) {
                if (bitmap->GetPixels()) {
                    const uint64_t area = uint64_t(bitmap->GetWidth()) * uint64_t(bitmap->GetHeight());
                    Require(bitmap->GetWidth() > 0 && bitmap->GetHeight() > 0 && area <= size,
                            "a bitmap no larger than its file");
                    (void)bitmap->GetFrame(2, 3);
                }
                bitmap->Release();
            }
            if (zt::ge::IFontResource* font = resources.GetFont(entry.id, zt::ge::SColour::FromRGB(1, 2, 3))) {
                for (int c = 0; c < 256; ++c)
                    Require(font->GetGlyphWidth(uint8_t(c)) >= 0, "no negative glyph width");
                font->Release();
            }
        }
    } catch (zt::IException* e) {
        e->Destroy();
    }
    return 0;
}
