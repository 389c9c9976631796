// A host operation that answered with a failure status. Every host call throws this on failure;
// the actions catch it at their outer edge.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace orbelle {

// COM status codes the portable code names.
inline constexpr std::int32_t kStatusFail = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t kStatusNoInterface = static_cast<std::int32_t>(0x80004002);
inline constexpr std::int32_t kStatusTypeMismatch = static_cast<std::int32_t>(0x80020005);
inline constexpr std::int32_t kStatusParamNotFound = static_cast<std::int32_t>(0x80020004);
inline constexpr std::int32_t kStatusException = static_cast<std::int32_t>(0x80020009);

class HostError : public std::runtime_error {
 public:
  HostError(std::int32_t status, const std::string& what)
      : std::runtime_error(what), status_(status) {}

  std::int32_t status() const noexcept { return status_; }

 private:
  std::int32_t status_;
};

}  // namespace orbelle
