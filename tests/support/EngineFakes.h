#pragma once

// The fixture that gives each engine test known buffers, recorded boxes and a
// folder of its own, and the check for a raised Failure.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "EngineDoubles.h"
#include "Files.h"
#include "Routines.h"

namespace pelorin_test {

// The call must raise a Failure with this code whose description contains each of the texts.
template <typename Call>
void ExpectFailure(Call call, Routines::FailureCode code, std::initializer_list<std::string> named = {}) {
    try {
        call();
        ADD_FAILURE() << "no failure raised";
    } catch (const Routines::Failure& failure) {
        EXPECT_EQ(failure.Code(), code) << failure.Description();
        for (const auto& text : named)
            EXPECT_NE(failure.Description().find(text), std::string::npos) << failure.Description();
    }
}

// Module state is global: every test starts from known buffers, records its
// boxes and gets a new, empty folder.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        Routines::BitBytes.fill(0);
        Routines::BitHex.fill("");
        Routines::ImageBits.clear();
        Routines::SaveBits.clear();
        Routines::NolBuffer.fill(0);
        Routines::NggBuffer.fill(0);
        Routines::NokiaHex.fill("");
        std::string name = (fs::temp_directory_path() / "pelorin-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        folder = name;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    RecordingBoxes boxes;
    Routines::ScopedMessageBoxes installedBoxes{boxes};
    fs::path folder;
};

}  // namespace pelorin_test
