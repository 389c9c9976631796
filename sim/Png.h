// PNG encoding of a plain RGB picture, for the host's saved pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orbelle::sim {

// `rgb` holds width*height pixels, three bytes each, rows top to bottom.
std::string encodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace orbelle::sim
