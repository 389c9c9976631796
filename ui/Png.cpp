#include "ui/Png.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/Inflate.h"

namespace orbelle::ui {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {137, 80, 78, 71, 13, 10, 26, 10};

enum ColorType : std::uint8_t { Grey = 0, Rgb = 2, Indexed = 3, GreyAlpha = 4, Rgba = 6 };

std::uint32_t readU32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

[[noreturn]] void fail(const std::string& what) {
  throw PngError("PNG: " + what);
}

struct Header {
  int width = 0;
  int height = 0;
  int depth = 0;
  ColorType colorType = Grey;
  int channels = 0;
  std::size_t rowBytes = 0;    // without the filter byte
  std::size_t filterStep = 0;  // bytes between a byte and the one its filter calls "left"
};

Header readHeader(std::span<const std::uint8_t> data) {
  if (data.size() != 13)
    fail("the IHDR chunk has the wrong length");
  const std::uint32_t width = readU32(data.data());
  const std::uint32_t height = readU32(data.data() + 4);
  if (width == 0 || height == 0)
    fail("the picture has no pixels");
  if (width > kPngMaxSide || height > kPngMaxSide || std::int64_t{width} * height > kPngMaxPixels)
    fail("the picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
         ")");
  Header h;
  h.width = static_cast<int>(width);
  h.height = static_cast<int>(height);
  h.depth = data[8];
  const std::uint8_t type = data[9];
  bool depthOk = false;
  switch (type) {
    case Grey:
      h.channels = 1;
      depthOk = h.depth == 1 || h.depth == 2 || h.depth == 4 || h.depth == 8 || h.depth == 16;
      break;
    case Indexed:
      h.channels = 1;
      depthOk = h.depth == 1 || h.depth == 2 || h.depth == 4 || h.depth == 8;
      break;
    case Rgb:
    case GreyAlpha:
    case Rgba:
      h.channels = type == Rgb ? 3 : type == GreyAlpha ? 2 : 4;
      depthOk = h.depth == 8 || h.depth == 16;
      break;
    default:
      fail("unknown colour type " + std::to_string(type));
  }
  if (!depthOk)
    fail("bit depth " + std::to_string(h.depth) + " is not allowed with colour type " +
         std::to_string(type));
  h.colorType = static_cast<ColorType>(type);
  if (data[10] != 0 || data[11] != 0)
    fail("unknown compression or filter method");
  if (data[12] == 1)
    fail("interlaced pictures are not supported");
  if (data[12] != 0)
    fail("unknown interlace method");
  const std::size_t bitsPerPixel = static_cast<std::size_t>(h.channels) * h.depth;
  h.rowBytes = (static_cast<std::size_t>(h.width) * bitsPerPixel + 7) / 8;
  h.filterStep = std::max<std::size_t>(1, bitsPerPixel / 8);
  return h;
}

std::uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc)
    return static_cast<std::uint8_t>(a);
  return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Undoes the row filters in place; `raw` holds each row behind its filter-type byte.
void unfilter(const Header& h, std::vector<std::uint8_t>& raw) {
  const std::size_t stride = h.rowBytes + 1;
  const std::size_t step = h.filterStep;
  const std::vector<std::uint8_t> zeros(h.rowBytes, 0);
  for (std::size_t y = 0; y < static_cast<std::size_t>(h.height); ++y) {
    std::uint8_t* row = raw.data() + y * stride + 1;
    const std::uint8_t* up = y == 0 ? zeros.data() : row - stride;
    const std::uint8_t filter = row[-1];
    switch (filter) {
      case 0:
        break;
      case 1:
        for (std::size_t i = step; i < h.rowBytes; ++i)
          row[i] = static_cast<std::uint8_t>(row[i] + row[i - step]);
        break;
      case 2:
        for (std::size_t i = 0; i < h.rowBytes; ++i)
          row[i] = static_cast<std::uint8_t>(row[i] + up[i]);
        break;
      case 3:
        for (std::size_t i = 0; i < h.rowBytes; ++i) {
          const int left = i >= step ? row[i - step] : 0;
          row[i] = static_cast<std::uint8_t>(row[i] + (left + up[i]) / 2);
        }
        break;
      case 4:
        for (std::size_t i = 0; i < h.rowBytes; ++i) {
          const int left = i >= step ? row[i - step] : 0;
          const int upLeft = i >= step ? up[i - step] : 0;
          row[i] = static_cast<std::uint8_t>(row[i] + paeth(left, up[i], upLeft));
        }
        break;
      default:
        fail("unknown row filter " + std::to_string(filter));
    }
  }
}

