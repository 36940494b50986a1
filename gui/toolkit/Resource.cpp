#include "gui/toolkit/Resource.h"

#include <utility>

namespace zt::ge {

CResource::CResource(int32_t id, uint32_t kind, std::vector<uint8_t> data)
    : m_id(id), m_kind(kind), m_data(std::move(data))
{}

CResource::~CResource() = default;

int32_t CResource::GetId() const { return m_id; }
uint32_t CResource::GetKind() const { return m_kind; }
const uint8_t* CResource::GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
std::size_t CResource::GetSize() const { return m_data.size(); }
bool CResource::IsDecoded() const { return m_decoded; }
int CResource::AddRef() { return CRefCountable::AddRef(); }
int CResource::Release() { return CRefCountable::Release(); }
int CResource::GetRefCount() const { return CRefCountable::GetRefCount(); }

void CResource::MarkDecoded()
{
    m_decoded = true;
    std::vector<uint8_t>().swap(m_data);  // the raw file is not needed any more
}

}  // namespace zt::ge
