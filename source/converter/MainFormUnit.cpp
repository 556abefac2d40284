#include "converter/MainFormUnit.h"

#include <errno.h>
#include <signal.h>
#include <sys/stat.h>

#include <new>
#include <utility>

#include "common/units/LocalizationStore.h"
#include "common/units/MessageBoxes.h"
#include "converter/AboutFormUnit.h"
#include "converter/languages/ZUKConverterLocalizationStore.h"
#include "exam/RVMainStyle.h"
#include "exam/ZUKConverter.h"
#include "exam/ZUKException.h"
#include "exam/ZUKRVStyle.h"
#include "exam/ZUKViewerExportView.h"
#include "platform/core/Files.h"
#include "platform/core/MemoryReserve.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/SystemColors.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Application.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Messaging.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/RVViewer.h"

namespace {

std::vector<std::string> g_arguments;

// The bullet of the sheet's image-list bullets: a small dark square on the 9 x 6 cell.
std::unique_ptr<TBitmap> BulletImage() {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(9, 6);
  bitmap->Canvas().Brush().SetColor(clWhite);
  bitmap->Canvas().FillRect(Rect(0, 0, 9, 6));
  bitmap->Canvas().Brush().SetColor(clBlack);
  bitmap->Canvas().FillRect(Rect(2, 1, 6, 5));
  return bitmap;
}

/// A conversion writes files as large as the exam. Past the file-size limit (ulimit -f) the
/// system would end the program with SIGXFSZ, and a pipe whose reader went away with SIGPIPE,
/// leaving the temporary target and the picture folder behind; ignored, the write fails with
/// "File too large" or "Broken pipe" and the conversion cleans up and reports it, as after a
/// full disk.
void IgnoreWriteSignals() {
  signal(SIGXFSZ, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
}

/// The message for a source that FileExists did not find: `notFound` when nothing is there,
/// else the system's reason (a name too long, a folder that may not be entered).
std::string MissingSourceText(const std::string& path, const std::string& notFound) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 || errno == ENOENT || errno == ENOTDIR) return notFound;
  const int error = errno;
  return Format(LocalizedText("CANNOT_OPEN_FILE"), {path, SysErrorMessage(error)});
}

// The exam tree's node images, 16 x 16 each on a magenta key, in the order of the holders'
// image indexes: a book for the exam file, a folder for an exam, a page with a question mark
// for a question.
constexpr TColor kExamTreeImageKey = clFuchsia;

std::unique_ptr<TBitmap> ExamTreeImages() {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(48, 16);
  TCanvas& canvas = bitmap->Canvas();
  auto fill = [&canvas](TColor color, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    canvas.Brush().SetColor(color);
    canvas.FillRect(Rect(left, top, right, bottom));
  };
  fill(kExamTreeImageKey, 0, 0, 48, 16);
  // Book: cover, spine, the pages' edge and a label.
  fill(RGBColor(0, 0, 128), 2, 1, 12, 15);
  fill(RGBColor(0, 0, 64), 2, 1, 4, 15);
  fill(clWhite, 12, 2, 14, 15);
  fill(clYellow, 6, 4, 10, 6);
  // Folder: its tab, then the body inside a darker outline.
  fill(RGBColor(160, 120, 0), 17, 3, 23, 5);
  fill(RGBColor(160, 120, 0), 17, 5, 31, 14);
  fill(RGBColor(250, 210, 80), 18, 6, 30, 13);
  // Page with a question mark.
  fill(RGBColor(96, 96, 96), 35, 1, 45, 15);
  fill(clWhite, 36, 2, 44, 14);
  const TColor mark = RGBColor(0, 64, 192);
  fill(mark, 38, 3, 42, 4);
  fill(mark, 37, 4, 38, 6);
  fill(mark, 42, 4, 43, 7);
  fill(mark, 40, 7, 42, 8);
  fill(mark, 40, 8, 41, 10);
  fill(mark, 40, 11, 41, 12);
  return bitmap;
}

template <typename T>
T* Make(TComponent* owner, const char* name) {
  auto* component = new T(owner);
  component->SetName(name);
  return component;
}

}  // namespace

void SetProgramArguments(std::vector<std::string> arguments) {
  g_arguments = std::move(arguments);
}

TMainForm::TMainForm(TComponent* owner) : TZUKUIStateMainForm(owner) {
  SetName("MainForm");
  SetCaption("ZUK Converter");
  SetFormBorderStyle(bsSingle);
  SetBorderIcons(biSystemMenu | biMinimize);
  SetPosition(poScreenCenter);
  SetClientSize(439, 277);
  SetKeyPreview(true);
  CreateComponents();
  PlaceControls();
  OnCreate = [this](TObject*) { FormCreate(); };
  OnDestroy = [this](TObject*) { FormDestroy(); };
  OnShow = [this](TObject*) { ProcessCommandLine(); };
  OnActivate = [this](TObject*) { FormActivate(); };
  // A running conversion owns the window's state; closing now would free it underneath.
  OnCloseQuery = [this](TObject*, bool& canClose) { canClose = !converting_; };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (acMain->IsShortCut(key, shift)) key = 0;
  };
  AfterConstruction();
}

