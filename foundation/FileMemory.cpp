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
    buffer_.clear();
    view_ = static_cast<const uint8_t*>(data);
    viewSize_ = size;
    open_ = true;
    return true;
}

bool CFileMemory::OpenBuffer(const void* data, uint64_t size)
{
    if (data == nullptr && size > 0)
        throw CreateException(kExceptionTypeFile, kExceptionReasonFileGeneric);
    Close();
    const auto* bytes = static_cast<const uint8_t*>(data);
    try {
        buffer_.assign(bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        buffer_.clear();
        return false;
    }
    open_ = true;
    return true;
}

const uint8_t* CFileMemory::GetData() const
{
    if (view_ != nullptr)
        return view_;
    return buffer_.empty() ? nullptr : buffer_.data();
}

void CFileMemory::Close()
{
    open_ = false;
    view_ = nullptr;
    viewSize_ = 0;
    position_ = 0;
}

void CFileMemory::RequireMemory() const
{
    if (!open_)
        throw CreateException(kExceptionTypeFile, kExceptionReasonFileGeneric);
}

uint32_t CFileMemory::Read(void* buffer, uint32_t count)
{
    RequireMemory();
    const uint64_t size = GetSize();
    if (buffer == nullptr || position_ >= size)
        return 0;
    const auto n = static_cast<uint32_t>(std::min<uint64_t>(count, size - position_));
    if (n > 0)
        std::memcpy(buffer, GetData() + position_, n);
    position_ += n;
    return n;
}

uint32_t CFileMemory::Write(const void* buffer, uint32_t count)
{
    RequireMemory();
    if (view_ != nullptr || buffer == nullptr || count == 0)
        return 0;
    const uint64_t end = position_ + count;
    if (end > buffer_.size()) {
        // Growth may be refused (a position far past the end, or no memory):
        // report a short write instead of taking the host down.
        if (end > buffer_.max_size())
            return 0;
        try {
            buffer_.resize(static_cast<std::size_t>(end));
        } catch (const std::bad_alloc&) {
            return 0;
        } catch (const std::length_error&) {
            return 0;
        }
    }
    std::memcpy(buffer_.data() + position_, buffer, count);
    position_ = end;
    return count;
}

bool CFileMemory::SetPosition(uint64_t position)
{
    RequireMemory();
    return CFileCP::SetPosition(position);
}

uint64_t CFileMemory::GetSize() const { return view_ != nullptr ? viewSize_ : buffer_.size(); }

}  // namespace zt
