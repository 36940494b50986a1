#pragma once

#include <utility>

namespace zt::ge {

// Holds one counted reference to a resource (IBitmapResource,
// IFontResource) and releases it when it goes or is replaced.
template <class T>
class TResourceRef {
public:
    TResourceRef() = default;
    // Adopts a reference the caller already holds (what the manager hands out).
    static TResourceRef Adopt(T* resource)
    {
        TResourceRef ref;
        ref.resource_ = resource;
        return ref;
    }
    // Takes a further reference of its own.
    static TResourceRef Share(T* resource)
    {
        if (resource)
            resource->AddRef();
        return Adopt(resource);
    }
    TResourceRef(const TResourceRef& other) : resource_(other.resource_)
    {
        if (resource_)
            resource_->AddRef();
    }
    TResourceRef(TResourceRef&& other) noexcept : resource_(std::exchange(other.resource_, nullptr)) {}
    TResourceRef& operator=(TResourceRef other) noexcept
    {
        std::swap(resource_, other.resource_);
        return *this;
    }
    ~TResourceRef() { Reset(); }

    void Reset()
    {
        if (resource_)
            std::exchange(resource_, nullptr)->Release();
    }
    T* Get() const { return resource_; }
    T* operator->() const { return resource_; }
    explicit operator bool() const { return resource_ != nullptr; }

private:
    T* resource_ = nullptr;
};

}  // namespace zt::ge