TMainForm::~TMainForm() {
  // The destroy handler frees what the components point into; run it while they exist.
  FormDestroy();
  OnDestroy = nullptr;
}

void TMainForm::CreateComponents() {
  acMain = Make<TActionList>(this, "acMain");
  acBrowse = Make<TAction>(this, "acBrowse");
  acBrowse->SetCaption("&Browse...");
  acBrowse->SetShortCut(scCtrl | 'O');
  acBrowse->OnExecute = [this](TObject*) { acBrowseExecute(); };
  OpenDialogZUK = Make<TOpenDialog>(this, "OpenDialogZUK");
  OpenDialogZUK->Filter = "ZUK Files (*.zuk)|*.zuk";
  bBrowse = Make<TButton>(this, "bBrowse");
  ilMain = Make<TImageList>(this, "ilMain");
  acConvert = Make<TAction>(this, "acConvert");
  acConvert->SetCaption("&Convert");
  acConvert->OnExecute = [this](TObject*) { acConvertExecute(); };
  MainStyle = Make<TRVStyle>(this, "MainStyle");
  SaveDialog = Make<TSaveDialog>(this, "SaveDialog");
  SaveDialog->DefaultExt = "zukm";
  SaveDialog->Filter = "ZUK Mobile Files (*.zukm)|*.zukm";
  SaveDialog->Options = ofHideReadOnly | ofOverwritePrompt | ofEnableSizing;
  bConvert = Make<TButton>(this, "bConvert");
  TempViewer = Make<TRVViewer>(this, "TempViewer");
  ilListBullet = Make<TImageList>(this, "ilListBullet");
  ExamTreeView = Make<TTreeView>(this, "ExamTreeView");
  SourceFileStaticText = Make<TStaticText>(this, "SourceFileStaticText");
  SourceFileEdit = Make<TEdit>(this, "SourceFileEdit");
  ConversionProgressBar = Make<TProgressBar>(this, "ConversionProgressBar");
  bExit = Make<TButton>(this, "bExit");
  bAbout = Make<TButton>(this, "bAbout");
  DescStaticText = Make<TStaticText>(this, "DescStaticText");
  InstructionsStaticText = Make<TStaticText>(this, "InstructionsStaticText");
  acExit = Make<TAction>(this, "acExit");
  acExit->SetCaption("E&xit");
  acExit->OnExecute = [this](TObject*) { acExitExecute(); };
  acAbout = Make<TAction>(this, "acAbout");
  acAbout->SetCaption("&About");
  acAbout->OnExecute = [this](TObject*) { acAboutExecute(); };
  for (TAction* action : {acBrowse, acConvert, acExit, acAbout}) action->SetActionList(acMain);

  ilListBullet->SetSize(9, 6);
  ilListBullet->Add(BulletImage().get(), nullptr);
  RVBuildMainStyle(*MainStyle, ilListBullet);
  styleTarget_ = std::make_unique<TZUKRVStyleTarget>(*MainStyle);
  TempViewer->SetStyle(MainStyle);
  TempViewer->SetDoInPaletteMode(rvpaCreateCopies);
  TempViewer->SetVisible(false);
  ilMain->AddMasked(ExamTreeImages().get(), kExamTreeImageKey);
  ExamTreeView->ReadOnly = true;
  ExamTreeView->Images = ilMain;
  ExamTreeView->Indent = 19;
  ExamTreeView->SetVisible(false);
  ConversionProgressBar->SetMin(0);
  ConversionProgressBar->SetMax(100);
  ConversionProgressBar->SetSmooth(true);
  DescStaticText->SetCaption(
      "ZUK Converter allows you to convert .zuk files to .zukm format used by ZUK Mobile.");
  InstructionsStaticText->SetCaption("Choose source file and click Convert.");
  SourceFileStaticText->SetCaption("&Source .zuk file:");
  DescStaticText->SetWordWrap(true);
  SourceFileStaticText->SetFocusControl(SourceFileEdit);
  LinkButton(bBrowse, acBrowse);
  LinkButton(bConvert, acConvert);
  LinkButton(bExit, acExit);
  LinkButton(bAbout, acAbout);
  bConvert->SetDefault(true);
}

