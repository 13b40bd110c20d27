// Includes the written header as a firmware project would and checks its bytes
// against the picture drawn from the same rule, laid out in bands of 8 rows,
// one byte per column, the low bit at the top.
#include <cstdio>
#include <cstring>

#include "sample.h"

int main() {
    unsigned char expected[SAMPLE_WIDTH * ((SAMPLE_HEIGHT + 7) / 8)] = {};
    for (int y = 0; y < SAMPLE_HEIGHT; ++y)
        for (int x = 0; x < SAMPLE_WIDTH; ++x)
            if ((x * x + 3 * y) % 7 == 0) expected[y / 8 * SAMPLE_WIDTH + x] |= 1U << (y % 8);
    if (sizeof sample != sizeof expected || std::memcmp(sample, expected, sizeof expected) != 0) {
        std::puts("the header's bytes differ from the picture");
        return 1;
    }
    return std::strcmp(SAMPLE_LAYOUT, "bands-lsb-top") == 0 ? 0 : 1;
}
