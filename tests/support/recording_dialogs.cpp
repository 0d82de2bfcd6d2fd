#include "support/recording_dialogs.h"

void TRecordingDialogs::ShowMessage(TMsgDlgType kind, const std::string& text) {
  std::lock_guard lock(FMutex);
  FEntries.push_back({TEntry::Kind::Message, kind, text, ""});
}

bool TRecordingDialogs::ConfirmWarning(const std::string& text) {
  std::lock_guard lock(FMutex);
  FEntries.push_back({TEntry::Kind::Confirm, TMsgDlgType::mtWarning, text, ""});
  if (FConfirms.empty()) return false;
  bool yes = FConfirms.front();
  FConfirms.pop_front();
  return yes;
}

std::string TRecordingDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& initial) {
  std::lock_guard lock(FMutex);
  FEntries.push_back({TEntry::Kind::Input, TMsgDlgType::mtInformation, prompt, caption});
  if (FInputs.empty()) return initial;
  auto [confirmed, text] = FInputs.front();
  FInputs.pop_front();
  return confirmed ? text : initial;
}

void TRecordingDialogs::QueueConfirm(bool yes) {
  std::lock_guard lock(FMutex);
  FConfirms.push_back(yes);
}

void TRecordingDialogs::QueueInput(const std::string& typed) {
  std::lock_guard lock(FMutex);
  FInputs.emplace_back(true, typed);
}

void TRecordingDialogs::QueueInputCancel() {
  std::lock_guard lock(FMutex);
  FInputs.emplace_back(false, "");
}

std::vector<TRecordingDialogs::TEntry> TRecordingDialogs::Entries() const {
  std::lock_guard lock(FMutex);
  return FEntries;
}

std::vector<std::string> TRecordingDialogs::MessageTexts() const {
  std::lock_guard lock(FMutex);
  std::vector<std::string> texts;
  for (const auto& e : FEntries)
    if (e.What == TEntry::Kind::Message) texts.push_back(e.Text);
  return texts;
}

size_t TRecordingDialogs::Count() const {
  std::lock_guard lock(FMutex);
  return FEntries.size();
}

void TRecordingDialogs::Clear() {
  std::lock_guard lock(FMutex);
  FEntries.clear();
}
