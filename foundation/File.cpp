#include "foundation/File.h"

#include <climits>
#include <string>

#include "foundation/Paths.h"
#include "platform/Platform.h"

namespace zt {

bool CFileCP::SetPosition(uint64_t position)
{
    position_ = position;
    return true;
}

uint64_t CFileCP::GetPosition() const { return position_; }

CFile::CFile() = default;
CFile::~CFile() { Close(); }

void CFile::Destroy() { delete this; }

bool CFile::Open(const char* path, int mode)
{
    Close();
    const char* how = nullptr;
    switch (mode) {
    case kFileModeRead:
        how = "rb";
        break;
    case kFileModeUpdate:
        how = "r+b";
        break;
    case kFileModeCreate:
        how = "w+b";
        break;
    default:
        return false;
    }
    std::string system;
    if (!ConvertPath(EPathDirection::kToSystem, path, system, true))
        return false;
    // Some systems open a folder for reading; its "contents" are no file's.
    if (platform::IsFolder(system))
        return false;
    file_ = std::fopen(system.c_str(), how);
    if (file_ == nullptr)
        return false;

    long size = -1;
    if (std::fseek(file_, 0, SEEK_END) == 0)
        size = std::ftell(file_);
    if (size < 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
        Close();
        return false;
    }
    size_ = static_cast<uint64_t>(size);
    position_ = 0;
    streamPosition_ = 0;
    streamValid_ = true;
    lastWasWrite_ = false;
    return true;
}

bool CFile::IsOpen() const { return file_ != nullptr; }

void CFile::Close()
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
    size_ = 0;
    position_ = 0;
    streamValid_ = false;
}

bool CFile::SeekFor(bool writing)
{
    if (streamValid_ && streamPosition_ == position_ && lastWasWrite_ == writing)
        return true;
    streamValid_ = false;
    if (position_ > static_cast<uint64_t>(LONG_MAX) || std::fseek(file_, static_cast<long>(position_), SEEK_SET) != 0)
        return false;
    streamPosition_ = position_;
    streamValid_ = true;
    lastWasWrite_ = writing;
    return true;
}

uint32_t CFile::Read(void* buffer, uint32_t count)
{
    if (file_ == nullptr || buffer == nullptr || count == 0 || !SeekFor(false))
        return 0;
    std::size_t n = std::fread(buffer, 1, count, file_);
    // After a short read the stream's state (end-of-file, error) is uncertain;
    // the next access seeks afresh.
    if (n < count) {
        std::clearerr(file_);
        streamValid_ = false;
    }
    position_ += n;
    streamPosition_ += n;
    return static_cast<uint32_t>(n);
}

uint32_t CFile::Write(const void* buffer, uint32_t count)
{
    if (file_ == nullptr || buffer == nullptr || count == 0 || !SeekFor(true))
        return 0;
    std::size_t n = std::fwrite(buffer, 1, count, file_);
    if (n < count) {
        std::clearerr(file_);
        streamValid_ = false;
    }
    position_ += n;
    streamPosition_ += n;
    if (position_ > size_)
        size_ = position_;
    return static_cast<uint32_t>(n);
}

uint64_t CFile::GetSize() const { return size_; }

}  // namespace zt
