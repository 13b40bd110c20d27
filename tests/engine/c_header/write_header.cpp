// Writes the C header of a 13 x 11 picture, in bands-lsb-top, to argv[1];
// argv[2] "progmem" asks for the AVR attribute.
#include <fstream>
#include <string>

#include "ScreenOutputs.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    auto picture = *Routines::MonoPicture::Clear(13, 11);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 13; ++x) picture.Set(x, y, (x * x + 3 * y) % 7 == 0);
    std::ofstream(argv[1], std::ios::binary) << Routines::CHeader(
        picture, Routines::ByteLayout::BandsLsbTop, "sample", std::string(argv[2]) == "progmem");
    return 0;
}
