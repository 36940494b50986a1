#include "AudioStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace render {

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A new empty file beside path, with the permissions a plainly created file would get.
bool CreateTemporaryBeside(const std::string& path, std::string& temporary, std::string& error)
{
    if (IsFolder(path)) {
        error = path + " is a folder";
        return false;
    }
    const std::string folder = FolderOf(path);
    if (!IsFolder(folder)) {
        error = "the folder " + folder + " does not exist";
        return false;
    }
    std::string pattern = folder + "/." + NameOf(path) + ".partXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = "cannot write in " + folder + ": " + std::strerror(errno);
        return false;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    temporary = name.data();
    return true;
}

}  // namespace

void SLevels::Add(const SBlock& block, int channels, size_t from, size_t to)
{
    for (size_t c = 0; c < static_cast<size_t>(channels); ++c) {
        for (size_t i = from; i < to; ++i) {
            const float v = block.channels[c][i];
            if (!std::isfinite(v))
                ++nonFinite;
            else
                peak = std::max(peak, std::fabs(v));
        }
    }
}

// --- reading -------------------------------------------------------------------

CAudioReader::~CAudioReader()
{
    if (file_)
        sf_close(file_);
}

bool CAudioReader::Open(const std::string& path)
{
    info_ = SF_INFO{};
    file_ = path == "-" ? sf_open_fd(0, SFM_READ, &info_, 0) : sf_open(path.c_str(), SFM_READ, &info_);
    if (!file_) {
        error_ = "cannot read " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    if (info_.channels < 1 || info_.channels > 2) {
        error_ = path + ": only mono and stereo files are supported";
        return false;
    }
    return true;
}

bool CAudioReader::Read(SBlock& block, size_t frames)
{
    const size_t channels = static_cast<size_t>(info_.channels);
    frames = std::min(frames, block.channels.empty() ? 0 : block.channels[0].size());
    block.frames = frames;
    size_t got = 0;
    if (!finished_ && frames > 0) {
        interleaved_.resize(frames * channels);
        // A pipe may deliver less than asked for before its end: read until full or done.
        while (got < frames) {
            const sf_count_t n
                = sf_readf_float(file_, interleaved_.data() + got * channels, static_cast<sf_count_t>(frames - got));
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        // A file that knows its length ends there; a pipe ends with its first short read.
        if (got < frames || (info_.seekable && framesRead_ + got >= static_cast<uint64_t>(info_.frames))) {
            finished_ = true;
            if (sf_error(file_) != SF_ERR_NO_ERROR) {
                error_ = std::string("read error: ") + sf_strerror(file_);
                return false;
            }
        }
        framesRead_ += got;
    }
    for (size_t c = 0; c < block.channels.size(); ++c) {
        std::vector<float>& out = block.channels[c];
        const size_t from = std::min(c, channels - 1);
        for (size_t i = 0; i < got; ++i)
            out[i] = interleaved_[i * channels + from];
        std::fill(out.begin() + static_cast<long>(got), out.begin() + static_cast<long>(frames), 0.0f);
    }
    return true;
}

// --- writing -------------------------------------------------------------------

CAudioWriter::~CAudioWriter()
{
    if (file_)
        sf_close(file_);
    if (!temporary_.empty())
        std::remove(temporary_.c_str());
}

int CAudioWriter::FormatFor(const std::string& path)
{
    const std::string name = NameOf(path);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return 0;
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == "wav")
        return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    if (ext == "flac")
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    if (ext == "aif" || ext == "aiff")
        return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
    if (ext == "ogg")
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    return 0;
}

bool CAudioWriter::Open(const std::string& path, int rate, int channels)
{
    const int format = FormatFor(path);
    if (format == 0) {
        error_ = path + ": the name should end in .wav, .flac, .aiff or .ogg, which decides the format";
        return false;
    }
    if (!CreateTemporaryBeside(path, temporary_, error_))
        return false;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    if (!sf_format_check(&info)) {
        error_ = path + ": this format cannot hold " + std::to_string(channels) + " channel(s) at "
            + std::to_string(rate) + " Hz";
        return false;
    }
    file_ = sf_open(temporary_.c_str(), SFM_WRITE, &info);
    if (!file_) {
        error_ = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    // Integer samples hold full scale at most: clip (and count) rather than let the
    // encoder fail or wrap. Vorbis cannot take non-finite samples either.
    const int subtype = format & SF_FORMAT_SUBMASK;
    clips_ = subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE;
    if (clips_)
        sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    target_ = path;
    channels_ = channels;
    return true;
}

bool CAudioWriter::Write(const SBlock& block, size_t from, size_t to)
{
    const size_t channels = static_cast<size_t>(channels_);
    interleaved_.resize((to - from) * channels);
    for (size_t i = 0; i < to - from; ++i) {
        for (size_t c = 0; c < channels; ++c) {
            float v = block.channels[c][from + i];
            if (clips_ && !(v >= -1.0f && v <= 1.0f)) {
                v = std::isnan(v) ? 0.0f : std::clamp(v, -1.0f, 1.0f);
                ++clipped_;
            }
            interleaved_[i * channels + c] = v;
        }
    }
    const sf_count_t frames = static_cast<sf_count_t>(to - from);
    if (sf_writef_float(file_, interleaved_.data(), frames) != frames) {
        error_ = "cannot write " + target_ + ": " + sf_strerror(file_);
        return false;
    }
    return true;
}

bool CAudioWriter::Commit()
{
    const int closed = sf_close(file_);
    file_ = nullptr;
    if (closed != 0) {
        error_ = "cannot write " + target_ + ": " + sf_error_number(closed);
        return false;
    }
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        error_ = "cannot write " + target_ + ": " + std::strerror(errno);
        return false;
    }
    temporary_.clear();
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<char>& bytes, std::string& error)
{
    std::string temporary;
    if (!CreateTemporaryBeside(path, temporary, error))
        return false;
    FILE* file = std::fopen(temporary.c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        ok = std::fclose(file) == 0 && ok;
    }
    if (ok)
        ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
    }
    return ok;
}

}  // namespace render