void TMainForm::PlaceControls() {
  struct Placement {
    TWinControl* control;
    int32_t left, top, width, height;
  };
  const Placement placements[] = {
      {DescStaticText, 8, 6, 474, 32},
      {InstructionsStaticText, 8, 40, 474, 17},
      {SourceFileStaticText, 8, 62, 200, 17},
      {SourceFileEdit, 8, 80, 368, 21},
      {bBrowse, 384, 78, 90, 25},
      {ConversionProgressBar, 8, 112, 466, 17},
      {bConvert, 222, 140, 80, 25},
      {bAbout, 308, 140, 80, 25},
      {bExit, 394, 140, 80, 25},
      {TempViewer, 0, 0, 100, 100},
      {ExamTreeView, 0, 0, 100, 100},
  };
  for (const Placement& p : placements) {
    p.control->SetParent(this);
    p.control->SetBounds(p.left, p.top, p.width, p.height);
  }
}

void TMainForm::LinkButton(TButton* button, TAction* action) {
  button->SetCaption(action->Caption());
  button->OnClick = [action](TObject*) { action->Execute(); };
}

void TMainForm::AfterLocalize() {
  // Buttons show their actions' (now localised) captions.
  LinkButton(bBrowse, acBrowse);
  LinkButton(bConvert, acConvert);
  LinkButton(bExit, acExit);
  LinkButton(bAbout, acAbout);
  if (Application != nullptr) Application->SetTitle(Caption());
}

void TMainForm::FormCreate() {
  LocalizationStore = TLocalizationStore::Create<TZUKConverterLocalizationStore>();
  Converter.reset();
  SetHeight(220);
  SetWidth(490);
}

void TMainForm::FormDestroy() {
  Converter.reset();
  LocalizationStore.reset();
}

void TMainForm::Fail(const std::string& text, bool warning) {
  exitCode_ = 1;
  if (warning)
    ShowWarningMessage(this, text);
  else
    ShowErrorMessage(this, text);
}

void TMainForm::ProcessCommandLine() {
  const std::vector<std::string>& args = g_arguments;
  if (args.empty()) {
    RefuseWindowWithoutDisplay();
    return;
  }
  const std::string& first = args[0];
  if (first == "-c" || first == "-convert") {
    if (args.size() < 2) {
      Fail(Format(LocalizedText("YOU_SHOULD_SPECIFY_SOURCE_ZUK_FILE"), {first}), false);
      Close();
      return;
    }
    const std::string& source = args[1];
    if (LowerCase(ExtractFileExt(source)) != ".zuk") {
      Fail(LocalizedText("SOURCE_FILE_MUST_HAVE_ZUK_EXT"), false);
      Close();
      return;
    }
    if (!FileExists(source)) {
      Fail(MissingSourceText(source, Format(LocalizedText("CONVERTED_FILE_NOT_FOUND"), {source})), false);
      Close();
      return;
    }
    cmdSource_ = source;
    // Without a window nobody could choose a target in the save dialog: an empty target is
    // then an omitted one.
    const bool targetGiven = args.size() >= 3 && !(args[2].empty() && TApplication::Headless());
    cmdDest_ = targetGiven ? args[2] : ChangeFileExt(source, ".zukm");
    commandLineMode_ = true;
    return;
  }
  // A file handed to the program, as by a file manager.
  if (!FileExists(first)) {
    Fail(MissingSourceText(first, Format(LocalizedText("CONVERTED_FILE_NOT_FOUND"), {first})), false);
    Close();
    return;
  }
  const std::string ext = LowerCase(ExtractFileExt(first));
  if (ext == ".zukm") {
    Fail(LocalizedText("USE_ZUKMOBILE_TO_OPEN_ZUKM_FILES"), true);
    Close();
  } else if (ext == ".zuk") {
    Fail(LocalizedText("USE_MANAGER_TO_OPEN_ZUK_FILES"), true);
    Close();
  } else {
    RefuseWindowWithoutDisplay();
  }
}

void TMainForm::RefuseWindowWithoutDisplay() {
  if (!WindowNeedsDisplay || !TApplication::Headless()) return;
  const std::string display = TApplication::UnopenedDisplay();
  Fail(display.empty() ? LocalizedText("NO_DISPLAY_FOR_WINDOW")
                       : Format(LocalizedText("DISPLAY_NOT_OPENED"), {display}),
       false);
  Close();
}

void TMainForm::FormActivate() {
  // The window is activated again after every message box; the conversion starts only once.
  if (!commandLineMode_ || startPosted_) return;
  startPosted_ = true;
  SourceFileEdit->SetText(cmdSource_);
  try {
    if (Application != nullptr) Application->ProcessMessages();
  } catch (const std::bad_alloc&) {
    // Too little memory left to draw the window now: the conversion says so when it runs short.
  }
  PostMessage(this, WM_START_CONVERSION, 0, 0);
}

