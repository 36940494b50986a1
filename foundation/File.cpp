#include "foundation/File.h"

#include <climits>
#include <string>

#include "foundation/Paths.h"
#include "platform/Platform.h"

namespace zt {

bool CFileCP::SetPosition(uint64_t position)
{
    m_position = position;
    return true;
}

uint64_t CFileCP::GetPosition() const { return m_position; }

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
    m_file = std::fopen(system.c_str(), how);
    if (m_file == nullptr)
        return false;

    long size = -1;
    if (std::fseek(m_file, 0, SEEK_END) == 0)
        size = std::ftell(m_file);
    if (size < 0 || std::fseek(m_file, 0, SEEK_SET) != 0) {
        Close();
        return false;
    }
    m_size = static_cast<uint64_t>(size);
    m_position = 0;
    m_streamPosition = 0;
    m_streamValid = true;
    m_lastWasWrite = false;
    return true;
}

bool CFile::IsOpen() const { return m_file != nullptr; }

void CFile::Close()
{
    if (m_file != nullptr)
        std::fclose(m_file);
    m_file = nullptr;
    m_size = 0;
    m_position = 0;
    m_streamValid = false;
}

bool CFile::SeekFor(bool writing)
{
    if (m_streamValid && m_streamPosition == m_position && m_lastWasWrite == writing)
        return true;
    m_streamValid = false;
    if (m_position > static_cast<uint64_t>(LONG_MAX)
        || std::fseek(m_file, static_cast<long>(m_position), SEEK_SET) != 0)
        return false;
    m_streamPosition = m_position;
    m_streamValid = true;
    m_lastWasWrite = writing;
    return true;
}

uint32_t CFile::Read(void* buffer, uint32_t count)
{
    if (m_file == nullptr || buffer == nullptr || count == 0 || !SeekFor(false))
        return 0;
    std::size_t n = std::fread(buffer, 1, count, m_file);
    // After a short read the stream's state (end-of-file, error) is uncertain;
    // the next access seeks afresh.
    if (n < count) {
        std::clearerr(m_file);
        m_streamValid = false;
    }
    m_position += n;
    m_streamPosition += n;
    return static_cast<uint32_t>(n);
}

uint32_t CFile::Write(const void* buffer, uint32_t count)
{
    if (m_file == nullptr || buffer == nullptr || count == 0 || !SeekFor(true))
        return 0;
    std::size_t n = std::fwrite(buffer, 1, count, m_file);
    if (n < count) {
        std::clearerr(m_file);
        m_streamValid = false;
    }
    m_position += n;
    m_streamPosition += n;
    if (m_position > m_size)
        m_size = m_position;
    return static_cast<uint32_t>(n);
}

uint64_t CFile::GetSize() const { return m_size; }

}  // namespace zt
