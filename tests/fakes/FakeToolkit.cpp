#include "fakes/FakeToolkit.h"

#include <algorithm>

namespace vellumo::testing {

void FakeToolkit::SetDialogOuterHeight(int pixels) {
  height = pixels;
  events.push_back("height " + std::to_string(pixels));
}

std::string FakeToolkit::StepName(Step step) {
  switch (step) {
    case Step::EtatConnexionReadConf: return "EtatConnexionReadConf";
    case Step::EtatConnexionCheckConf: return "EtatConnexionCheckConf";
    case Step::EtatConnexionResultat: return "EtatConnexionResultat";
    case Step::VellumoReadConf: return "VellumoReadConf";
    case Step::VellumoPreparation: return "VellumoPreparation";
    case Step::VellumoConnexion: return "VellumoConnexion";
    case Step::VellumoResultat: return "VellumoResultat";
  }
  return "?";
}

std::string FakeToolkit::ImageName(Step step, StepMark mark) {
  return "Img" + StepName(step) + (mark == StepMark::Passed ? "Yes" : "No");
}

std::vector<std::string> FakeToolkit::AllStepNames() {
  std::vector<std::string> names;
  for (Step step : kAllSteps) names.push_back(StepName(step));
  return names;
}

void FakeToolkit::SetStepMarkVisible(Step step, StepMark mark, bool visible) {
  SetImageVisible(ImageName(step, mark), visible);
}

void FakeToolkit::SetImageVisible(const std::string& imageName, bool visible) {
  events.push_back((visible ? "show " : "hide ") + imageName);
  for (auto& image : images_) {
    if (image.first == imageName) {
      image.second = visible;
      return;
    }
  }
  images_.emplace_back(imageName, visible);
}

void FakeToolkit::ProcessMessages() {
  events.emplace_back("process");
  if (onProcess) onProcess();
}

void FakeToolkit::ProcessMessagesFor(int milliseconds) {
  events.push_back("process for " + std::to_string(milliseconds));
  if (onProcess) onProcess();
}

void FakeToolkit::SetStepText(Step step, const std::string& text) {
  stepTexts[step].push_back(text);
}
void FakeToolkit::BringToFront() { events.emplace_back("front"); }

void FakeToolkit::CloseDialog() {
  closed = true;
  events.emplace_back("close");
}

void FakeToolkit::SetCursor(CursorKind kind) {
  cursor = kind;
  events.push_back("cursor " + std::to_string(static_cast<int>(kind)));
}

void FakeToolkit::ShowMessage(const std::string& text) { events.push_back("message " + text); }

DialogAnswer FakeToolkit::AskYesNo(const std::string& text) {
  events.push_back("question " + text);
  return answer;
}

bool FakeToolkit::SelectDirectory(const std::string& title, std::string& folder) {
  events.push_back("chooser " + title);
  if (chooserConfirms) folder = chosenFolder;
  return chooserConfirms;
}

void FakeToolkit::ShowException(const std::string& message) {
  events.push_back("exception " + message);
}

bool FakeToolkit::IsVisible(const std::string& imageName) const {
  for (const auto& image : images_)
    if (image.first == imageName) return image.second;
  return false;
}

std::vector<std::string> FakeToolkit::VisibleImages() const {
  std::vector<std::string> shown;
  for (const auto& image : images_)
    if (image.second) shown.push_back(image.first);
  return shown;
}

std::vector<std::string> FakeToolkit::Messages() const {
  std::vector<std::string> texts;
  const std::string prefix = "message ";
  for (const auto& event : events)
    if (event.rfind(prefix, 0) == 0) texts.push_back(event.substr(prefix.size()));
  return texts;
}

bool FakeToolkit::Has(const std::string& event) const { return IndexOf(event) >= 0; }

int FakeToolkit::IndexOf(const std::string& event) const {
  auto found = std::find(events.begin(), events.end(), event);
  return found == events.end() ? -1 : static_cast<int>(found - events.begin());
}

}  // namespace vellumo::testing
