// Force-included into GoogleTest and the unit tests where the compiler's standard library has
// no std::mutex (MinGW's win32 thread model before GCC 13). GoogleTest needs one only for its
// Notification, which starts the threads of its own thread tests; ours start none. This one
// keeps the same calls on an atomic flag.
#pragma once
#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {
class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};
}  // namespace testing::internal