// The index-th sample of a row, at its full depth.
unsigned sample(const std::uint8_t* row, std::size_t index, int depth) {
  if (depth == 8)
    return row[index];
  if (depth == 16)
    return (unsigned{row[2 * index]} << 8) | row[2 * index + 1];
  const std::size_t bit = index * static_cast<std::size_t>(depth);
  const unsigned shift = 8 - static_cast<unsigned>(depth) - static_cast<unsigned>(bit % 8);
  return (row[bit / 8] >> shift) & ((1u << depth) - 1);
}

std::uint8_t to8Bits(unsigned value, int depth) {
  if (depth == 16)
    return static_cast<std::uint8_t>(value >> 8);
  if (depth == 8)
    return static_cast<std::uint8_t>(value);
  return static_cast<std::uint8_t>(value * 255 / ((1u << depth) - 1));
}

std::uint8_t premultiply(std::uint8_t color, std::uint8_t alpha) {
  return static_cast<std::uint8_t>((unsigned{color} * alpha + 127) / 255);
}

struct Transparency {
  std::vector<std::uint8_t> paletteAlpha;  // colour type 3
  bool hasKey = false;                     // colour types 0 and 2: one fully transparent colour
  std::array<unsigned, 3> key{};
};

Bitmap toBitmap(const Header& h, const std::vector<std::uint8_t>& raw,
                const std::vector<std::array<std::uint8_t, 3>>& palette,
                const Transparency& transparency) {
  Bitmap bitmap;
  bitmap.width = h.width;
  bitmap.height = h.height;
  bitmap.pixels.resize(static_cast<std::size_t>(h.width) * h.height * 4);
  std::uint8_t* out = bitmap.pixels.data();
  for (int y = 0; y < h.height; ++y) {
    const std::uint8_t* row = raw.data() + static_cast<std::size_t>(y) * (h.rowBytes + 1) + 1;
    for (int x = 0; x < h.width; ++x, out += 4) {
      const std::size_t first = static_cast<std::size_t>(x) * h.channels;
      std::array<unsigned, 4> s{};
      for (int c = 0; c < h.channels; ++c)
        s[c] = sample(row, first + c, h.depth);
      std::uint8_t r = 0, g = 0, b = 0, a = 255;
      switch (h.colorType) {
        case Grey:
          r = g = b = to8Bits(s[0], h.depth);
          if (transparency.hasKey && s[0] == transparency.key[0])
            a = 0;
          break;
        case Rgb:
          r = to8Bits(s[0], h.depth);
          g = to8Bits(s[1], h.depth);
          b = to8Bits(s[2], h.depth);
          if (transparency.hasKey && s[0] == transparency.key[0] && s[1] == transparency.key[1] &&
              s[2] == transparency.key[2])
            a = 0;
          break;
        case Indexed:
          if (s[0] >= palette.size())
            fail("a pixel uses colour " + std::to_string(s[0]) + " of a palette of " +
                 std::to_string(palette.size()));
          r = palette[s[0]][0];
          g = palette[s[0]][1];
          b = palette[s[0]][2];
          if (s[0] < transparency.paletteAlpha.size())
            a = transparency.paletteAlpha[s[0]];
          break;
        case GreyAlpha:
          r = g = b = to8Bits(s[0], h.depth);
          a = to8Bits(s[1], h.depth);
          break;
        case Rgba:
          r = to8Bits(s[0], h.depth);
          g = to8Bits(s[1], h.depth);
          b = to8Bits(s[2], h.depth);
          a = to8Bits(s[3], h.depth);
          break;
      }
      out[0] = premultiply(b, a);
      out[1] = premultiply(g, a);
      out[2] = premultiply(r, a);
      out[3] = a;
    }
  }
  return bitmap;
}

bool isType(const std::uint8_t* type, const char (&name)[5]) {
  return std::equal(type, type + 4, name);
}

}  // namespace

