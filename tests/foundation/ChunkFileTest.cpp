#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "foundation/ChunkFile.h"
#include "foundation/ChunkFileMemory.h"
#include "foundation/Exception.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kIdA = 0x30303053;  // "S000" in memory order
constexpr uint32_t kIdB = 0x62636B67;

std::string ReadAll(zt::IChunk& chunk)
{
    std::string out(chunk.GetLength() + 16, '\0');
    chunk.SetPosition(0);
    out.resize(chunk.Read(out.data(), static_cast<uint32_t>(out.size())));
    return out;
}

bool AddChunk(zt::IChunkFile& file, uint32_t id, const std::string& data)
{
    zt::CChunkMemory chunk(id);
    chunk.Write(data.data(), static_cast<uint32_t>(data.size()));
    return file.WriteChunk(chunk);
}

// The image of a container, spelled out byte by byte.
const Bytes kImage = {
    'Z',  'T',  'C',  'F',  0x01, 0x00, 0x00, 0x00,                 // magic, type 1
    0x53, 0x30, 0x30, 0x30, 0x02, 0x00, 0x00, 0x00, 'h', 'i',       // "S000", 2 bytes
    0x67, 0x6B, 0x63, 0x62, 0x00, 0x00, 0x00, 0x00,                 // kIdB, empty
    0x53, 0x30, 0x30, 0x30, 0x03, 0x00, 0x00, 0x00, 'y', 'o', '!',  // "S000" again
};

// A header, then one "S000" chunk declaring 100 bytes of which 3 exist.
Bytes CutImage()
{
    Bytes image(kImage.begin(), kImage.begin() + 8);
    const Bytes tail = {0x53, 0x30, 0x30, 0x30, 100, 0, 0, 0, 'a', 'b', 'c'};
    image.insert(image.end(), tail.begin(), tail.end());
    return image;
}

void WriteImage(zt::IChunkFile& file)
{
    ASSERT_TRUE(AddChunk(file, kIdA, "hi"));
    ASSERT_TRUE(AddChunk(file, kIdB, ""));
    ASSERT_TRUE(AddChunk(file, kIdA, "yo!"));
}

class ChunkFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.Valid()); }
    std::string Path(const char* name) const { return dir_.Framework(name); }
    std::string Disk(const char* name) const { return dir_.Sub(name); }

    zt::test::CTempDir dir_;
};

TEST_F(ChunkFileOnDisk, WritesTheExactLayout)
{
    zt::CChunkFile file;
    uint32_t type = 1;
    ASSERT_TRUE(file.Open(Path("a.preset").c_str(), zt::kChunkFileCreate, type));
    WriteImage(file);
    file.Close();
    EXPECT_EQ(zt::test::ReadBytes(Disk("a.preset")), kImage);
    // The same image in memory, in a buffer that grows.
    zt::CChunkFileMemory memory;
    ASSERT_TRUE(memory.Open(nullptr, 0, zt::kChunkFileCreate, type, true));
    WriteImage(memory);
    memory.Close();
    EXPECT_EQ(Bytes(memory.GetData(), memory.GetData() + memory.GetSize()), kImage);
}

// The same image on disk, and in memory copied and read in place.
TEST_F(ChunkFileOnDisk, FindsFirstAndEnumeratesInFileOrder)
{
    zt::test::WriteBytes(Disk("a.preset"), kImage);
    zt::CChunkFile disk;
    zt::CChunkFileMemory copied, inPlace;
    uint32_t type[3] = {99, 99, 99};
    ASSERT_TRUE(disk.Open(Path("a.preset").c_str(), zt::kChunkFileRead, type[0]));
    ASSERT_TRUE(copied.Open(kImage.data(), kImage.size(), zt::kChunkFileRead, type[1], true));
    ASSERT_TRUE(inPlace.Open(kImage.data(), kImage.size(), zt::kChunkFileRead, type[2], false));
    zt::IChunkFile* files[] = {&disk, &copied, &inPlace};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        zt::IChunkFile& file = *files[k];
        EXPECT_EQ(type[k], 1u);
        auto first = file.FindChunk(kIdA);
        ASSERT_TRUE(first);
        EXPECT_EQ(ReadAll(*first), "hi");
        EXPECT_EQ(first->Read(nullptr, 0), 0u);  // at the end: nothing more

        uint64_t cursor = 0;
        std::vector<std::string> seen;
        while (auto chunk = file.FindNextChunk(cursor, kIdA))
            seen.push_back(ReadAll(*chunk));
        EXPECT_EQ(seen, (std::vector<std::string>{"hi", "yo!"}));
        EXPECT_EQ(cursor, kImage.size());

        auto empty = file.FindChunk(kIdB);
        ASSERT_TRUE(empty);
        EXPECT_EQ(empty->GetLength(), 0u);
        EXPECT_FALSE(file.FindChunk(0x12345678));
    }
    // In memory a chunk is a view of the image unless copied.
    for (zt::CChunkFileMemory* file : {&copied, &inPlace}) {
        auto chunk = file->FindChunk(kIdA);
        auto* memory = dynamic_cast<zt::CChunkMemory*>(chunk.get());
        ASSERT_NE(memory, nullptr);
        EXPECT_EQ(memory->GetData() == kImage.data() + 16, file == &inPlace);
    }
}

