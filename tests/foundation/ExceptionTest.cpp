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
    // Values without a text leave their label empty.
    EXPECT_EQ(MessageOf(9, 25, nullptr), "Exception\n\nType: \n\nReason: ");
    // An empty description is still a description.
    EXPECT_EQ(MessageOf(0, 0, ""), "Exception\n\nType: Unknown\n\nReason: Unknown\n\nDescription: ");
}

TEST(Exception, FixedTextsKeepTheirSpelling)
{
    EXPECT_STREQ(zt::CException::TypeText(3), "Data storage limitation has been exceeded");
    EXPECT_STREQ(zt::CException::ReasonText(12), "Could'nt connect to server");
    EXPECT_STREQ(zt::CException::ReasonText(15), "Answer page was to large");
    EXPECT_STREQ(zt::CException::ReasonText(17), "Unexpected path type");
    EXPECT_EQ(zt::CException::ReasonText(18), nullptr);
    EXPECT_EQ(zt::CException::TypeText(6), nullptr);
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