Bitmap decodePng(std::span<const std::uint8_t> file) {
  if (file.size() < kSignature.size() ||
      !std::equal(kSignature.begin(), kSignature.end(), file.begin()))
    fail("not a PNG file (bad signature)");

  Header header;
  bool haveHeader = false;
  std::vector<std::array<std::uint8_t, 3>> palette;
  Transparency transparency;
  std::vector<std::uint8_t> raw;
  std::unique_ptr<Inflater> inflater;
  bool idatDone = false;  // a chunk other than IDAT followed the image data

  std::size_t pos = kSignature.size();
  for (;;) {
    if (file.size() - pos < 12)
      fail("the file ends inside a chunk (truncated)");
    const std::uint32_t length = readU32(file.data() + pos);
    if (length > 0x7FFFFFFFu || length > file.size() - pos - 12)
      fail("a chunk runs past the end of the file (truncated)");
    const std::uint8_t* type = file.data() + pos + 4;
    const std::span<const std::uint8_t> data = file.subspan(pos + 8, length);
    const std::string typeName(type, type + 4);
    const auto crc = static_cast<std::uint32_t>(crc32(crc32(0, type, 4), data.data(), length));
    if (crc != readU32(file.data() + pos + 8 + length))
      fail("the " + typeName + " chunk is damaged (CRC mismatch)");
    pos += 12 + std::size_t{length};

    if (!haveHeader && !isType(type, "IHDR"))
      fail("the first chunk is " + typeName + ", not IHDR");
    if (isType(type, "IHDR")) {
      if (haveHeader)
        fail("a second IHDR chunk");
      header = readHeader(data);
      haveHeader = true;
    } else if (isType(type, "PLTE")) {
      if (inflater || !palette.empty())
        fail("a PLTE chunk out of place");
      if (header.colorType == Grey || header.colorType == GreyAlpha)
        fail("a PLTE chunk in a greyscale picture");
      const std::size_t entries = length / 3;
      if (length % 3 != 0 || entries == 0 || entries > 256 ||
          (header.colorType == Indexed && entries > (std::size_t{1} << header.depth)))
        fail("a PLTE chunk of a wrong length");
      for (std::size_t i = 0; i < entries; ++i)
        palette.push_back({data[3 * i], data[3 * i + 1], data[3 * i + 2]});
    } else if (isType(type, "tRNS")) {
      if (inflater)
        fail("a tRNS chunk after the image data");
      if (header.colorType == Indexed) {
        if (palette.empty() || length > palette.size())
          fail("a tRNS chunk that does not fit the palette");
        transparency.paletteAlpha.assign(data.begin(), data.end());
      } else if (header.colorType == Grey || header.colorType == Rgb) {
        const std::size_t values = header.colorType == Grey ? 1 : 3;
        if (length != 2 * values)
          fail("a tRNS chunk of a wrong length");
        transparency.hasKey = true;
        for (std::size_t i = 0; i < values; ++i)
          transparency.key[i] = (unsigned{data[2 * i]} << 8) | data[2 * i + 1];
      } else {
        fail("a tRNS chunk in a picture that has an alpha channel");
      }
    } else if (isType(type, "IDAT")) {
      if (idatDone)
        fail("IDAT chunks that are not consecutive");
      if (header.colorType == Indexed && palette.empty())
        fail("a palette picture without a PLTE chunk");
      if (!inflater) {
        inflater = std::make_unique<Inflater>(CompressedFormat::Zlib);
        raw.resize(static_cast<std::size_t>(header.height) * (header.rowBytes + 1));
      }
      try {
        if (inflater->inflateSome(data, raw) < data.size())
          fail(inflater->finished() ? "data follows the end of the image data"
                                    : "more image data than the picture's size");
      } catch (const InflateError& e) {
        fail(std::string("the image data is damaged (") + e.what() + ")");
      }
    } else if (isType(type, "IEND")) {
      break;
    } else if ((type[0] & 0x20) == 0) {
      fail("an unknown critical chunk " + typeName);
    } else if (inflater) {
      idatDone = true;  // ancillary chunks are skipped, but end the run of IDAT chunks
    }
  }

  if (!inflater)
    fail("no image data");
  if (!inflater->finished() || inflater->produced() != raw.size())
    fail("the image data ends too early");
  unfilter(header, raw);
  return toBitmap(header, raw, palette, transparency);
}

}  // namespace orbelle::ui
