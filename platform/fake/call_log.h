#pragma once

#include <string>
#include <vector>

namespace platform::fake {

// One ordered record of the calls made to several fakes, so a test can check their order.
struct CallLog {
  std::vector<std::string> calls;
  void Add(std::string call) { calls.push_back(std::move(call)); }
};

}  // namespace platform::fake
