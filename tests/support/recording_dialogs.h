#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "common/dialogs.h"

// Records every dialog; questions and input prompts take their answers from queues the test fills.
class TRecordingDialogs : public IDialogs {
 public:
  struct TEntry {
    enum class Kind { Message, Confirm, Input } What;
    TMsgDlgType Type = TMsgDlgType::mtInformation;  // for messages; confirms are warnings
    std::string Text;                                // message text, question, or input prompt
    std::string Caption;                             // input dialogs only
  };

  void ShowMessage(TMsgDlgType kind, const std::string& text) override;
  bool ConfirmWarning(const std::string& text) override;
  std::string InputQuery(const std::string& caption, const std::string& prompt,
                         const std::string& initial) override;

  // Answers for the next questions (default: No) and input dialogs (default: cancelled).
  void QueueConfirm(bool yes);
  void QueueInput(const std::string& typed);
  void QueueInputCancel();

  std::vector<TEntry> Entries() const;
  std::vector<std::string> MessageTexts() const;
  size_t Count() const;
  void Clear();

 private:
  mutable std::mutex FMutex;
  std::vector<TEntry> FEntries;
  std::deque<bool> FConfirms;
  std::deque<std::pair<bool, std::string>> FInputs;  // (confirmed, text)
};
