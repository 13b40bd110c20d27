#include <gtest/gtest.h>
#include <string>

#include "Failure.h"

namespace pelorin_test {
namespace {

using Routines::Failure;
using Routines::FailureCode;

TEST(FailureTest, GenericErrorTextJoinsItsLinesWithLoneCarriageReturns) {
    EXPECT_EQ(Routines::GenericErrorText(53, "File not found: /a/Screen.bit"),
              "Error Number: 53 Occured.\rThis number and the following description\r"
              "should be send to the developer\r\rFile not found: /a/Screen.bit");
}

TEST(FailureTest, TheDetailTakesThePlaceholderOfTheTable) {
    const Failure failure(FailureCode::FileNotFound, "/a/Screen.bit");
    EXPECT_EQ(failure.Number(), 53);
    EXPECT_EQ(failure.Description(), "File not found: /a/Screen.bit");
    EXPECT_EQ(std::string(failure.what()), failure.Description());
    EXPECT_EQ(Failure(FailureCode::Cancelled, "").Number(), 32755);
}

}  // namespace
}  // namespace pelorin_test
