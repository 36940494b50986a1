#pragma once

#include "framework/de/ParameterInterfaces.h"

#include <memory>
#include <vector>

namespace zt::de {

// Parameters in numbered sets, one callback for every change. Sets and their
// members are built once at set-up; afterwards only values change.
class CParameterManager final : public IParameterManager {
public:
    CParameterManager() = default;
    ~CParameterManager() override = default;

    void SetCallback(IParameterManagerCallback* callback) override { callback_ = callback; }
    void SetNumberOfSets(int32_t sets) override;
    int32_t GetNumberOfSets() const override { return static_cast<int32_t>(sets_.size()); }
    int32_t GetNumParameters(int32_t set) const override;
    void AddParameter(IParameter* parameter, int32_t set) override;
    IParameter* GetParameter(int32_t number, int32_t set) const override;
    void SetValue(bool notifyHost, int32_t number, float value, int32_t set, bool force = false,
                  bool apply = true) override;
    float GetValue(int32_t number, int32_t set) const override;
    void ResendAll() override;
    void GetValues(float* buffer, int32_t first, int32_t set, int32_t count) const override;
    void SetValues(int32_t first, int32_t count, const float* values, int32_t set, bool notifyHost) override;

private:
    IParameterManagerCallback* callback_ = nullptr;
    std::vector<std::vector<std::unique_ptr<IParameter>>> sets_;
};

}  // namespace zt::de