TEST_F(ChunkFileOnDisk, OpenRejectsWhatIsNotAChunkFile)
{
    zt::CChunkFile file;
    uint32_t type = 0;
    EXPECT_FALSE(file.Open(Path("missing").c_str(), zt::kChunkFileRead, type));
    EXPECT_FALSE(file.Open(Path("missing").c_str(), zt::kChunkFileUpdate, type));  // never creates

    zt::test::WriteBytes(Disk("short"), {'Z', 'T', 'C', 'F', 1, 0, 0});
    EXPECT_FALSE(file.Open(Path("short").c_str(), zt::kChunkFileRead, type));
    Bytes wrongMagic = kImage;
    wrongMagic[3] = 'G';
    zt::test::WriteBytes(Disk("magic"), wrongMagic);
    EXPECT_FALSE(file.Open(Path("magic").c_str(), zt::kChunkFileRead, type));
    EXPECT_FALSE(file.FindChunk(kIdA));  // a rejected file is closed, its chunks unseen
    EXPECT_FALSE(file.Open(dir_.Framework().c_str(), zt::kChunkFileRead, type));  // a folder
    EXPECT_FALSE(file.Open(":tmp:a/b", zt::kChunkFileCreate, type));
    zt::CFile plain;
    EXPECT_FALSE(plain.Open(dir_.Framework().c_str(), zt::kFileModeRead));

    // Exactly eight bytes: a valid, empty container.
    zt::test::WriteBytes(Disk("empty"), {'Z', 'T', 'C', 'F', 7, 0, 0, 0});
    ASSERT_TRUE(file.Open(Path("empty").c_str(), zt::kChunkFileRead, type));
    EXPECT_EQ(type, 7u);
    EXPECT_FALSE(file.FindChunk(kIdA));
}

TEST_F(ChunkFileOnDisk, DamagedChunkListsNeverReadTooFar)
{
    zt::test::WriteBytes(Disk("cut"), CutImage());

    zt::CChunkFile file;
    uint32_t type = 0;
    ASSERT_TRUE(file.Open(Path("cut").c_str(), zt::kChunkFileRead, type));
    auto chunk = file.FindChunk(kIdA);
    ASSERT_TRUE(chunk);
    EXPECT_EQ(chunk->GetLength(), 100u);
    EXPECT_EQ(chunk->GetSize(), 3u);  // what readers may size a buffer by
    EXPECT_EQ(ReadAll(*chunk), "abc");
    EXPECT_FALSE(file.FindChunk(kIdB));

    // A truncated header ends the list; a length near 4 GiB does not wrap.
    Bytes huge(kImage.begin(), kImage.begin() + 8);
    Bytes entries = {0x67, 0x6B, 0x63, 0x62, 0xFF, 0xFF, 0xFF, 0xFF, 'x', 0x53, 0x30};
    huge.insert(huge.end(), entries.begin(), entries.end());
    zt::test::WriteBytes(Disk("huge"), huge);
    ASSERT_TRUE(file.Open(Path("huge").c_str(), zt::kChunkFileRead, type));
    uint64_t cursor = 0;
    EXPECT_FALSE(file.FindNextChunk(cursor, kIdA));
    EXPECT_GT(cursor, huge.size());
}

TEST_F(ChunkFileOnDisk, UpdateAndOtherModes)
{
    zt::test::WriteBytes(Disk("a.preset"), kImage);
    zt::CChunkFile file;
    uint32_t type = 5;
    ASSERT_TRUE(file.Open(Path("a.preset").c_str(), zt::kChunkFileUpdate, type));
    file.Close();
    Bytes expected = kImage;
    expected[4] = 5;  // only the header changed; nothing was truncated
    EXPECT_EQ(zt::test::ReadBytes(Disk("a.preset")), expected);

    type = 42;
    ASSERT_TRUE(file.Open(Path("a.preset").c_str(), 3, type));
    EXPECT_EQ(type, 42u);
    EXPECT_EQ(file.GetFile().GetPosition(), 0u);
    file.Close();
    EXPECT_EQ(zt::test::ReadBytes(Disk("a.preset")), expected);
}

