#pragma once

#include <string>
#include <vector>

#include "platform/fake/call_log.h"
#include "platform/message_boxes.h"

namespace platform::fake {

class FakeMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::u16string title;
    std::u16string text;
    MessageIcon icon;
  };

  explicit FakeMessageBoxes(CallLog& log) : log_(log) {}

  void ShowOk(const std::u16string& title, const std::u16string& text, MessageIcon icon) override {
    shown_.push_back({title, text, icon});
    log_.Add("ShowOk");
  }
  bool AskYesNo(const std::u16string& title, const std::u16string& text,
                MessageIcon icon) override {
    shown_.push_back({title, text, icon});
    log_.Add("AskYesNo");
    return answerYes_;
  }

  std::vector<Shown> shown_;
  bool answerYes_ = false;

 private:
  CallLog& log_;
};

}  // namespace platform::fake
