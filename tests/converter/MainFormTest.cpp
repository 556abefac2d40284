// The main window in the test process (offscreen): its localised make-up, every command-line
// case, the conversion driver with its message boxes, and the guards that keep one conversion
// at a time.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QTreeWidget>
#include <memory>
#include <sstream>

#include "ConverterTestSupport.h"
#include "common/units/LocalizationStore.h"
#include "converter/AboutFormUnit.h"
#include "converter/MainFormUnit.h"
#include "platform/core/Files.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Application.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Messaging.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/WidgetSupport.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/RVViewer.h"

using progtest::ExamFile;
using progtest::ScratchFolder;
using progtest::WriteFile;

namespace {

class MainFormTest : public ::testing::Test {
 protected:
  void TearDown() override { SetProgramArguments({}); }

  /// A main form built with `args` as the command line, its closing recorded.
  std::unique_ptr<TMainForm> Form(std::vector<std::string> args = {}) {
    SetProgramArguments(std::move(args));
    auto form = std::make_unique<TMainForm>();
    form->OnClose = [this](TObject*, TCloseAction&) { ++closed; };
    return form;
  }
  /// Runs `call` and answers what the message boxes printed (the toolkit's own notes left out).
  static std::string Boxes(const std::function<void()>& call) {
    ::testing::internal::CaptureStderr();
    call();
    std::istringstream printed(::testing::internal::GetCapturedStderr());
    std::string boxes;
    for (std::string line; std::getline(printed, line);)
      if (line.starts_with("ZUK Converter")) boxes += line + "\n";
    return boxes;
  }
  std::string Exam(const std::string& name, bool caseStudyFile = false) {
    WriteFile(dir.Path(name), ExamFile(caseStudyFile));
    return dir.Path(name);
  }

