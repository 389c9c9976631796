#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui/Png.h"

namespace orbelle::ui {
namespace {

using Bytes = std::vector<std::uint8_t>;

void putU32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putChunk(Bytes& out, const char* type, const Bytes& data) {
  putU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  putU32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, 4 + data.size())));
}

int paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// The encoder's side of a row filter, written from the PNG format's definition.
Bytes filterRow(int kind, const Bytes& row, const Bytes& previous, std::size_t step) {
  Bytes out{static_cast<std::uint8_t>(kind)};
  for (std::size_t i = 0; i < row.size(); ++i) {
    const int left = i >= step ? row[i - step] : 0;
    const int up = previous[i];
    const int upLeft = i >= step ? previous[i - step] : 0;
    const int predictor[] = {0, left, up, (left + up) / 2, paeth(left, up, upLeft)};
    out.push_back(static_cast<std::uint8_t>(row[i] - (kind <= 4 ? predictor[kind] : 0)));
  }
  return out;
}

struct PngSpec {
  int width = 1;
  int height = 1;
  int depth = 8;
  int colorType = 6;
  int interlace = 0;
  std::vector<Bytes> rows;                                // unfiltered
  std::vector<int> filters;                               // per row, cycled; none given means 0
  std::vector<std::pair<const char*, Bytes>> beforeData;  // PLTE, tRNS...
  std::size_t idatSize = 1 << 20;  // the image data split into IDAT chunks of this size
};

PngSpec spec(int width, int depth, int colorType, std::vector<Bytes> rows) {
  PngSpec s;
  s.width = width;
  s.height = static_cast<int>(rows.size());
  s.depth = depth;
  s.colorType = colorType;
  s.rows = std::move(rows);
  return s;
}

Bytes header(const PngSpec& s) {
  Bytes h;
  putU32(h, static_cast<std::uint32_t>(s.width));
  putU32(h, static_cast<std::uint32_t>(s.height));
  h.insert(h.end(), {static_cast<std::uint8_t>(s.depth), static_cast<std::uint8_t>(s.colorType), 0,
                     0, static_cast<std::uint8_t>(s.interlace)});
  return h;
}

