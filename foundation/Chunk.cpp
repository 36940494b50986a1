#include "foundation/Chunk.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zt {

CChunkMemory::CChunkMemory(uint32_t id) : m_id(id) {}

CChunkMemory::CChunkMemory(const void* data, uint32_t length, uint32_t id, bool copy) : m_id(id)
{
    if (data == nullptr || length == 0)
        return;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (copy)
        m_owned.assign(bytes, bytes + length);
    else
        m_borrowed = bytes;
    m_length = length;
}

uint32_t CChunkMemory::GetId() const { return m_id; }
void CChunkMemory::SetId(uint32_t id) { m_id = id; }
uint32_t CChunkMemory::GetLength() const { return m_length; }
uint64_t CChunkMemory::GetSize() const { return m_length; }

const uint8_t* CChunkMemory::GetData() const
{
    if (m_borrowed != nullptr)
        return m_borrowed;
    return m_owned.empty() ? nullptr : m_owned.data();
}

void CChunkMemory::Destroy() { delete this; }
void CChunkMemory::Close() {}

uint32_t CChunkMemory::Read(void* buffer, uint32_t count)
{
    if (buffer == nullptr || m_position >= m_length)
        return 0;
    const auto n = static_cast<uint32_t>(std::min<uint64_t>(count, m_length - m_position));
    std::memcpy(buffer, GetData() + m_position, n);
    m_position += n;
    return n;
}

uint32_t CChunkMemory::Write(const void* buffer, uint32_t count)
{
    if (buffer == nullptr || count == 0)
        return 0;
    const uint64_t end = m_position + count;
    if (end > UINT32_MAX)
        return 0;  // the header stores the length in 32 bits
    try {
        if (m_borrowed != nullptr) {
            m_owned.assign(m_borrowed, m_borrowed + m_length);
            m_borrowed = nullptr;
        }
        if (end > m_length) {
            m_owned.resize(static_cast<std::size_t>(end));
            m_length = static_cast<uint32_t>(end);
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::memcpy(m_owned.data() + m_position, buffer, count);
    m_position = end;
    return count;
}

CChunk::CChunk(IFile& file, uint64_t dataOffset, uint32_t id, uint32_t length)
    : m_file(file), m_dataOffset(dataOffset), m_id(id), m_length(length)
{}

uint32_t CChunk::GetId() const { return m_id; }
uint32_t CChunk::GetLength() const { return m_length; }
uint64_t CChunk::GetSize() const
{
    // What the file holds, not what the header claims: readers size their buffers by it.
    const uint64_t fileSize = m_file.GetSize();
    return fileSize > m_dataOffset ? std::min<uint64_t>(m_length, fileSize - m_dataOffset) : 0;
}

void CChunk::Destroy() { delete this; }
void CChunk::Close() {}

uint32_t CChunk::Clamp(uint32_t count) const
{
    if (m_position >= m_length)
        return 0;
    return static_cast<uint32_t>(std::min<uint64_t>(count, m_length - m_position));
}

uint32_t CChunk::Read(void* buffer, uint32_t count)
{
    count = Clamp(count);
    if (count == 0 || !m_file.SetPosition(m_dataOffset + m_position))
        return 0;
    uint32_t n = m_file.Read(buffer, count);
    m_position += n;
    return n;
}

uint32_t CChunk::Write(const void* buffer, uint32_t count)
{
    count = Clamp(count);
    if (count == 0 || !m_file.SetPosition(m_dataOffset + m_position))
        return 0;
    uint32_t n = m_file.Write(buffer, count);
    m_position += n;
    return n;
}

}  // namespace zt
