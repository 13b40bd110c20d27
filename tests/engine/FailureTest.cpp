#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

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

// Whatever a command raises becomes one failure to report.
TEST(FailureTest, EveryExceptionStandsForAFailure) {
    const auto failureOf = [](auto raise) {
        try {
            raise();
        } catch (...) {
            return Routines::CurrentFailure();
        }
        return Failure(FailureCode::InternalError, "nothing raised");
    };
    const Failure kept = failureOf([] { throw Routines::MissingFile("/a/b.bit"); });
    EXPECT_EQ(kept.Code(), FailureCode::FileNotFound);
    EXPECT_EQ(kept.Description(), Routines::MissingFile("/a/b.bit").Description());
    EXPECT_EQ(failureOf([] { throw std::bad_alloc(); }).Code(), FailureCode::OutOfMemory);
    const Failure other = failureOf([] { throw std::out_of_range("index 7"); });
    EXPECT_EQ(other.Code(), FailureCode::InternalError);
    EXPECT_NE(other.Description().find("index 7"), std::string::npos) << other.Description();
    EXPECT_EQ(failureOf([] { throw 42; }).Code(), FailureCode::InternalError);
}

struct WordingRow {
    Failure failure;
    int number;
    std::string description;
};

class FailureWordingTest : public ::testing::TestWithParam<WordingRow> {};

// What users read in the error box, word for word.
TEST_P(FailureWordingTest, KeepsItsNumberAndWords) {
    EXPECT_EQ(GetParam().failure.Number(), GetParam().number);
    EXPECT_EQ(GetParam().failure.Description(), GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(
    Builders, FailureWordingTest,
    ::testing::Values(
        WordingRow{Routines::MissingFile("/a/x.bit"), 53, "File not found: \"/a/x.bit\""},
        WordingRow{Routines::FolderNotFile("/a"), 75,
                   "Path/File access error: \"/a\" is a folder, not a file"},
        WordingRow{Routines::NotRegularFile("/dev/null"), 75,
                   "Path/File access error: \"/dev/null\" is not a regular file"},
        WordingRow{Routines::FailureFromError("/a/x.bit", "cannot write the file",
                                              std::make_error_code(std::errc::no_space_on_device)),
                   61, "Disk full: \"/a/x.bit\": cannot write the file (No space left on device)"},
        WordingRow{Routines::FailureFromError("/a", "cannot read the file",
                                              std::make_error_code(std::errc::is_a_directory)),
                   75, "Path/File access error: \"/a\": cannot read the file (Is a directory)"},
        WordingRow{Routines::FailureFromError("/a", "cannot read the file",
                                              std::make_error_code(std::errc::io_error)),
                   57, "Device I/O error: \"/a\": cannot read the file (Input/output error)"},
        WordingRow{Routines::NotHexadecimal(""), 13,
                   "Type mismatch: an empty text is not a hexadecimal number"},
        WordingRow{Routines::NotHexadecimal(std::string(16, 'G')), 13,
                   "Type mismatch: \"GGGGGGGGGGGGGGGG\" is not a hexadecimal number"},
        WordingRow{Routines::NotHexadecimal(std::string(17, 'G')), 13,
                   "Type mismatch: \"GGGGGGGGGGGGGGGG...\" is not a hexadecimal number"},
        WordingRow{Routines::NotAByte("100"), 6,
                   "Overflow: the hexadecimal number \"100\" does not fit in a byte"},
        WordingRow{
            Routines::LogoFileTooShort("/l.nol", 20, ".nol", 1028), 62,
            "File too short: \"/l.nol\" holds 20 bytes, too short to be a Nokia logo (a .nol file needs "
            "at least 1028)"},
        WordingRow{Routines::PixelOutsideView(0, 48), 5,
                   "Invalid procedure call or argument: pixel (0, 48)"}));

}  // namespace
}  // namespace pelorin_test