TEST_F(ChunkFileOnDisk, CopiesChunksBetweenFiles)
{
    // A window chunk cut short by its file is copied with the bytes it has.
    Bytes image = CutImage();
    zt::test::WriteBytes(Disk("cut"), image);

    zt::CChunkFile source;
    zt::CChunkFile target;
    uint32_t type = 0;
    ASSERT_TRUE(source.Open(Path("cut").c_str(), zt::kChunkFileRead, type));
    ASSERT_TRUE(target.Open(Path("copy").c_str(), zt::kChunkFileCreate, type));
    auto chunk = source.FindChunk(kIdA);
    ASSERT_TRUE(chunk);
    EXPECT_TRUE(target.WriteChunk(*chunk));
    target.Close();

    image[12] = 3;
    EXPECT_EQ(zt::test::ReadBytes(Disk("copy")), image);
}

TEST(ChunkFileInMemory, DamagedImagesAreCutNotOverread)
{
    zt::CChunkFileMemory file;
    uint32_t type = 0;
    Bytes shortImage(kImage.begin(), kImage.begin() + 7);
    EXPECT_FALSE(file.Open(shortImage.data(), shortImage.size(), zt::kChunkFileRead, type, false));

    Bytes image(kImage.begin(), kImage.begin() + 8);
    Bytes tail = {0x53, 0x30, 0x30, 0x30, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'};
    image.insert(image.end(), tail.begin(), tail.end());
    ASSERT_TRUE(file.Open(image.data(), image.size(), zt::kChunkFileRead, type, true));
    auto chunk = file.FindChunk(kIdA);
    ASSERT_TRUE(chunk);
    EXPECT_EQ(chunk->GetLength(), 2u);
    EXPECT_EQ(ReadAll(*chunk), "ab");
}

TEST(ChunkFileInMemory, UpdateWorksOnACopy)
{
    Bytes image = kImage;
    zt::CChunkFileMemory file;
    uint32_t type = 9;
    ASSERT_TRUE(file.Open(image.data(), image.size(), zt::kChunkFileUpdate, type, true));
    ASSERT_TRUE(AddChunk(file, kIdB, "new"));  // over the first chunk
    EXPECT_EQ(image, kImage);
    EXPECT_EQ(file.GetData()[4], 9);
    auto chunk = file.FindChunk(kIdB);
    ASSERT_TRUE(chunk);
    EXPECT_EQ(ReadAll(*chunk), "new");
}

TEST(ChunkFileInMemory, UseWithoutMemoryThrows)
{
    auto expectFileGeneric = [](auto&& action) {
        try {
            action();
            ADD_FAILURE() << "no exception";
        } catch (zt::IException* e) {
            EXPECT_EQ(e->Type(), 4u);
            EXPECT_EQ(e->Reason(), 8u);
            EXPECT_EQ(e->Description(), nullptr);
            e->Destroy();
        }
    };
    zt::CChunkFileMemory file;
    uint32_t type = 0;
    expectFileGeneric([&] { file.Open(nullptr, 8, zt::kChunkFileRead, type, true); });
    expectFileGeneric([&] { file.FindChunk(kIdA); });
    zt::CFileMemory memory;
    char byte;
    expectFileGeneric([&] { memory.Read(&byte, 1); });
    expectFileGeneric([&] { memory.OpenBuffer(nullptr, 4); });
}

TEST(ChunkMemory, WritesGrowToExactlyTheNewEnd)
{
    zt::CChunkMemory chunk(kIdA);
    EXPECT_EQ(chunk.Write("abcdef", 6), 6u);
    chunk.SetPosition(4);
    EXPECT_EQ(chunk.Write("XYZ", 3), 3u);
    EXPECT_EQ(chunk.GetLength(), 7u);
    EXPECT_EQ(ReadAll(chunk), "abcdXYZ");
    char rest[4];
    EXPECT_EQ(chunk.Read(rest, sizeof rest), 0u);  // at the end

    chunk.SetPosition(9);  // past the end: the gap is zero-filled
    EXPECT_EQ(chunk.Write("!", 1), 1u);
    EXPECT_EQ(ReadAll(chunk), std::string("abcdXYZ\0\0!", 10));
}

TEST(ChunkMemory, BorrowedBytesAreCopiedBeforeWriting)
{
    const char original[] = "keep";
    zt::CChunkMemory chunk(original, 4, kIdA, false);
    EXPECT_EQ(chunk.GetData(), reinterpret_cast<const uint8_t*>(original));
    chunk.SetPosition(1);
    EXPECT_EQ(chunk.Write("EE", 2), 2u);
    EXPECT_STREQ(original, "keep");
    EXPECT_EQ(ReadAll(chunk), "kEEp");

    zt::CChunkMemory nothing(nullptr, 100, kIdA, false);
    EXPECT_EQ(nothing.GetLength(), 0u);
    EXPECT_EQ(ReadAll(nothing), "");
}

}  // namespace
