// GoogleTest's port header needs std::mutex and std::condition_variable for one class, its
// Notification, and the mingw-w64 toolchain of the win32 thread model has neither before GCC 13.
// This Notification waits on an atomic flag instead. It serves only GoogleTest's own thread
// helpers, which single-threaded tests such as these never start.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true, std::memory_order_release); }
  void WaitForNotification() {
    while (!notified_.load(std::memory_order_acquire)) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
