#include "foundation/Chunk.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace zt {

CChunkMemory::CChunkMemory(uint32_t id) : id_(id) {}

CChunkMemory::CChunkMemory(const void* data, uint32_t length, uint32_t id, bool copy) : id_(id)
{
    if (data == nullptr || length == 0)
        return;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (copy)
        owned_.assign(bytes, bytes + length);
    else
        borrowed_ = bytes;
    length_ = length;
}

uint32_t CChunkMemory::GetId() const { return id_; }
void CChunkMemory::SetId(uint32_t id) { id_ = id; }
uint32_t CChunkMemory::GetLength() const { return length_; }
uint64_t CChunkMemory::GetSize() const { return length_; }

const uint8_t* CChunkMemory::GetData() const
{
    if (borrowed_ != nullptr)
        return borrowed_;
    return owned_.empty() ? nullptr : owned_.data();
}

void CChunkMemory::Destroy() { delete this; }
void CChunkMemory::Close() {}

uint32_t CChunkMemory::Read(void* buffer, uint32_t count)
{
    if (buffer == nullptr || position_ >= length_)
        return 0;
    const auto n = static_cast<uint32_t>(std::min<uint64_t>(count, length_ - position_));
    std::memcpy(buffer, GetData() + position_, n);
    position_ += n;
    return n;
}

uint32_t CChunkMemory::Write(const void* buffer, uint32_t count)
{
    if (buffer == nullptr || count == 0)
        return 0;
    const uint64_t end = position_ + count;
    if (end > UINT32_MAX)
        return 0;  // the header stores the length in 32 bits
    try {
        if (borrowed_ != nullptr) {
            owned_.assign(borrowed_, borrowed_ + length_);
            borrowed_ = nullptr;
        }
        if (end > length_) {
            owned_.resize(static_cast<std::size_t>(end));
            length_ = static_cast<uint32_t>(end);
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::memcpy(owned_.data() + position_, buffer, count);
    position_ = end;
    return count;
}

CChunk::CChunk(IFile& file, uint64_t dataOffset, uint32_t id, uint32_t length)
    : file_(file), dataOffset_(dataOffset), id_(id), length_(length)
{}

uint32_t CChunk::GetId() const { return id_; }
uint32_t CChunk::GetLength() const { return length_; }
uint64_t CChunk::GetSize() const
{
    // What the file holds, not what the header claims: readers size their buffers by it.
    const uint64_t fileSize = file_.GetSize();
    return fileSize > dataOffset_ ? std::min<uint64_t>(length_, fileSize - dataOffset_) : 0;
}

void CChunk::Destroy() { delete this; }
void CChunk::Close() {}

uint32_t CChunk::Clamp(uint32_t count) const
{
    if (position_ >= length_)
        return 0;
    return static_cast<uint32_t>(std::min<uint64_t>(count, length_ - position_));
}

uint32_t CChunk::Read(void* buffer, uint32_t count)
{
    count = Clamp(count);
    if (count == 0 || !file_.SetPosition(dataOffset_ + position_))
        return 0;
    uint32_t n = file_.Read(buffer, count);
    position_ += n;
    return n;
}

uint32_t CChunk::Write(const void* buffer, uint32_t count)
{
    count = Clamp(count);
    if (count == 0 || !file_.SetPosition(dataOffset_ + position_))
        return 0;
    uint32_t n = file_.Write(buffer, count);
    position_ += n;
    return n;
}

}  // namespace zt
