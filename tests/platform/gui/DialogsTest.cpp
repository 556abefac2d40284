// File dialogs (filters, default extensions, a run driven like a user would), message boxes
// without a display, and starting the desktop's opener.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>

#include "GuiTestSupport.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Shell.h"

namespace {

TEST(DialogsTest, FilterStringsSplitIntoEntries) {
  const auto entries = ParseFilter("RVF files (*.rvf)|*.rvf|Text (*.txt;*.text)|*.txt;*.text|Broken|");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Description, "RVF files (*.rvf)");
  EXPECT_EQ(entries[1].Patterns, "*.txt;*.text");
  EXPECT_TRUE(ParseFilter("").empty());
  EXPECT_TRUE(ParseFilter("No patterns").empty());
}

TEST(DialogsTest, DefaultExtensionOnlyForNamesWithoutOne) {
  EXPECT_EQ(ApplyDefaultExt("/tmp/out", "zukm"), "/tmp/out.zukm");
  EXPECT_EQ(ApplyDefaultExt("/tmp/out", ".zukm"), "/tmp/out.zukm");
  EXPECT_EQ(ApplyDefaultExt("/tmp/out.html", "zukm"), "/tmp/out.html");
  EXPECT_EQ(ApplyDefaultExt("/tmp/my.dir/out", "zukm"), "/tmp/my.dir/out.zukm");
  EXPECT_EQ(ApplyDefaultExt("/tmp/out", ""), "/tmp/out");
}

TEST(DialogsTest, SaveDialogReturnsTheTypedNameWithItsExtension) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zuk-dialog-test";
  std::filesystem::create_directories(folder);
  TSaveDialog dialog;
  dialog.Filter = "Exams (*.zukm)|*.zukm|All files (*.*)|*.*";
  dialog.DefaultExt = "zukm";
  dialog.InitialDir = folder.string();
  dialog.Options |= ofOverwritePrompt;
  QTimer::singleShot(50, [] {
    auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->nameFilters().first(), "Exams (*.zukm)");
    auto* name = box->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText("result");
    QMetaObject::invokeMethod(box, "accept", Qt::QueuedConnection);
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, (folder / "result.zukm").string());
  EXPECT_EQ(dialog.FilterIndex, 1);
  std::filesystem::remove_all(folder);
}

TEST(DialogsTest, CancelledDialogKeepsTheFileName) {
  TOpenDialog dialog;
  dialog.FileName = "/tmp/keep.rvf";
  QTimer::singleShot(50, [] {
    if (QWidget* box = QApplication::activeModalWidget()) qobject_cast<QDialog*>(box)->reject();
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, "/tmp/keep.rvf");
}

TEST(DialogsTest, HeadlessMessageBoxPrintsCaptionAndTextAndReturnsOk) {
  ASSERT_TRUE(TApplication::Headless());
  bool placed = false;
  testing::internal::CaptureStderr();
  const int result =
      MessageBox(nullptr, "Cannot read the file.", "ZUK Converter", MB_ICONERROR, [&](const TRect&, TSize) {
        placed = true;
        return TPoint{};
      });
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ZUK Converter: Cannot read the file.\n");
  EXPECT_EQ(result, IDOK);
  EXPECT_FALSE(placed);
}

TEST(ShellTest, OpeningReportsWhetherTheOpenerStarted) {
  EXPECT_TRUE(ShellOpen("https://example.org/a b", "true"));
  EXPECT_FALSE(ShellOpen("https://example.org/", "/nonexistent/opener"));
  EXPECT_FALSE(ShellOpen("", "true"));
}

}  // namespace
