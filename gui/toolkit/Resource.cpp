#include "gui/toolkit/Resource.h"

#include <utility>

namespace zt::ge {

CResource::CResource(int32_t id, uint32_t kind, std::vector<uint8_t> data)
    : id_(id), kind_(kind), data_(std::move(data))
{}

CResource::~CResource() = default;

int32_t CResource::GetId() const { return id_; }
uint32_t CResource::GetKind() const { return kind_; }
const uint8_t* CResource::GetData() const { return data_.empty() ? nullptr : data_.data(); }
std::size_t CResource::GetSize() const { return data_.size(); }
bool CResource::IsDecoded() const { return decoded_; }
int CResource::AddRef() { return CRefCountable::AddRef(); }
int CResource::Release() { return CRefCountable::Release(); }
int CResource::GetRefCount() const { return CRefCountable::GetRefCount(); }

void CResource::MarkDecoded()
{
    decoded_ = true;
    std::vector<uint8_t>().swap(data_);  // the raw file is not needed any more
}

}  // namespace zt::ge
