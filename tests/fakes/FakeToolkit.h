#pragma once
// Records every toolkit call as one line of an event log, and answers the
// question and the folder chooser from scripted values.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/Toolkit.h"

namespace vellumo::testing {

class FakeToolkit : public Toolkit {
 public:
  void SetDialogOuterHeight(int pixels) override;
  // Recorded under the form's image names, e.g. "ImgEtatConnexionReadConfYes".
  void SetStepMarkVisible(Step step, StepMark mark, bool visible) override;
  void ProcessMessages() override;
  void ProcessMessagesFor(int milliseconds) override;
  void SetStepText(Step step, const std::string& text) override;
  void BringToFront() override;
  void CloseDialog() override;
  void SetCursor(CursorKind cursor) override;
  void ShowMessage(const std::string& text) override;
  DialogAnswer AskYesNo(const std::string& text) override;
  bool SelectDirectory(const std::string& title, std::string& folder) override;
  void ShowException(const std::string& message) override;

  // The form's name of a step, e.g. "EtatConnexionReadConf", and of a mark.
  static std::string StepName(Step step);
  static std::string ImageName(Step step, StepMark mark);
  // The names of kAllSteps, in order.
  static std::vector<std::string> AllStepNames();
  // Where every mark ends up; subclasses may act on one.
  virtual void SetImageVisible(const std::string& imageName, bool visible);

  bool IsVisible(const std::string& imageName) const;
  // The images currently shown, in no particular order.
  std::vector<std::string> VisibleImages() const;
  std::vector<std::string> Messages() const;  // texts of ShowMessage, in order
  bool Has(const std::string& event) const;
  // Index of the first event equal to `event`, or -1.
  int IndexOf(const std::string& event) const;

  std::vector<std::string> events;
  // Run at each ProcessMessages, as a user acting while events are handled.
  std::function<void()> onProcess;
  // Every text each step's label took, in order.
  std::map<Step, std::vector<std::string>> stepTexts;
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
