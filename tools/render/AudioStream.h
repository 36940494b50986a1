// Audio files read and written a block at a time, so that memory never depends on a
// file's length (or on what a header claims it is), and pipes work.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

namespace render {

// Planar blocks of at most `capacity` frames, 1 or 2 channels.
struct SBlock {
    std::vector<std::vector<float>> channels;
    size_t frames = 0;

    SBlock(int channelCount, size_t capacity)
        : channels(static_cast<size_t>(channelCount), std::vector<float>(capacity, 0.0f))
    {}
};

// Counts what a stream of samples held: non-finite samples, and the peak of the rest.
struct SLevels {
    uint64_t nonFinite = 0;
    float peak = 0.0f;
    // Frames [from, to) of the first `channels` channels.
    void Add(const SBlock& block, int channels, size_t from, size_t to);
};

class CAudioReader {
public:
    CAudioReader() = default;
    ~CAudioReader();
    CAudioReader(const CAudioReader&) = delete;
    CAudioReader& operator=(const CAudioReader&) = delete;

    // "-" reads standard input. False, with error() saying why, when the file does not
    // open or is not mono or stereo.
    bool Open(const std::string& path);
    int Rate() const { return info_.samplerate; }
    int Channels() const { return info_.channels; }
    // Fills block.frames (up to the block's capacity) with the next frames; after the end
    // of the file the rest is zeros and Finished() is true. False on a read error.
    bool Read(SBlock& block, size_t frames);
    bool Finished() const { return finished_; }
    // Frames read from the file so far.
    uint64_t FramesRead() const { return framesRead_; }
    const std::string& error() const { return error_; }

private:
    SNDFILE* file_ = nullptr;
    SF_INFO info_{};
    std::vector<float> interleaved_;
    bool finished_ = false;
    uint64_t framesRead_ = 0;
    std::string error_;
};

// Writes beside the target under a temporary name and renames over it only when every
// frame is written, so neither a failed render nor an output that is also the input
// ever leaves a damaged file. The format follows the extension.
class CAudioWriter {
public:
    CAudioWriter() = default;
    ~CAudioWriter();  // an unfinished file is removed
    CAudioWriter(const CAudioWriter&) = delete;
    CAudioWriter& operator=(const CAudioWriter&) = delete;

    // The format an output name asks for, or 0 when its extension is none we write.
    static int FormatFor(const std::string& path);
    // Opens the temporary file now, so that a folder that is missing, not writable or a
    // target that is a folder is refused before any audio is processed.
    bool Open(const std::string& path, int rate, int channels);
    // Frames [from, to) of the block. Integer formats clip at full scale; Clipped()
    // counts the samples that did.
    bool Write(const SBlock& block, size_t from, size_t to);
    // Closes and renames over the target.
    bool Commit();
    uint64_t Clipped() const { return clipped_; }
    const std::string& error() const { return error_; }

private:
    SNDFILE* file_ = nullptr;
    std::string target_, temporary_;
    bool clips_ = false;
    int channels_ = 0;
    std::vector<float> interleaved_;
    uint64_t clipped_ = 0;
    std::string error_;
};

// Writes bytes to path the same way: complete or not at all. False with a message.
bool WriteFileAtomically(const std::string& path, const std::vector<char>& bytes, std::string& error);

}  // namespace render
