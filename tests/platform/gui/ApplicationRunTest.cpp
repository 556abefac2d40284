// The application's message loop ends when the main form closes. A program of its own: the
// application stays terminated afterwards.
#include <gtest/gtest.h>

#include <QTimer>

#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"

namespace {

TEST(ApplicationRunTest, RunEndsWhenTheMainFormCloses) {
  TApplication application;
  auto* form = application.CreateForm<TForm>();
  EXPECT_EQ(application.MainForm(), form);
  int shown = 0;
  form->OnShow = [&](TObject*) {
    ++shown;
    QTimer::singleShot(0, [form] { form->Close(); });
  };
  application.Run();
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(application.Terminated());
  EXPECT_FALSE(form->Visible());
  // A modal form of a terminated application ends at once, cancelled.
  TForm dialog(form);
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
}

}  // namespace
