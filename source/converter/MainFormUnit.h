// The converter's main window: choose a .zuk file, convert it to a .zukm file with progress and
// message boxes, or take the conversion from the command line and close when it is done.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "converter/ZUKUIStateForm.h"

class TAction;
class TActionList;
class TButton;
class TEdit;
class TImageList;
class TOpenDialog;
class TProgressBar;
class TRVStyle;
class TRVViewer;
class TSaveDialog;
class TStaticText;
class TTreeView;
class TZUKConverter;
class TZUKRVStyleTarget;

/// The message that starts a command-line conversion once the window is up.
constexpr uint32_t WM_START_CONVERSION = 0x0400 + 1;

/// The program's arguments (without the program name), read by the main form when it is shown.
void SetProgramArguments(std::vector<std::string> arguments);

class TMainForm : public TZUKUIStateMainForm {
 public:
  explicit TMainForm(TComponent* owner = nullptr);
  ~TMainForm() override;
  std::string ClassName() const override { return "TMainForm"; }

  TActionList* acMain;
  TAction* acBrowse;
  TOpenDialog* OpenDialogZUK;
  TButton* bBrowse;
  TImageList* ilMain;
  TAction* acConvert;
  TRVStyle* MainStyle;
  TSaveDialog* SaveDialog;
  TButton* bConvert;
  TRVViewer* TempViewer;
  TImageList* ilListBullet;
  TTreeView* ExamTreeView;
  TStaticText* SourceFileStaticText;
  TEdit* SourceFileEdit;
  TProgressBar* ConversionProgressBar;
  TButton* bExit;
  TButton* bAbout;
  TStaticText* DescStaticText;
  TStaticText* InstructionsStaticText;
  TAction* acExit;
  TAction* acAbout;

  void WndProc(TMessage& message) override;

  void ProcessCommandLine();
  /// Converts `source` into `dest` (asks for the target when `dest` is empty). Does nothing
  /// while a conversion runs.
  void DoConvert(const std::string& source, const std::string& dest);
  void EnableControls(bool value);
  void ConverterProgress(int64_t total, int64_t position);

  bool CommandLineMode() const { return commandLineMode_; }
  const std::string& CmdSource() const { return cmdSource_; }
  const std::string& CmdDest() const { return cmdDest_; }
  bool Converting() const { return converting_; }
  /// 0 until a command line or a conversion fails; then 1 (the program's exit status).
  int ExitCode() const { return exitCode_; }

  /// Set by the program: without a display, a run that would leave the window open for use
  /// says how to convert from the command line instead, and fails.
  bool WindowNeedsDisplay = false;

 protected:
  void AfterLocalize() override;

 private:
  void CreateComponents();
  void PlaceControls();
  void LinkButton(TButton* button, TAction* action);
  void FormCreate();
  void FormDestroy();
  void FormActivate();
  void acBrowseExecute();
  void acConvertExecute();
  void acAboutExecute();
  void acExitExecute();
  void SaveConverted(const std::string& dest);
  void FocusSourceEdit();
  /// Shows a failure and remembers it for the exit status.
  void Fail(const std::string& text, bool warning);
  /// Ends a run whose window would wait for a user who cannot see it (WindowNeedsDisplay).
  void RefuseWindowWithoutDisplay();

  std::unique_ptr<TZUKConverter> Converter;
  std::unique_ptr<TZUKRVStyleTarget> styleTarget_;
  std::string cmdSource_;
  std::string cmdDest_;
  bool commandLineMode_ = false;
  bool startPosted_ = false;
  bool converting_ = false;
  int exitCode_ = 0;
};