  ScratchFolder dir;
  int closed = 0;
};

TEST_F(MainFormTest, IsBuiltLocalisedAndTitlesTheApplication) {
  Application->SetTitle("");
  auto form = Form();
  EXPECT_EQ(form->Width(), 490);
  EXPECT_EQ(form->Height(), 220);
  EXPECT_EQ(form->Caption(), "ZUK Converter");
  EXPECT_EQ(Application->Title(), "ZUK Converter");
  ASSERT_TRUE(LocalizationStore);
  EXPECT_EQ(LocalizationStore->CurrentLanguageIndex(), 0);
  EXPECT_EQ(LocalizationStore->LanguageCount(), 2);
  // Buttons show their actions' localised captions.
  EXPECT_EQ(form->bBrowse->Caption(), "&Browse...");
  EXPECT_EQ(form->bExit->Caption(), "E&xit");
  EXPECT_EQ(form->DescStaticText->Caption(),
            "ZUK Converter allows you to convert .zuk files to .zukm format used by ZUK Mobile.");
  EXPECT_FALSE(form->TempViewer->Visible());
  EXPECT_FALSE(form->ExamTreeView->Visible());
  EXPECT_EQ(form->TempViewer->Style(), form->MainStyle);
  EXPECT_EQ(form->MainStyle->TextStyles().Count(), 17);
  EXPECT_EQ(form->MainStyle->ParaStyles().Count(), 17);
  EXPECT_EQ(form->MainStyle->ListStyles().Count(), 5);
}

TEST_F(MainFormTest, CtrlOBrowsesAndTheStoreGoesWithTheForm) {
  auto form = Form();
  int browsed = 0;
  form->acBrowse->OnExecute = [&](TObject*) { ++browsed; };
  uint16_t key = 'O';
  form->OnKeyDown(form.get(), key, ssCtrl);
  EXPECT_EQ(browsed, 1);
  EXPECT_EQ(key, 0);
  form.reset();
  EXPECT_FALSE(LocalizationStore);
}

struct CommandLineCase {
  const char* name;
  std::vector<std::string> args;  // "@" stands for the scratch folder
  bool commandLineMode;
  std::string dest;  // expected CmdDest, "@" prefixed
  bool closes;
  std::string printed;  // what the message box says ("" for no box)
};

TEST_F(MainFormTest, ReadsEveryKindOfCommandLine) {
  const std::string exam = Exam("exam.zuk");
  Exam("UPPER.ZUK");
  WriteFile(dir.Path("notes.txt"), "text");
  WriteFile(dir.Path("mobile.ZUKM"), "mobile");
  const CommandLineCase cases[] = {
      {"no arguments", {}, false, "", false, ""},
      {"-c alone", {"-c"}, false, "", true, "ZUK Converter: You should specify source .zuk file.\n"},
      {"-convert with default target", {"-convert", "@exam.zuk"}, true, "@exam.zukm", false, ""},
      {"explicit target, extra ignored", {"-c", "@exam.zuk", "@out.bin", "x"}, true, "@out.bin", false, ""},
      {"upper-case extension", {"-c", "@UPPER.ZUK"}, true, "@UPPER.zukm", false, ""},
      {"-c with a .txt source",
       {"-c", "@notes.txt"},
       false,
       "",
       true,
       "ZUK Converter: The source file must have .zuk extension.\n"},
      {"-c with a missing source",
       {"-c", "@gone.zuk"},
       false,
       "",
       true,
       "ZUK Converter: File \"@gone.zuk\" is not found.\n"},
      {"-C is a file name", {"-C"}, false, "", true, "ZUK Converter: File \"-C\" is not found.\n"},
      {"a handed .txt opens the window", {"@notes.txt"}, false, "", false, ""},
      {"a handed .zukm",
       {"@mobile.ZUKM"},
       false,
       "",
       true,
       "ZUK Converter: You have to use ZUK Mobile to open .zukm files.\n"},
      {"a handed .zuk",
       {"@exam.zuk"},
       false,
       "",
       true,
       "ZUK Converter: Use Pemry Manager to open .zuk files.\n"},
      {"a name that looks like a format",
       {"%s%d%n%x"},
       false,
       "",
       true,
       "ZUK Converter: File \"%s%d%n%x\" is not found.\n"},
  };
  auto expand = [&](std::string s) {
    if (s.starts_with("@")) s = dir.Path(s.substr(1));
    const size_t at = s.find('@');
    if (at != std::string::npos) s.replace(at, 1, dir.Path());
    return s;
  };
  for (const CommandLineCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(expand(a));
    closed = 0;
    auto form = Form(args);
    EXPECT_EQ(Boxes([&] { form->ProcessCommandLine(); }), expand(c.printed));
    EXPECT_EQ(form->CommandLineMode(), c.commandLineMode);
    EXPECT_EQ(closed, c.closes ? 1 : 0);
    EXPECT_EQ(form->ExitCode(), c.printed.empty() ? 0 : 1);
    if (c.commandLineMode) {
      EXPECT_EQ(form->CmdSource(), args[1]);
      EXPECT_EQ(form->CmdDest(), expand(c.dest));
    }
  }
}

TEST_F(MainFormTest, ConvertsOnceWhenShownFromTheCommandLineAndCloses) {
  const std::string exam = Exam("exam.zuk");
  auto form = Form({"-c", exam});
  const std::string printed = Boxes([&] {
    form->Show();
    progtest::PumpUntil([&] { return closed > 0; });
    // Showing and activating the window again starts nothing.
    form->Show();
    progtest::Pump(5);
  });
  EXPECT_EQ(printed, "ZUK Converter: The file has been converted successfully.\n");
  EXPECT_EQ(form->SourceFileEdit->Text(), exam);
  EXPECT_TRUE(FileExists(dir.Path("exam.zukm")));
  EXPECT_EQ(form->ExitCode(), 0);
  EXPECT_EQ(form->ConversionProgressBar->Position(), 0);
  EXPECT_TRUE(form->bConvert->Enabled());
}

TEST_F(MainFormTest, ConversionsNeverNestAndTheWindowStaysOpenMeanwhile) {
  const std::string exam = Exam("exam.zuk");
  auto form = Form({"-c", exam, dir.Path("out.zukm")});
  form->ProcessCommandLine();
  // A second start request and a close request wait in the queue; the conversion's progress
  // handler delivers them while it runs.
  progtest::TProbeControl probe;
  bool convertingSeen = false, stayedOpen = false, controlsDisabled = false;
  probe.OnMessage = [&](TMessage& m) {
    if (m.Msg != WM_USER + 7) return;
    convertingSeen = form->Converting();
    controlsDisabled = !form->bConvert->Enabled() && !form->acConvert->Enabled();
    form->Close();
    stayedOpen = closed == 0;
  };
  PostMessage(form.get(), WM_START_CONVERSION);
  PostMessage(&probe, WM_USER + 7);
  const std::string printed = Boxes([&] {
    SendMessage(form.get(), WM_START_CONVERSION);
    progtest::Pump(5);
  });
  EXPECT_TRUE(convertingSeen);
  EXPECT_TRUE(controlsDisabled);
  EXPECT_TRUE(stayedOpen);
  // The request that arrived during the conversion was dropped.
  EXPECT_EQ(printed, "ZUK Converter: The file has been converted successfully.\n");
  EXPECT_EQ(closed, 1);
}

TEST_F(MainFormTest, FailuresShowTheirBoxAndLeaveTheWindowUsable) {
  auto form = Form();
  const std::string caseStudy = Exam("case.zuk", true);
  EXPECT_EQ(
      Boxes([&] { form->DoConvert(caseStudy, dir.Path("case.zukm")); }),
      "ZUK Converter: The specified file is a case study based exam. ZUK Mobile supports only standard exam "
      "files.\n");
  EXPECT_FALSE(FileExists(dir.Path("case.zukm")));
  EXPECT_TRUE(form->SourceFileEdit->Enabled());
  EXPECT_EQ(closed, 0);
  EXPECT_EQ(form->ExitCode(), 1);

  WriteFile(dir.Path("broken.zuk"), "not an exam");
  const std::string printed =
      Boxes([&] { form->DoConvert(dir.Path("broken.zuk"), dir.Path("broken.zukm")); });
  EXPECT_TRUE(printed.starts_with("ZUK Converter: ")) << printed;
  EXPECT_EQ(printed.find("successfully"), std::string::npos);
  EXPECT_TRUE(form->bConvert->Enabled());
  EXPECT_FALSE(form->Converting());

  // A target that cannot be written.
  const std::string exam = Exam("exam.zuk");
  const std::string unwritable = Boxes([&] { form->DoConvert(exam, dir.Path("no/such/folder/exam.zukm")); });
  EXPECT_EQ(unwritable.find("successfully"), std::string::npos) << unwritable;
  EXPECT_FALSE(unwritable.empty());
}

TEST_F(MainFormTest, ThousandsOfQuestionsMakeOneExamTreeItemPerNode) {
  WriteFile(dir.Path("large.zuk"), ExamFile(false, 3, 800));
  auto form = Form();
  form->Show();  // the hidden exam tree gets its window, as in a command-line run
  auto* tree = qobject_cast<QTreeWidget*>(ClientWidgetOf(form->ExamTreeView)->parentWidget());
  ASSERT_NE(tree, nullptr);
  int itemsMade = 0;
  QObject::connect(tree->model(), &QAbstractItemModel::rowsInserted,
                   [&](const QModelIndex&, int first, int last) { itemsMade += last - first + 1; });
  EXPECT_EQ(Boxes([&] { form->DoConvert(dir.Path("large.zuk"), dir.Path("large.zukm")); }),
            "ZUK Converter: The file has been converted successfully.\n");
  EXPECT_EQ(itemsMade, 1 + 3 + 2400);
  // The converter went with its tree.
  EXPECT_EQ(tree->topLevelItemCount(), 0);
  EXPECT_EQ(form->ExamTreeView->Items.Count(), 0);
}

TEST_F(MainFormTest, ConvertButtonChecksTheSourceField) {
  auto form = Form();
  EXPECT_EQ(Boxes([&] { form->bConvert->Click(); }),
            "ZUK Converter: Please specify the source ZUK file name.\n");
  form->SourceFileEdit->SetText(dir.Path("missing %s.zuk"));
  EXPECT_EQ(Boxes([&] { form->bConvert->Click(); }), "ZUK Converter: The specified file doesn't exist.\n");
}

TEST_F(MainFormTest, ProgressIsAPercentageRoundedHalfToEven) {
  auto form = Form();
  form->ConverterProgress(200, 101);  // 50.5
  EXPECT_EQ(form->ConversionProgressBar->Position(), 50);
  form->ConverterProgress(200, 103);  // 51.5
  EXPECT_EQ(form->ConversionProgressBar->Position(), 52);
  form->ConverterProgress(0, 5);
  EXPECT_EQ(form->ConversionProgressBar->Position(), 0);
  form->ConverterProgress(int64_t{1} << 40, int64_t{1} << 40);
  EXPECT_EQ(form->ConversionProgressBar->Position(), 100);
}

TEST_F(MainFormTest, AboutBoxShowsTheVersionAndReportsAMissingBrowser) {
  auto form = Form();
  TAboutForm about(form.get());
  EXPECT_EQ(about.Caption(), "About ZUK Converter");
  EXPECT_EQ(about.VersionLabel->Caption(), "Version 1.0.215");
  EXPECT_EQ(about.CopyrightLabel->Caption().find("%"), std::string::npos);
  EXPECT_TRUE(about.bOK->Default() && about.bOK->Cancel());
  ASSERT_NE(about.ApplicationNameLabel->Font(), nullptr);
  EXPECT_TRUE(about.ApplicationNameLabel->Font()->Style().Contains(fsBold));
  EXPECT_EQ(about.ApplicationNameLabel->Font()->Size(), 11);
  ASSERT_NE(about.WebLinkLabel->Font(), nullptr);
  EXPECT_EQ(about.WebLinkLabel->Font()->Color(), clHotLight);
  EXPECT_TRUE(about.WebLinkLabel->Font()->Style().Contains(fsUnderline));
  about.Opener = "/nonexistent/opener";
  EXPECT_EQ(Boxes([&] { about.WebLinkLabelClick(); }),
            "ZUK Converter: Could not start your Internet Browser.\n");
  about.Opener = "true";
  EXPECT_EQ(Boxes([&] { about.WebLinkLabelClick(); }), "");
}

}  // namespace
