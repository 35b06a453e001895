// The invariant check and its handler. The checks are on here whatever the build type,
// as in the sanitizer build.
#ifndef TW_ASSERTS
#define TW_ASSERTS
#endif
#include <gtest/gtest.h>
#include <string>

#include "tw/assert.h"

namespace {

struct Report {
    int calls = 0;
    std::string expr;
    std::string file;
    int line = 0;
};
Report report;

bool recordAndGoOn(const char* expr, const char* file, int line) {
    ++report.calls;
    report.expr = expr;
    report.file = file;
    report.line = line;
    return false;
}

class AssertHandler : public ::testing::Test {
protected:
    void SetUp() override {
        report = Report{};
        previous_ = tw::setAssertHandler(&recordAndGoOn);
    }
    void TearDown() override { tw::setAssertHandler(previous_); }

private:
    tw::AssertHandler previous_ = nullptr;
};

} // namespace

TEST_F(AssertHandler, HearsTheFailedConditionWithItsPlaceAndOnlyThat) {
    const int value = 3;
    TW_ASSERT(value == 3);
    EXPECT_EQ(report.calls, 0);
    const int line = __LINE__ + 1;
    TW_ASSERT(value < 0);
    EXPECT_EQ(report.calls, 1);
    EXPECT_EQ(report.expr, "value < 0");
    EXPECT_NE(report.file.find("assert_test.cpp"), std::string::npos);
    EXPECT_EQ(report.line, line);
}

TEST(AssertHandlerDeathTest, TheDefaultPrintsAndAborts) {
    const tw::AssertHandler previous = tw::setAssertHandler(nullptr);
    EXPECT_DEATH(TW_ASSERT(1 + 1 == 3), "assertion failed: 1 \\+ 1 == 3");
    tw::setAssertHandler(previous);
}
