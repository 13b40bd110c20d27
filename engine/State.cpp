#include "Routines.h"

namespace Routines {

std::array<std::uint8_t, BitFileSize> BitBytes{};
std::array<std::string, BitFileSize> BitHex{};
std::string ImageBits;
std::string SaveBits;
std::array<std::uint8_t, NolFileSize> NolBuffer{};
std::array<std::uint8_t, NggFileSize> NggBuffer{};
std::array<std::string, LogoPixelCount> NokiaHex{};

}  // namespace Routines
