#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/Interface.h"
#include "foundation/RefCountable.h"

namespace zt::ge {

// What an entry of the resource list holds.
enum EResourceKind : uint32_t {
    kResourceBitmap = 1,
    kResourceFont = 2,
};

// One resource of the resource file, shared by counting: the manager and
// every user hold a reference and end it with Release.
class IResource : public virtual IInterface {
public:
    virtual int32_t GetId() const = 0;
    virtual uint32_t GetKind() const = 0;
    // The file's bytes until the resource decodes them; empty afterwards.
    virtual const uint8_t* GetData() const = 0;
    virtual std::size_t GetSize() const = 0;
    virtual bool IsDecoded() const = 0;
    virtual int AddRef() = 0;
    virtual int Release() = 0;  // the last one deletes the resource
    virtual int GetRefCount() const = 0;
};

class CResource : public virtual IResource, public zt::CRefCountable {
public:
    CResource(int32_t id, uint32_t kind, std::vector<uint8_t> data);

    int32_t GetId() const override;
    uint32_t GetKind() const override;
    const uint8_t* GetData() const override;
    std::size_t GetSize() const override;
    bool IsDecoded() const override;
    int AddRef() override;
    int Release() override;
    int GetRefCount() const override;

protected:
    ~CResource() override;
    // Called by a decoder that has replaced the bytes by something better.
    void MarkDecoded();

private:
    int32_t id_;
    uint32_t kind_;
    std::vector<uint8_t> data_;
    bool decoded_ = false;
};

}  // namespace zt::ge
