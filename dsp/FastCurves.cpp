#include "dsp/FastCurves.h"

#include <cmath>

namespace fastcurves {

STables::STables()
{
    for (int32_t j = 0; j < kLogEntries; ++j) {
        inverse[j] = 1.0 / (1.0 + double(j) / kLogEntries);
        logStart[j] = -std::log(inverse[j]);
    }
    for (int32_t j = 0; j < kExpEntries; ++j)
        exp2[j] = std::exp2(double(j) / kExpEntries);
}

const STables gTables;

}  // namespace fastcurves
