#include <gtest/gtest.h>

#include <string>

#include "foundation/Exception.h"

namespace {

std::string MessageOf(uint32_t type, uint32_t reason, const char* description)
{
    zt::IException* e = zt::CreateException(type, reason, description);
    std::string message = e->Message();
    e->Destroy();
    return message;
}

TEST(Exception, MessageComposedFromTypeReasonAndDescription)
{
    EXPECT_EQ(MessageOf(4, 7, "x"), "Exception\n\nType: File\n\nReason: File, wrong type\n\nDescription: x");
    EXPECT_EQ(MessageOf(2, 3, nullptr), "Exception\n\nType: Code\n\nReason: Code, argument invalid");
    // The last values with a text, and the first without one, which leave their label empty.
    EXPECT_EQ(MessageOf(5, 17, nullptr), "Exception\n\nType: Network\n\nReason: Unexpected path type");
    EXPECT_EQ(MessageOf(6, 18, nullptr), "Exception\n\nType: \n\nReason: ");
    // An empty description is still a description.
    EXPECT_EQ(MessageOf(0, 0, ""), "Exception\n\nType: Unknown\n\nReason: Unknown\n\nDescription: ");
}

TEST(Exception, ThrownAsInterfaceKeepsItsFields)
{
    std::string text = "resource list";
    try {
        zt::IException* e = zt::CreateException(4, 7, text.c_str());
        text = "overwritten";  // the thrower's buffer may be gone by the time of the catch
        throw e;
    } catch (zt::IException* e) {
        EXPECT_EQ(e->Type(), 4u);
        EXPECT_EQ(e->Reason(), 7u);
        EXPECT_STREQ(e->Description(), "resource list");
        e->Destroy();
    }
    zt::IException* none = zt::CreateException(2, 3);
    EXPECT_EQ(none->Description(), nullptr);
    none->Destroy();
}

}  // namespace
