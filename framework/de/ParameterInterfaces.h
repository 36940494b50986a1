// The framework's parameter store: parameters in numbered sets, converters between
// plain and normalized values, and display converters that turn a value into text.
#pragma once

#include <cstdint>

namespace zt::de {

// One stored value with its range and rounding. Identity is (set, number).
class IParameter {
public:
    virtual ~IParameter() = default;
    virtual int32_t GetNumber() const = 0;
    virtual float GetDefault() const = 0;
    virtual float GetValue() const = 0;
    // Stores value clamped to [min, max] and, with round set, rounded to the
    // parameter's decimals. A NaN leaves the value as it was.
    virtual void SetValue(float value, bool round) = 0;
    virtual float GetMinimum() const = 0;
    virtual float GetMaximum() const = 0;
    virtual void Apply() = 0;  // hand the current value to the owner
    virtual IParameter* Clone() const = 0;
};

// The owner of a parameter manager hears of every stored change through this.
class IParameterManagerCallback {
public:
    virtual ~IParameterManagerCallback() = default;
    // A value was stored; apply it.
    virtual void OnParameterChanged(int32_t set, int32_t number, float value) = 0;
    // The change should be shown to the host and the editor (changes not made by the host).
    virtual void OnParameterNotify(int32_t set, int32_t number, float value) = 0;
};

class IParameterManager {
public:
    virtual ~IParameterManager() = default;
    virtual void SetCallback(IParameterManagerCallback* callback) = 0;
    virtual void SetNumberOfSets(int32_t sets) = 0;
    virtual int32_t GetNumberOfSets() const = 0;
    virtual int32_t GetNumParameters(int32_t set) const = 0;
    // Takes ownership; the parameter's number is the set's previous count.
    virtual void AddParameter(IParameter* parameter, int32_t set) = 0;
    virtual IParameter* GetParameter(int32_t number, int32_t set) const = 0;
    // Stores value (clamped, rounded) unless it equals the current one and force is
    // off; then tells the callback, and with notifyHost also its notification side.
    virtual void SetValue(bool notifyHost, int32_t number, float value, int32_t set, bool force = false,
                          bool apply = true)
        = 0;
    virtual float GetValue(int32_t number, int32_t set) const = 0;
    // Calls the callback for every parameter of every set with its current value.
    virtual void ResendAll() = 0;
    // Copies count plain values of set, from number first on, into buffer.
    virtual void GetValues(float* buffer, int32_t first, int32_t set, int32_t count) const = 0;
    virtual void SetValues(int32_t first, int32_t count, const float* values, int32_t set, bool notifyHost) = 0;
};

// Plain <-> normalized (0..1).
class IConverter {
public:
    enum EKind : int32_t { kLinear = 0, kLog = 1, kTrueLog = 2, kCubic = 3 };
    virtual ~IConverter() = default;
    virtual double ToNormalized(float plain) const = 0;
    virtual float FromNormalized(double normalized) const = 0;
    virtual EKind GetKind() const = 0;
    virtual bool IsLinear() const = 0;
};

// Plain value -> text, and back from the number a user reads.
class IDisplayConverter {
public:
    virtual ~IDisplayConverter() = default;
    // Writes at most size - 1 characters and a terminator.
    virtual void Format(float value, char* text, int32_t size) const = 0;
    // The plain value whose text shows the number shown (range suffixes already applied:
    // "2.5K" is 2500); -infinity stands for "-Inf". False when no plain value shows it.
    virtual bool FromShown(double shown, float& plain) const = 0;
    virtual void SetPrefix(const char* prefix) = 0;
    virtual void SetUnit(const char* unit) = 0;
    virtual const char* GetUnit() const = 0;
    virtual void SetDecimals(int32_t decimals) = 0;
    virtual int32_t GetDecimals() const = 0;
    virtual void SetWidth(int32_t width) = 0;
};

}  // namespace zt::de
