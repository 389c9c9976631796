// PNG decoding for the toolkit's pictures.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>

#include "ui/Bitmap.h"

namespace orbelle::ui {

class PngError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Pictures larger than this are refused before anything is allocated for them.
inline constexpr int kPngMaxSide = 4096;
inline constexpr std::int64_t kPngMaxPixels = std::int64_t{1} << 22;

// Decodes a non-interlaced PNG of any colour type and bit depth (palette and tRNS
// transparency included; 16-bit samples keep their high byte) into a premultiplied BGRA
// bitmap. Anything else, and every damaged file, throws PngError; no byte outside `file` is
// ever read.
Bitmap decodePng(std::span<const std::uint8_t> file);

}  // namespace orbelle::ui
