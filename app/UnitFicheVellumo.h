#pragma once
// The progress dialog's state and the run's operations. It reaches the
// screen only through the Toolkit seam and the system through
// SystemServices, so the whole run can be driven by fakes.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/Step.h"
#include "smtp/NetworkWaitObserver.h"

namespace vellumo {

class IniDocument;
class IniFile;
class ProvisionalMarker;
class FileSystem;
class SmtpClientFactory;
class SystemServices;
class Toolkit;
class TSMTPConfig;

class SendProgressLine;

class TFicheVellumo : private NetworkWaitObserver {
 public:
  TFicheVellumo(Toolkit& toolkit, SystemServices& system, SmtpClientFactory& clients);
  ~TFicheVellumo();
  TFicheVellumo(const TFicheVellumo&) = delete;
  TFicheVellumo& operator=(const TFicheVellumo&) = delete;

  void SetConfigPath(const std::string& path) { configPath_ = path; }
  std::string GetConfigPath() const { return configPath_; }
  void SetRunMode(std::int32_t mode) { runMode_ = mode; }
  std::int32_t GetRunMode() const { return runMode_; }

  bool ErrorFlag() const { return errorFlag_; }
  const std::string& ErrorMessage() const { return errorMessage_; }
  const std::string& DocumentPath() const { return documentPath_; }
  const std::string& DocumentFileName() const { return documentFileName_; }

  // Called by the toolkit each time the dialog is activated, after its first
  // paint. Starts the job the first time only.
  void OnActivated();
  bool RunStarted() const { return runStarted_; }

  // Called by the toolkit when the user asks to close the dialog (close
  // button, Alt+F4). Returns true when it may close now: only once the run
  // has ended. Before that the close is refused, and while the run's job
  // goes on it cancels the job's network work: the run then ends as a
  // failure and closes the dialog itself.
  bool OnCloseRequested();
  // The user's close stopped the network work.
  bool Cancelled() const { return cancelled_; }

  // The run controller: one whole job, then the dialog closes.
  void FormActivate();

  // Outer height in pixels, designed frame included.
  void SetOuterHeight(int pixels);
  void MarkStepPassed(Step step);

  // Connection check; see CheckSMTPConnection.cpp.
  std::unique_ptr<TSMTPConfig> CheckSMTPConnection(bool keepConnection);
  std::unique_ptr<TSMTPConfig> CreateSMTPConfig(const IniDocument& ini);
  // Send procedure; see DeliverMessage.cpp.
  void DeliverMessage(TSMTPConfig& smtp);
  // After a failed send: offers to copy the document into a folder.
  void OfferManualSave();

  // The run's way to files: every read of the host's file goes through it.
  FileSystem& Files() const;

  // Raising a failure: sets the error flag and replaces the message.
  void RaiseFailure(const std::string& text);
  void AppendToErrorMessage(const std::string& text) { errorMessage_ += text; }

 private:
  // The network work's waits: the dialog's events go on, and a close asked
  // meanwhile stops the work.
  bool OnWaiting() override;
  void OnMessageProgress(std::uint64_t sent, std::uint64_t total) override;
  // The client stopped because the user closed the dialog: `e` is its
  // failure. A close that stopped nothing that mattered (the wait for the
  // reply to QUIT) leaves the outcome as it is.
  void NoteIfCancelled(const std::exception& e);

  // `jobRan`: reading succeeded and the run mode's job was started.
  void ReportOutcome(IniFile* ini, const ProvisionalMarker* provisional, bool jobRan);
  // The send procedure's reading phase: the host's file read once, the
  // document's path and name kept for the manual save; marks the mail
  // group's first step. Null after a failure.
  std::unique_ptr<IniDocument> ReadMessageDocument();

  Toolkit& toolkit_;
  SystemServices& system_;
  SmtpClientFactory& clients_;

  std::int32_t runMode_ = 1;
  std::string configPath_;
  bool errorFlag_ = false;
  std::string errorMessage_;
  std::string documentPath_;
  std::string documentFileName_;
  bool runStarted_ = false;
  bool jobEnded_ = false;    // the pause before the outcome has begun
  bool runEnded_ = false;    // the run is closing the dialog
  bool closeAsked_ = false;  // the user asked to close during the job
  bool cancelled_ = false;
  std::unique_ptr<SendProgressLine> sendProgress_;  // while the message goes
};


}  // namespace vellumo
