#include "foundation/FileMemory.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "foundation/Exception.h"

namespace zt {

CFileMemory::CFileMemory() = default;
CFileMemory::~CFileMemory() = default;

void CFileMemory::Destroy() { delete this; }

bool CFileMemory::OpenView(const void* data, uint64_t size)
{
    if (data == nullptr)
        throw CreateException(kExceptionTypeFile, kExceptionReasonFileGeneric);
    Close();
    m_buffer.clear();
    m_view = static_cast<const uint8_t*>(data);
    m_viewSize = size;
    m_open = true;
    return true;
}

bool CFileMemory::OpenBuffer(const void* data, uint64_t size)
{
    if (data == nullptr && size > 0)
        throw CreateException(kExceptionTypeFile, kExceptionReasonFileGeneric);
    Close();
    const auto* bytes = static_cast<const uint8_t*>(data);
    try {
        m_buffer.assign(bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        m_buffer.clear();
        return false;
    }
    m_open = true;
    return true;
}

const uint8_t* CFileMemory::GetData() const
{
    if (m_view != nullptr)
        return m_view;
    return m_buffer.empty() ? nullptr : m_buffer.data();
}

void CFileMemory::Close()
{
    m_open = false;
    m_view = nullptr;
    m_viewSize = 0;
    m_position = 0;
}

void CFileMemory::RequireMemory() const
{
    if (!m_open)
        throw CreateException(kExceptionTypeFile, kExceptionReasonFileGeneric);
}

uint32_t CFileMemory::Read(void* buffer, uint32_t count)
{
    RequireMemory();
    const uint64_t size = GetSize();
    if (buffer == nullptr || m_position >= size)
        return 0;
    const auto n = static_cast<uint32_t>(std::min<uint64_t>(count, size - m_position));
    if (n > 0)
        std::memcpy(buffer, GetData() + m_position, n);
    m_position += n;
    return n;
}

uint32_t CFileMemory::Write(const void* buffer, uint32_t count)
{
    RequireMemory();
    if (m_view != nullptr || buffer == nullptr || count == 0)
        return 0;
    const uint64_t end = m_position + count;
    if (end > m_buffer.size()) {
        // Growth may be refused (a position far past the end, or no memory):
        // report a short write instead of taking the host down.
        if (end > m_buffer.max_size())
            return 0;
        try {
            m_buffer.resize(static_cast<std::size_t>(end));
        } catch (const std::bad_alloc&) {
            return 0;
        } catch (const std::length_error&) {
            return 0;
        }
    }
    std::memcpy(m_buffer.data() + m_position, buffer, count);
    m_position = end;
    return count;
}

bool CFileMemory::SetPosition(uint64_t position)
{
    RequireMemory();
    return CFileCP::SetPosition(position);
}

uint64_t CFileMemory::GetSize() const { return m_view != nullptr ? m_viewSize : m_buffer.size(); }

}  // namespace zt
