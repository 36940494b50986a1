#include "host/FactoryNames.h"

namespace zt::vst3 {

const char kProductNameArea[60] = "Quillstrip Pro Small\0                                      ";
const char kVendorNameArea[60] = "Kelmora\0                                                   ";

void CopyNameField(char* destination, const char* source, const char* productArea)
{
    for (int i = 0; i < 32; ++i)
        if (static_cast<signed char>(productArea[i]) >= 0)
            destination[i] = source[i];
}

} // namespace zt::vst3
