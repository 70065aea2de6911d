#pragma once
// The progress dialog: two groups of steps, each step a label and a pair of
// images (red cross, green check) lying on top of each other. It holds no
// run logic; it tells its owner when to start the job.
#include <QDialog>
#include <QLabel>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "app/Step.h"
#include "app/qt/StepPictures.h"

namespace vellumo {

class VellumoDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 264;
  static constexpr int kDesignedClientHeight = 225;
  // The designed window frame: outer height minus client height.
  static constexpr int kDesignedFrameHeight = 28;

  explicit VellumoDialog(QWidget* parent = nullptr);

  // Client height in pixels; the width stays kClientWidth and the size fixed.
  void SetClientHeight(int pixels);
  // The image component of that name, or nullptr.
  QLabel* Image(const std::string& name) const;
  // The image showing that mark of the step ("Img" + step + "Yes" or "No").
  QLabel* StepImage(Step step, StepMark mark) const;

  // Called, through the event queue, once after the first paint and again on
  // every later activation of the window. Under a window system that never
  // activates the window (no window manager, offscreen) the first paint
  // alone starts the job.
  void SetActivationHandler(std::function<void()> handler);
  // Asked on every close (close button, Alt+F4, close()): false keeps the
  // dialog open. Without a handler the dialog closes.
  void SetCloseHandler(std::function<bool()> handler);
  // The label of a step ("lb" + step), or nullptr.
  QLabel* StepLabel(Step step) const;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void AddLabel(const char* name, const QString& text, int left, int top, bool bold);
  void AddImage(const char* name, StepPicture picture, int left, int top);
  // Gives each image its step's label text as accessible description.
  void TieMarksToSteps();
  // Renders the pictures for the screen the dialog is on.
  void UpdatePictures();
  void PostActivation();

  struct ImageSlot {
    QLabel* label;
    StepPicture picture;
  };
  std::vector<ImageSlot> images_;
  std::function<void()> activationHandler_;
  std::function<bool()> closeHandler_;
  bool painted_ = false;
};

}  // namespace vellumo
