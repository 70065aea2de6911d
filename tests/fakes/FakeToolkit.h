#pragma once
// Records every toolkit call as one line of an event log, and answers the
// question and the folder chooser from scripted values.
#include <string>
#include <vector>

#include "app/Toolkit.h"

namespace vellumo::testing {

class FakeToolkit : public Toolkit {
 public:
  void SetDialogOuterHeight(int pixels) override;
  void SetImageVisible(const std::string& imageName, bool visible) override;
  void ProcessMessages() override;
  void BringToFront() override;
  void CloseDialog() override;
  void SetCursor(CursorKind cursor) override;
  void ShowMessage(const std::string& text) override;
  DialogAnswer AskYesNo(const std::string& text) override;
  bool SelectDirectory(const std::string& title, std::string& folder) override;
  void ShowException(const std::string& message) override;

  bool IsVisible(const std::string& imageName) const;
  // The images currently shown, in no particular order.
  std::vector<std::string> VisibleImages() const;
  std::vector<std::string> Messages() const;  // texts of ShowMessage, in order
  bool Has(const std::string& event) const;
  // Index of the first event equal to `event`, or -1.
  int IndexOf(const std::string& event) const;

  std::vector<std::string> events;
  int height = 253;
  bool closed = false;
  CursorKind cursor = CursorKind::Default;
  DialogAnswer answer = DialogAnswer::No;
  bool chooserConfirms = false;
  std::string chosenFolder;

 private:
  std::vector<std::pair<std::string, bool>> images_;
};

}  // namespace vellumo::testing
