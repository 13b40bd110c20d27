// A libFuzzer entry point; the build picks the check with PELORIN_FUZZ_CHECK.

#include <cstddef>
#include <cstdint>

#include "FuzzChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzChecks::PELORIN_FUZZ_CHECK(data, size);
    return 0;
}
