// One ordered record of every call the fakes receive, platform and host alike, in a form that
// tests compare exactly.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace orbelle::fake {

struct Call {
  // "Desktop", "Connector", "Application", "Document", "Input", "Selection", "StateLink",
  // "State", or a drawing object as "Object:name", "Entity:name", "Text:name": the interface
  // it was reached through, then the object.
  std::wstring object;
  std::wstring operation;  // the C++ seam method
  std::vector<std::wstring> args;

  // "Document.sendCommand": how failures are aimed at a call.
  std::wstring key() const;

  friend bool operator==(const Call&, const Call&) = default;
};

void PrintTo(const Call& call, std::ostream* out);

// Exact texts for arguments: the shortest that reads back to the same bits (so 0 and -0
// differ), and integers in decimal.
std::wstring number(double value);
std::wstring integer(long long value);

// A host call of a clean run, to fail in a later one: the `occurrence`-th call with `key`.
struct CallSite {
  std::wstring key;
  int occurrence;
  std::size_t index;  // its place in the clean run's log
};

class CallLog {
 public:
  void record(Call call) { calls_.push_back(std::move(call)); }
  const std::vector<Call>& calls() const { return calls_; }
  void clear() { calls_.clear(); }

  // The calls whose object starts with `objectPrefix`, in order.
  std::vector<Call> on(std::wstring_view objectPrefix) const;
  // The calls with this key ("Document.sendCommand"), in order.
  std::vector<Call> of(std::wstring_view key) const;
  // The texts sent to the host's command line, in order.
  std::vector<std::wstring> commands() const;
  // Every call that reached the host (not the desktop), with its occurrence.
  std::vector<CallSite> hostCallSites() const;

 private:
  std::vector<Call> calls_;
};

// UTF-8 with control characters escaped, for messages.
std::string printable(std::wstring_view text);

}  // namespace orbelle::fake
