#pragma once
// The modal prompts of the run and of start-up: plain message, Yes/No
// question, error box and folder chooser. In unattended mode they answer by
// themselves (see UnattendedMode.h).
#include <string>

#include "app/Toolkit.h"
#include "app/qt/UnattendedMode.h"

class QWidget;

namespace vellumo {

class UserPrompts {
 public:
  explicit UserPrompts(UnattendedMode unattended = UnattendedMode());

  // `parent` may be nullptr; a box with a parent is centred on it.
  void ShowMessage(QWidget* parent, const std::string& text);
  DialogAnswer AskYesNo(QWidget* parent, const std::string& text);
  void ShowError(QWidget* parent, const std::string& message);
  // Folder chooser without parent; the folder comes back with the
  // platform's separators.
  bool SelectDirectory(const std::string& title, std::string& folder);

  UnattendedMode& Unattended() { return unattended_; }

 private:
  UnattendedMode unattended_;
};

}  // namespace vellumo
