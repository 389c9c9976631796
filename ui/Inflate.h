// zlib's inflate behind a small owner: the PNG pictures (zlib streams) and the embedded themes
// (gzip files) are decompressed through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

namespace orbelle::ui {

class InflateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class CompressedFormat { Zlib, Gzip };

// One compressed stream, inflated piece by piece into a buffer that the caller owns.
class Inflater {
 public:
  explicit Inflater(CompressedFormat format);
  ~Inflater();
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Inflates from `input` into `output`, after the bytes already produced, until the stream
  // ends, the input runs out or `output` is full; returns the input bytes consumed. Throws on
  // corrupt data.
  std::size_t inflateSome(std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

  std::size_t produced() const { return produced_; }
  bool finished() const { return finished_; }

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
  std::size_t produced_ = 0;
  bool finished_ = false;
};

// Inflates one whole stream of at most `maxOutput` bytes. Throws when the data is corrupt,
// ends early, inflates to more than `maxOutput` bytes or is followed by more data.
std::vector<std::uint8_t> inflateAll(std::span<const std::uint8_t> input, CompressedFormat format,
                                     std::size_t maxOutput);

}  // namespace orbelle::ui
