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
        ref.m_resource = resource;
        return ref;
    }
    // Takes a further reference of its own.
    static TResourceRef Share(T* resource)
    {
        if (resource)
            resource->AddRef();
        return Adopt(resource);
    }
    TResourceRef(const TResourceRef& other) : m_resource(other.m_resource)
    {
        if (m_resource)
            m_resource->AddRef();
    }
    TResourceRef(TResourceRef&& other) noexcept : m_resource(std::exchange(other.m_resource, nullptr)) {}
    TResourceRef& operator=(TResourceRef other) noexcept
    {
        std::swap(m_resource, other.m_resource);
        return *this;
    }
    ~TResourceRef() { Reset(); }

    void Reset()
    {
        if (m_resource)
            std::exchange(m_resource, nullptr)->Release();
    }
    T* Get() const { return m_resource; }
    T* operator->() const { return m_resource; }
    explicit operator bool() const { return m_resource != nullptr; }

private:
    T* m_resource = nullptr;
};

}  // namespace zt::ge
