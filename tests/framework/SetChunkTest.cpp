// Set chunks read from damaged files: a header may promise anything.
#include "foundation/ChunkFile.h"
#include "framework/ztpi/SetChunk.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A 400-byte preset whose set chunk claims nearly 4 GiB and a billion values.
TEST(SetChunk, AHugeDeclaredLengthIsBoundedByTheFile)
{
    zt::test::CTempDir dir;
    ASSERT_TRUE(dir.Valid());
    std::vector<uint8_t> image = {'Z', 'T', 'C', 'F'};
    PutU32(image, 1);
    PutU32(image, zt::ztpi::SetChunkId(0));
    PutU32(image, 0xFFFFFFF0u);  // chunk length
    PutU32(image, 0);            // first
    PutU32(image, 0x3FFFFFF0u);  // count
    image.resize(400, 0x41);
    zt::test::WriteBytes(dir.Sub("Damaged.preset"), image);

    zt::CChunkFile file;
    uint32_t type = 0;
    ASSERT_TRUE(file.Open(dir.Framework("Damaged.preset").c_str(), zt::kChunkFileRead, type));
    auto chunk = file.FindChunk(zt::ztpi::SetChunkId(0));
    ASSERT_TRUE(chunk);
    EXPECT_EQ(chunk->GetSize(), 400u - 16u);
    zt::ztpi::SSetValues values;
    EXPECT_FALSE(zt::ztpi::ReadSetChunk(*chunk, values));
    EXPECT_TRUE(values.values.empty());
}

}  // namespace
