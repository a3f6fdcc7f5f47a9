#include "app/core/CcpException.h"

#include <gtest/gtest.h>

#include <string>

namespace scoutwell {
namespace {

TEST(CcpExceptionTest, OnlyNegativeCodesRaiseAndTheMessageCarriesTheCodeInHex) {
    EXPECT_NO_THROW(checkResult(0, "Nothing"));
    EXPECT_NO_THROW(checkResult(1, "Nothing"));

    struct Case {
        std::int32_t code;
        const char* shown;
    };
    const Case cases[] = {
        {kResultOutOfMemory, "Creating stream for saving data failed. 8007000e"},
        {-1, "Creating stream for saving data failed. ffffffff"},
        {INT32_MIN, "Creating stream for saving data failed. 80000000"},
    };
    for (const Case& c : cases) {
        try {
            checkResult(c.code, "Creating stream for saving data");
            ADD_FAILURE() << "no exception for " << c.code;
        } catch (const CCP_Exception& e) {
            EXPECT_EQ(e.code(), c.code);
            EXPECT_EQ(e.stepText(), "Creating stream for saving data");
            EXPECT_STREQ(e.what(), "Creating stream for saving data failed.");
            EXPECT_EQ(e.messageWithCode(), c.shown);
        }
    }
}

}  // namespace
}  // namespace scoutwell
