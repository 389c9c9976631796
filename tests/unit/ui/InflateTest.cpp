#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui/Inflate.h"

namespace orbelle::ui {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes deflateWith(const Bytes& data, int windowBits) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, static_cast<uLong>(data.size())) + 32);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

Bytes sample(std::size_t size) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i)
    data[i] = static_cast<std::uint8_t>((i * 7919) % 251);
  return data;
}

TEST(Inflate, GzipInflatesWithinItsLimitAndRefusesToGoPastIt) {
  const Bytes data = sample(100000);  // more than the first buffer, so it has to grow
  const Bytes gz = deflateWith(data, 16 + MAX_WBITS);
  EXPECT_EQ(inflateAll(gz, CompressedFormat::Gzip, data.size()), data);
  EXPECT_THROW(inflateAll(gz, CompressedFormat::Gzip, data.size() - 1), InflateError);
  // A zlib stream is not a gzip file.
  EXPECT_THROW(inflateAll(deflateWith(data, MAX_WBITS), CompressedFormat::Gzip, data.size()),
               InflateError);
}

TEST(Inflate, TruncatedCorruptOrTrailingDataIsRefused) {
  const Bytes gz = deflateWith(sample(5000), 16 + MAX_WBITS);
  const Bytes truncated(gz.begin(), gz.end() - 3);  // the trailer's checks cut short
  EXPECT_THROW(inflateAll(truncated, CompressedFormat::Gzip, 1 << 20), InflateError);
  Bytes corrupt = gz;
  corrupt[corrupt.size() - 6] ^= 0xFF;  // inside the CRC of the trailer
  EXPECT_THROW(inflateAll(corrupt, CompressedFormat::Gzip, 1 << 20), InflateError);
  Bytes trailing = gz;
  trailing.push_back(0);
  EXPECT_THROW(inflateAll(trailing, CompressedFormat::Gzip, 1 << 20), InflateError);
  EXPECT_THROW(inflateAll({}, CompressedFormat::Gzip, 1 << 20), InflateError);
}

TEST(Inflate, AStreamFedInPiecesFillsTheBufferAsOneWould) {
  const Bytes data = sample(3000);
  const Bytes z = deflateWith(data, MAX_WBITS);
  Bytes out(data.size());
  Inflater inflater(CompressedFormat::Zlib);
  for (std::size_t i = 0; i < z.size(); ++i)
    EXPECT_EQ(inflater.inflateSome(std::span(z).subspan(i, 1), out), 1u);
  EXPECT_TRUE(inflater.finished());
  EXPECT_EQ(inflater.produced(), data.size());
  EXPECT_EQ(out, data);
}

TEST(Inflate, TheBuildsCompressedThemeHoldsTheThemeFile) {
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  };
  const Bytes source = read(ORBELLE_RESOURCES_SOURCE_DIR "/Windows10Dark.theme");
  const Bytes gz = read(ORBELLE_RESOURCES_BINARY_DIR "/Windows10Dark.theme.gz");
  ASSERT_FALSE(source.empty());
  ASSERT_FALSE(gz.empty());
  EXPECT_EQ(inflateAll(gz, CompressedFormat::Gzip, 64 * 1024), source);
}

}  // namespace
}  // namespace orbelle::ui
