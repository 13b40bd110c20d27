#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "EngineFakes.h"
#include "MessageBoxes.h"

namespace pelorin_test {
namespace {

using Routines::BoxIcon;
using Routines::ScopedMessageBoxes;

void Show(const std::string& text) { Routines::ShowMessageBox(text, "title", BoxIcon::None); }

std::vector<std::string> Texts(const RecordingBoxes& boxes) {
    std::vector<std::string> texts;
    for (const auto& box : boxes.shown) texts.push_back(std::get<0>(box));
    return texts;
}

class ScopedMessageBoxesTest : public ::testing::TestWithParam<bool> {};

// Two windows, each with its boxes: the one made last gets the engine's
// boxes while it lives, whichever ends first.
TEST_P(ScopedMessageBoxesTest, TheLatestLiveSinkGetsTheBoxes) {
    const bool firstEndsFirst = GetParam();
    RecordingBoxes first, second;
    auto firstScope = std::make_unique<ScopedMessageBoxes>(first);
    Show("one");
    auto secondScope = std::make_unique<ScopedMessageBoxes>(second);
    Show("two");
    (firstEndsFirst ? firstScope : secondScope).reset();
    Show("three");
    (firstEndsFirst ? secondScope : firstScope).reset();

    ::testing::internal::CaptureStderr();
    Show("four");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "title: four\n");
    EXPECT_EQ(Texts(first),
              (firstEndsFirst ? std::vector<std::string>{"one"} : std::vector<std::string>{"one", "three"}));
    EXPECT_EQ(Texts(second),
              (firstEndsFirst ? std::vector<std::string>{"two", "three"} : std::vector<std::string>{"two"}));
}

INSTANTIATE_TEST_SUITE_P(EndingOrders, ScopedMessageBoxesTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "FirstEndsFirst" : "LastEndsFirst"; });

TEST(MessageBoxesTest, WithoutASinkABoxIsWrittenLineByLineToStandardError) {
    ::testing::internal::CaptureStderr();
    Routines::ShowMessageBox("first\rsecond", "Error!!!", BoxIcon::Critical);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[critical] Error!!!: first\nsecond\n");
}

}  // namespace
}  // namespace pelorin_test