Bytes imageData(const PngSpec& s) {
  const int channels[] = {1, 0, 3, 1, 2, 0, 4};
  const std::size_t step = std::max(1, channels[s.colorType] * s.depth / 8);
  Bytes raw;
  Bytes previous(s.rows.empty() ? 0 : s.rows[0].size(), 0);
  for (std::size_t y = 0; y < s.rows.size(); ++y) {
    const int kind = s.filters.empty() ? 0 : s.filters[y % s.filters.size()];
    const Bytes filtered = filterRow(kind, s.rows[y], previous, step);
    raw.insert(raw.end(), filtered.begin(), filtered.end());
    previous = s.rows[y];
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes compressed(size);
  compress(compressed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  compressed.resize(size);
  return compressed;
}

Bytes encode(const PngSpec& s) {
  Bytes file = {137, 80, 78, 71, 13, 10, 26, 10};
  putChunk(file, "IHDR", header(s));
  for (const auto& [type, data] : s.beforeData)
    putChunk(file, type, data);
  const Bytes data = imageData(s);
  for (std::size_t at = 0; at < data.size(); at += s.idatSize) {
    const auto first = data.begin() + static_cast<std::ptrdiff_t>(at);
    putChunk(
        file, "IDAT",
        Bytes(first, first + static_cast<std::ptrdiff_t>(std::min(s.idatSize, data.size() - at))));
  }
  putChunk(file, "IEND", {});
  return file;
}

Bytes pixelBytes(const Bitmap& b, int x, int y) {
  const std::uint8_t* p = b.pixel(x, y);
  return Bytes(p, p + 4);
}

// An RGBA picture whose bytes vary enough that every filter changes them.
PngSpec rgbaPicture() {
  PngSpec s;
  s.width = 7;
  s.height = 10;
  for (int y = 0; y < s.height; ++y) {
    Bytes row;
    for (int x = 0; x < s.width; ++x)
      row.insert(row.end(),
                 {static_cast<std::uint8_t>(x * 37 + y * 11), static_cast<std::uint8_t>(y * 29),
                  static_cast<std::uint8_t>(255 - x * y), 255});
    s.rows.push_back(row);
  }
  return s;
}

TEST(Png, EveryRowFilterDecodesToTheSamePixels) {
  PngSpec reference = rgbaPicture();
  const Bitmap expected = decodePng(encode(reference));
  ASSERT_EQ(expected.width, 7);
  ASSERT_EQ(expected.height, 10);
  // Opaque: blue, green, red order, colours unchanged.
  EXPECT_EQ(pixelBytes(expected, 3, 2), (Bytes{249, 58, 133, 255}));
  for (const std::vector<int>& filters :
       std::vector<std::vector<int>>{{1}, {2}, {3}, {4}, {0, 1, 2, 3, 4}, {4, 3, 2, 1}}) {
    PngSpec s = rgbaPicture();
    s.filters = filters;
    EXPECT_EQ(decodePng(encode(s)).pixels, expected.pixels) << "filters from " << filters[0];
  }
  // The image data may come in many IDAT chunks, down to one byte each (the stream's
  // trailer then arrives after the last pixel).
  PngSpec split = rgbaPicture();
  split.idatSize = 1;
  EXPECT_EQ(decodePng(encode(split)).pixels, expected.pixels);
}

TEST(Png, OtherColourTypesAndDepthsBecomePremultipliedBgra) {
  PngSpec grey = spec(3, 8, 0, {{0, 128, 255}});
  grey.filters = {1};
  EXPECT_EQ(pixelBytes(decodePng(encode(grey)), 1, 0), (Bytes{128, 128, 128, 255}));

  // 2-bit grey: levels 0..3 stretch to 0..255; packed from the high bits.
  PngSpec grey2 = spec(4, 2, 0, {{0b00011011}});
  const Bitmap g2 = decodePng(encode(grey2));
  EXPECT_EQ(pixelBytes(g2, 1, 0), (Bytes{85, 85, 85, 255}));
  EXPECT_EQ(pixelBytes(g2, 3, 0), (Bytes{255, 255, 255, 255}));

  PngSpec greyAlpha = spec(1, 8, 4, {{200, 128}});
  EXPECT_EQ(pixelBytes(decodePng(encode(greyAlpha)), 0, 0), (Bytes{100, 100, 100, 128}));

  PngSpec rgb = spec(2, 8, 2, {{10, 20, 30, 1, 2, 3}});
  rgb.filters = {4};
  rgb.beforeData = {{"tRNS", {0, 1, 0, 2, 0, 3}}};  // the colour 1,2,3 is transparent
  const Bitmap keyed = decodePng(encode(rgb));
  EXPECT_EQ(pixelBytes(keyed, 0, 0), (Bytes{30, 20, 10, 255}));
  EXPECT_EQ(pixelBytes(keyed, 1, 0), (Bytes{0, 0, 0, 0}));

  PngSpec rgba = spec(1, 8, 6, {{200, 100, 50, 128}});
  EXPECT_EQ(pixelBytes(decodePng(encode(rgba)), 0, 0), (Bytes{25, 50, 100, 128}));

  PngSpec rgba16 = spec(1, 16, 6, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFF, 0xFF}});
  EXPECT_EQ(pixelBytes(decodePng(encode(rgba16)), 0, 0), (Bytes{0x9A, 0x56, 0x12, 255}));

  // 4-bit palette with alpha for the first entry only.
  PngSpec indexed = spec(3, 4, 3, {{0x01, 0x20}});
  indexed.beforeData = {{"PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255}}, {"tRNS", {51}}};
  const Bitmap p = decodePng(encode(indexed));
  EXPECT_EQ(pixelBytes(p, 0, 0), (Bytes{0, 0, 51, 51}));
  EXPECT_EQ(pixelBytes(p, 1, 0), (Bytes{0, 255, 0, 255}));
  EXPECT_EQ(pixelBytes(p, 2, 0), (Bytes{255, 0, 0, 255}));
}

void expectRefused(const Bytes& file, const std::string& reason) {
  try {
    decodePng(file);
    ADD_FAILURE() << "accepted a file that should fail with: " << reason;
  } catch (const PngError& e) {
    EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
  }
}

TEST(Png, DamagedOrUnsupportedFilesAreRefusedWithTheReason) {
  const Bytes good = encode(rgbaPicture());
  Bytes badSignature = good;
  badSignature[1] = 'X';
  expectRefused(badSignature, "bad signature");
  Bytes badCrc = good;
  badCrc[20] ^= 1;  // inside IHDR's data
  expectRefused(badCrc, "CRC mismatch");

  PngSpec interlaced = rgbaPicture();
  interlaced.interlace = 1;
  expectRefused(encode(interlaced), "interlaced");
  PngSpec badDepth = rgbaPicture();
  badDepth.depth = 4;
  expectRefused(encode(badDepth), "bit depth 4");
  PngSpec huge = spec(100000, 8, 6, {});  // refused before any allocation
  huge.height = 100000;
  expectRefused(encode(huge), "too large");
  PngSpec zero = rgbaPicture();
  zero.width = 0;
  expectRefused(encode(zero), "no pixels");

  PngSpec shortData = rgbaPicture();
  shortData.height = 11;  // one row more than the data holds
  expectRefused(encode(shortData), "ends too early");
  PngSpec longData = rgbaPicture();
  longData.height = 9;
  expectRefused(encode(longData), "more image data");
  PngSpec badFilter = rgbaPicture();
  badFilter.filters = {0, 5};
  expectRefused(encode(badFilter), "unknown row filter 5");
  PngSpec outOfPalette = spec(2, 8, 3, {{0, 2}});
  outOfPalette.beforeData = {{"PLTE", {1, 2, 3, 4, 5, 6}}};
  expectRefused(encode(outOfPalette), "colour 2 of a palette of 2");
  PngSpec noPalette = spec(1, 8, 3, {{0}});
  expectRefused(encode(noPalette), "without a PLTE");
  PngSpec unknown = rgbaPicture();
  unknown.beforeData = {{"ABCD", {1}}};
  expectRefused(encode(unknown), "unknown critical chunk ABCD");
  PngSpec ancillary = rgbaPicture();
  ancillary.beforeData = {{"tEXt", {'a', 0, 'b'}}};
  EXPECT_NO_THROW(decodePng(encode(ancillary)));

  Bytes noHeader = {137, 80, 78, 71, 13, 10, 26, 10};
  putChunk(noHeader, "IDAT", {});
  expectRefused(noHeader, "not IHDR");
  Bytes lengthPastEnd = good;
  lengthPastEnd[8] = 0x40;  // IHDR's length now far beyond the file
  expectRefused(lengthPastEnd, "past the end");
}

// Every prefix of a file and every single flipped byte: refused or decoded, never a crash or a
// read outside the buffer (the sanitizer build checks the latter).
TEST(Png, TruncatedAndCorruptedFilesNeverCrash) {
  PngSpec s = rgbaPicture();
  s.filters = {0, 1, 2, 3, 4};
  const Bytes good = encode(s);
  for (std::size_t size = 0; size < good.size(); ++size) {
    const Bytes prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_THROW(decodePng(prefix), PngError) << "prefix of " << size << " bytes";
  }
  for (std::size_t i = 0; i < good.size(); ++i) {
    Bytes damaged = good;
    damaged[i] ^= 0x5A;
    try {
      decodePng(damaged);
    } catch (const PngError&) {
    }
  }
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(Png, ThePalettesPicturesAreOpaqueLineDrawingsAndMirrorEachOther) {
  const std::string dir = ORBELLE_RESOURCES_SOURCE_DIR;
  std::array<Bitmap, 4> pictures;
  const std::array<const char*, 4> names = {"PLANE_L", "PLANE_R", "PLANE_TL", "PLANE_TR"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    const Bytes file = readFile(dir + "/" + names[i] + ".png");
    ASSERT_FALSE(file.empty());
    pictures[i] = decodePng(file);
    ASSERT_EQ(pictures[i].width, 113);
    ASSERT_EQ(pictures[i].height, 110);
    int white = 0, grey = 0;
    for (int y = 0; y < 110; ++y) {
      for (int x = 0; x < 113; ++x) {
        const std::uint8_t* p = pictures[i].pixel(x, y);
        ASSERT_EQ(p[3], 255) << x << "," << y;
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << "not grey at " << x << "," << y;
        white += p[0] == 255;
        grey += p[0] >= 100 && p[0] <= 190;
      }
    }
    EXPECT_GT(white, 200);
    EXPECT_GT(grey, 50);
    EXPECT_EQ(pixelBytes(pictures[i], 0, 0), (Bytes{0, 0, 0, 255}));
  }
  // R is L mirrored left to right, TR is TL mirrored.
  for (std::size_t pair : {0u, 2u}) {
    for (int y = 0; y < 110; ++y)
      for (int x = 0; x < 113; ++x)
        ASSERT_EQ(pixelBytes(pictures[pair], x, y), pixelBytes(pictures[pair + 1], 112 - x, y));
  }
}

}  // namespace
}  // namespace orbelle::ui