void TMainForm::WndProc(TMessage& message) {
  if (message.Msg == WM_START_CONVERSION) {
    DoConvert(cmdSource_, cmdDest_);
    return;
  }
  TZUKUIStateMainForm::WndProc(message);
}

void TMainForm::EnableControls(bool value) {
  for (TControl* control :
       {static_cast<TControl*>(InstructionsStaticText), static_cast<TControl*>(SourceFileStaticText),
        static_cast<TControl*>(SourceFileEdit), static_cast<TControl*>(bBrowse),
        static_cast<TControl*>(bAbout), static_cast<TControl*>(bExit), static_cast<TControl*>(bConvert),
        static_cast<TControl*>(DescStaticText)})
    control->SetEnabled(value);
  // Shortcuts run actions, not buttons: they follow the controls.
  for (TAction* action : {acBrowse, acConvert, acExit, acAbout}) action->SetEnabled(value);
}

void TMainForm::ConverterProgress(int64_t total, int64_t position) {
  const int percent =
      total != 0 ? static_cast<int>(Round(static_cast<double>(position) / static_cast<double>(total) * 100.0))
                 : 0;
  ConversionProgressBar->SetPosition(percent);
  if (Application != nullptr) Application->ProcessMessages();
}

void TMainForm::SaveConverted(const std::string& dest) {
  TZUKViewerExportView view(*TempViewer);
  Converter->SaveMobile(dest, view);
  ConversionProgressBar->SetPosition(0);
  // Questions beyond the format's limits are not in the file; a plain success would hide that.
  if (const int64_t leftOut = Converter->ExamCollection.LeftOutQuestions; leftOut > 0) {
    ShowWarningMessage(this, Format(LocalizedText("CONVERTED_QUESTIONS_LEFT_OUT"), {IntToStr(leftOut)}));
    return;
  }
  ShowInformationMessage(this, LocalizedText("CONVERTED_SUCCESSFULLY"));
}

void TMainForm::DoConvert(const std::string& source, const std::string& dest) {
  // Progress pumps messages, so a second request could arrive while this one runs.
  if (converting_) return;
  converting_ = true;
  IgnoreWriteSignals();
  // Should memory run out, the reserve gives the clean-up and the message room.
  HoldMemoryReserve();
  EnableControls(false);
  try {
    Converter.reset();
    Converter = std::make_unique<TZUKConverter>(source, ExamTreeView);
    struct FreeConverter {
      std::unique_ptr<TZUKConverter>& converter;
      ~FreeConverter() { converter.reset(); }
    } freeConverter{Converter};
    Converter->Style = styleTarget_.get();
    Converter->OnProgress = [this](int64_t total, int64_t position) { ConverterProgress(total, position); };
    Converter->Load(false);
    ConversionProgressBar->SetPosition(0);
    if (dest.empty()) {
      SaveDialog->InitialDir = ExtractFilePath(source);
      SaveDialog->FileName = ChangeFileExt(ExtractFileName(source), "");
      if (SaveDialog->Execute()) SaveConverted(SaveDialog->FileName);
    } else {
      SaveConverted(dest);
    }
  } catch (const std::bad_alloc&) {
    EnableControls(true);
    Fail(LocalizedText("OUT_OF_MEMORY"), false);
  } catch (const EZUKWrongExamFileType& e) {
    EnableControls(true);
    Fail(e.what(), true);
    FocusSourceEdit();
  } catch (const std::exception& e) {
    EnableControls(true);
    Fail(e.what(), false);
  }
  converting_ = false;
  EnableControls(true);
  ConversionProgressBar->SetPosition(0);
  if (commandLineMode_) Close();
}

void TMainForm::FocusSourceEdit() {
  if (SourceFileEdit->CanFocus()) SourceFileEdit->SetFocus();
}

void TMainForm::acBrowseExecute() {
  if (OpenDialogZUK->Execute()) SourceFileEdit->SetText(OpenDialogZUK->FileName);
}

void TMainForm::acConvertExecute() {
  const std::string text = SourceFileEdit->Text();
  if (!text.empty() && FileExists(text)) {
    DoConvert(text, "");
  } else if (!text.empty()) {
    ShowErrorMessage(this, MissingSourceText(text, LocalizedText("CONVERTER_FILE_NOT_FOUND_MESSAGE")));
  } else {
    ShowWarningMessage(this, LocalizedText("SPEFICY_SOURCE_ZUK_FILE"));
  }
  FocusSourceEdit();
}

void TMainForm::acAboutExecute() {
  TAboutForm about(this);
  about.ShowModal();
}

void TMainForm::acExitExecute() {
  Close();
}
