#include "framework/de/ParameterManager.h"

#include <cmath>

namespace zt::de {

void CParameterManager::SetNumberOfSets(int32_t sets)
{
    sets_.clear();
    sets_.resize(sets > 0 ? static_cast<size_t>(sets) : 0);
}

int32_t CParameterManager::GetNumParameters(int32_t set) const
{
    if (set < 0 || set >= GetNumberOfSets())
        return 0;
    return static_cast<int32_t>(sets_[static_cast<size_t>(set)].size());
}

void CParameterManager::AddParameter(IParameter* parameter, int32_t set)
{
    sets_.at(static_cast<size_t>(set)).emplace_back(parameter);
}

IParameter* CParameterManager::GetParameter(int32_t number, int32_t set) const
{
    return sets_[static_cast<size_t>(set)][static_cast<size_t>(number)].get();
}

void CParameterManager::SetValue(bool notifyHost, int32_t number, float value, int32_t set, bool force, bool apply)
{
    if (std::isnan(value))
        return;
    IParameter* parameter = GetParameter(number, set);
    if (!force && parameter->GetValue() == value)
        return;
    parameter->SetValue(value, true);
    if (!callback_)
        return;
    const float stored = parameter->GetValue();
    if (apply)
        callback_->OnParameterChanged(set, number, stored);
    if (notifyHost)
        callback_->OnParameterNotify(set, number, stored);
}

float CParameterManager::GetValue(int32_t number, int32_t set) const { return GetParameter(number, set)->GetValue(); }

void CParameterManager::ResendAll()
{
    if (!callback_)
        return;
    for (size_t set = 0; set < sets_.size(); ++set)
        for (auto& parameter : sets_[set])
            callback_->OnParameterChanged(static_cast<int32_t>(set), parameter->GetNumber(), parameter->GetValue());
}

void CParameterManager::GetValues(float* buffer, int32_t first, int32_t set, int32_t count) const
{
    for (int32_t i = 0; i < count; ++i)
        buffer[i] = GetValue(first + i, set);
}

void CParameterManager::SetValues(int32_t first, int32_t count, const float* values, int32_t set, bool notifyHost)
{
    for (int32_t i = 0; i < count; ++i)
        SetValue(notifyHost, first + i, values[i], set);
}

}  // namespace zt::de
