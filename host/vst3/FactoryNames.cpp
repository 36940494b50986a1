#include "host/vst3/FactoryNames.h"

namespace zt::vst3 {

void CopyNameField(char* destination, const char* source, const char* productArea)
{
    for (int i = 0; i < 32; ++i)
        if (static_cast<signed char>(productArea[i]) >= 0)
            destination[i] = source[i];
}

}  // namespace zt::vst3
