#pragma once

#include <string>

#include "platform/app_lifetime.h"
#include "platform/fake/call_log.h"
#include "platform/session.h"

namespace platform::fake {

class FakeSession : public Session {
 public:
  std::u16string ProgramFolder() override { return programFolder_; }
  std::u16string WindowsDirectory() override { return windowsDirectory_; }
  std::u16string Arguments() override { return arguments_; }

  std::u16string programFolder_ = u"C:\\Tools\\Tidewarden";
  std::u16string windowsDirectory_ = u"C:\\WINDOWS";
  std::u16string arguments_;
};

class FakeAppLifetime : public AppLifetime {
 public:
  explicit FakeAppLifetime(CallLog& log) : log_(log) {}

  bool ClaimSingleInstance() override { return ClaimIsOurs(claim_); }
  long long MainWindowHandle() override { return handle_; }
  void Quit() override {
    log_.Add("Quit");
    quit_ = true;
  }

  InstanceClaim claim_ = InstanceClaim::Created;  // Windows' answer to the claim
  long long handle_ = 3342546;
  bool quit_ = false;

 private:
  CallLog& log_;
};

}  // namespace platform::fake
