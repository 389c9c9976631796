// A host operation that answered with a failure status. Every host call throws this on failure;
// the actions catch it at their outer edge, and a debugger reads what it carries: the member
// that failed, the status and the host's own description.
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
  // `member` names what was called ("GetPoint", "QueryInterface(IAcadText)"); `description`
  // is the host's own word on the failure, or why its answer could not be read; may be empty.
  HostError(std::int32_t status, std::wstring member, std::wstring description = {});

  std::int32_t status() const noexcept { return status_; }
  const std::wstring& member() const noexcept { return member_; }
  const std::wstring& description() const noexcept { return description_; }

  // "GetPoint failed: 0x80020009 (cancelled)", on one line.
  std::wstring line() const;

 private:
  std::int32_t status_;
  std::wstring member_;
  std::wstring description_;
};

}  // namespace orbelle
