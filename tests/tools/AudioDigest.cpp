// Prints a digest of an audio file's samples (not of its bytes: libsndfile stamps the
// time into float WAV files), so renders can be compared bit for bit.
#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(argv[1], SFM_READ, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", argv[1], sf_strerror(nullptr));
        return 1;
    }
    // FNV-1a over the bits of every sample in file order.
    uint64_t hash = 14695981039346656037ull;
    std::vector<float> block(4096 * static_cast<size_t>(info.channels));
    sf_count_t frames = 0, got;
    while ((got = sf_readf_float(file, block.data(), 4096)) > 0) {
        for (sf_count_t i = 0; i < got * info.channels; ++i) {
            uint32_t bits;
            std::memcpy(&bits, &block[static_cast<size_t>(i)], sizeof bits);
            for (int b = 0; b < 4; ++b) {
                hash ^= (bits >> (8 * b)) & 0xFF;
                hash *= 1099511628211ull;
            }
        }
        frames += got;
    }
    sf_close(file);
    std::printf("%016llx %lld\n", static_cast<unsigned long long>(hash), static_cast<long long>(frames));
    return 0;
}
