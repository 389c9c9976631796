#include "ui/Inflate.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string>

namespace orbelle::ui {

struct Inflater::Stream {
  z_stream z{};
};

Inflater::Inflater(CompressedFormat format) : stream_(std::make_unique<Stream>()) {
  // 16 + MAX_WBITS makes zlib read (and check) a gzip header and trailer instead of zlib's.
  const int windowBits = format == CompressedFormat::Gzip ? 16 + MAX_WBITS : MAX_WBITS;
  if (inflateInit2(&stream_->z, windowBits) != Z_OK)
    throw InflateError("zlib's inflate cannot start (out of memory)");
}

Inflater::~Inflater() {
  inflateEnd(&stream_->z);
}

std::size_t Inflater::inflateSome(std::span<const std::uint8_t> input,
                                  std::span<std::uint8_t> output) {
  z_stream& z = stream_->z;
  // zlib counts in 32-bit uInt: very large spans go through in slices.
  constexpr std::size_t kSlice = std::numeric_limits<uInt>::max();
  std::uint8_t noRoom = 0;  // zlib wants a valid pointer even when there is no room left
  std::size_t consumed = 0;
  while (!finished_ && consumed < input.size()) {
    const std::size_t inSize = std::min(input.size() - consumed, kSlice);
    const std::size_t room = std::min(output.size() - produced_, kSlice);
    z.next_in = const_cast<Bytef*>(input.data() + consumed);  // zlib's API predates const
    z.avail_in = static_cast<uInt>(inSize);
    // With the buffer full, zlib can still read the stream's trailer, which needs no room.
    z.next_out = room > 0 ? output.data() + produced_ : &noRoom;
    z.avail_out = static_cast<uInt>(room);
    const int status = inflate(&z, Z_NO_FLUSH);
    consumed += inSize - z.avail_in;
    produced_ += room - z.avail_out;
    if (status == Z_STREAM_END) {
      finished_ = true;
    } else if (status == Z_BUF_ERROR && room == 0) {
      break;  // the stream needs more room than the buffer has: the caller decides
    } else if (status != Z_OK) {
      throw InflateError(z.msg != nullptr ? z.msg : "corrupt compressed data");
    }
  }
  return consumed;
}

std::vector<std::uint8_t> inflateAll(std::span<const std::uint8_t> input, CompressedFormat format,
                                     std::size_t maxOutput) {
  Inflater inflater(format);
  // The buffer grows as the data needs it, up to the limit: no size field is trusted.
  std::vector<std::uint8_t> output(std::min<std::size_t>(maxOutput, 16 * 1024));
  std::size_t used = 0;
  for (;;) {
    used += inflater.inflateSome(input.subspan(used), output);
    if (inflater.finished())
      break;
    if (used == input.size())
      throw InflateError("the compressed data ends too early");
    if (output.size() >= maxOutput)
      throw InflateError("the data inflates to more than the allowed " + std::to_string(maxOutput) +
                         " bytes");
    output.resize(std::min(maxOutput, output.size() * 4));
  }
  if (used != input.size())
    throw InflateError("data follows the end of the compressed stream");
  output.resize(inflater.produced());
  return output;
}

}  // namespace orbelle::ui
