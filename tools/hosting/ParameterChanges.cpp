#include "tools/hosting/ParameterChanges.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace qs::hosting {

tresult PLUGIN_API CParamValueQueue::getPoint(int32 index, int32& offset, ParamValue& value)
{
    if (index < 0 || index >= getPointCount())
        return kInvalidArgument;
    offset = points_[static_cast<size_t>(index)].first;
    value = points_[static_cast<size_t>(index)].second;
    return kResultOk;
}

tresult PLUGIN_API CParamValueQueue::addPoint(int32 offset, ParamValue value, int32& index)
{
    index = getPointCount();
    points_.emplace_back(offset, value);
    return kResultOk;
}

void CParameterChanges::Add(ParamID id, int32 offset, ParamValue value)
{
    int32 index = 0;
    addParameterData(id, index)->addPoint(offset, value, index);
}

IParamValueQueue* PLUGIN_API CParameterChanges::getParameterData(int32 index)
{
    return index >= 0 && index < getParameterCount() ? &queues_[static_cast<size_t>(index)] : nullptr;
}

IParamValueQueue* PLUGIN_API CParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (size_t i = 0; i < queues_.size(); ++i) {
        if (queues_[i].getParameterId() == id) {
            index = static_cast<int32>(i);
            return &queues_[i];
        }
    }
    index = getParameterCount();
    queues_.emplace_back(id);
    return &queues_.back();
}

}  // namespace qs::hosting
