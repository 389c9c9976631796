// libFuzzer harness: the PNG decoder. Each input is decoded three ways: as it is; with the CRC
// of every whole chunk put right, so that mutations get past the checksums; and as the
// description of a picture (header, palette, transparency, then the rows before compression)
// made into a well-formed file, so that the row filters and the pixel formats are reached. A
// file either decodes into a bitmap that keeps the decoder's promises, or is refused with
// PngError; nothing else may happen.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <span>
#include <vector>

#include "ui/Png.h"

namespace {

using namespace orbelle::ui;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kSignature[] = {137, 80, 78, 71, 13, 10, 26, 10};

void checkPromises(const Bitmap& bitmap) {
  const std::int64_t pixels = std::int64_t{bitmap.width} * bitmap.height;
  if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.width > kPngMaxSide ||
      bitmap.height > kPngMaxSide || pixels > kPngMaxPixels ||
      bitmap.pixels.size() != static_cast<std::size_t>(pixels) * 4)
    std::abort();  // a bitmap of another size than it says
  for (std::size_t i = 0; i < bitmap.pixels.size(); i += 4) {
    const std::uint8_t alpha = bitmap.pixels[i + 3];
    if (bitmap.pixels[i] > alpha || bitmap.pixels[i + 1] > alpha || bitmap.pixels[i + 2] > alpha)
      std::abort();  // not premultiplied
  }
}

void decode(std::span<const std::uint8_t> file) {
  try {
    checkPromises(decodePng(file));
  } catch (const PngError&) {
  }
}

std::uint32_t readU32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

void putU32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t crcOf(const std::uint8_t* typeAndData, std::size_t size) {
  return static_cast<std::uint32_t>(crc32(0, typeAndData, static_cast<uInt>(size)));
}

// The file with the CRC of each chunk that lies whole inside it recomputed.
Bytes withCrcsRepaired(std::span<const std::uint8_t> file) {
  Bytes out(file.begin(), file.end());
  std::size_t pos = sizeof kSignature;
  while (pos + 12 <= out.size()) {
    const std::uint32_t length = readU32(out.data() + pos);
    if (length > out.size() - pos - 12)
      break;
    const std::uint32_t crc = crcOf(out.data() + pos + 4, 4 + std::size_t{length});
    for (int i = 0; i < 4; ++i)
      out[pos + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    pos += 12 + std::size_t{length};
  }
  return out;
}

void putChunk(Bytes& out, const char (&type)[5], const Bytes& data) {
  putU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  putU32(out, crcOf(out.data() + start, 4 + data.size()));
}

// A well-formed file from a description: width, height, colour type and depth, a palette and
// a transparency chunk of the lengths the next bytes say, then the rows as they are before
// compression (filter bytes included), compressed here.
Bytes pictureFrom(std::span<const std::uint8_t> in) {
  if (in.size() < 6)
    return {};
  struct Format {
    std::uint8_t type, depth;
  };
  constexpr Format kFormats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                                 {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  const Format format = kFormats[in[2] % std::size(kFormats)];
  const std::size_t paletteEntries = in[3];
  const std::size_t transparencyBytes = in[4] % 8;
  const bool compressRows = (in[5] & 1) == 0;  // or pass the rest as the image data itself
  std::size_t at = 6;
  const auto take = [&](std::size_t count) {
    Bytes bytes;
    for (std::size_t i = 0; i < count && at < in.size(); ++i)
      bytes.push_back(in[at++]);
    return bytes;
  };

  Bytes out(std::begin(kSignature), std::end(kSignature));
  Bytes header;
  putU32(header, 1u + in[0] % 64);
  putU32(header, 1u + in[1] % 64);
  header.insert(header.end(), {format.depth, format.type, 0, 0, 0});
  putChunk(out, "IHDR", header);
  if (paletteEntries > 0)
    putChunk(out, "PLTE", take(3 * paletteEntries));
  if (transparencyBytes > 0)
    putChunk(out, "tRNS", take(transparencyBytes));
  const Bytes rows = take(in.size() - at);
  if (compressRows) {
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    Bytes compressed(size);
    if (compress2(compressed.data(), &size, rows.data(), static_cast<uLong>(rows.size()), 1) !=
        Z_OK)
      std::abort();
    compressed.resize(size);
    putChunk(out, "IDAT", compressed);
  } else {
    putChunk(out, "IDAT", rows);
  }
  putChunk(out, "IEND", {});
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  decode(input);
  if (size >= sizeof kSignature && std::equal(kSignature, kSignature + 8, data)) {
    const Bytes repaired = withCrcsRepaired(input);
    if (!std::equal(repaired.begin(), repaired.end(), data))
      decode(repaired);
  } else if (const Bytes picture = pictureFrom(input); !picture.empty()) {
    decode(picture);
  }
  return 0;
}
