// Keyboard cues of the form bases: hidden when a window opens, shown once the keyboard is
// used; and the message font.
#include <gtest/gtest.h>

#include "ApplicationFixture.h"
#include "common/units/UIStateForm.h"

namespace {

class UIStateFormTest : public ApplicationTest {
 protected:
  // A key that the focused control leaves to its form (the window side sends it there).
  static void Press(TForm& form, uint16_t key) { form.DialogKey(key, 0); }
};

TEST_F(UIStateFormTest, MainWindowOpensWithoutCuesAndAltShowsBoth) {
  TUIStateMainForm form;
  form.Show();
  EXPECT_TRUE(form.FocusCuesHidden());
  EXPECT_TRUE(form.AccelCuesHidden());
  Press(form, VK_MENU);
  EXPECT_FALSE(form.FocusCuesHidden());
  EXPECT_FALSE(form.AccelCuesHidden());
}

TEST_F(UIStateFormTest, TabShowsOnlyTheFocusRectangle) {
  TUIStateMainForm form;
  form.Show();
  Press(form, VK_TAB);
  EXPECT_FALSE(form.FocusCuesHidden());
  EXPECT_TRUE(form.AccelCuesHidden());
}

TEST_F(UIStateFormTest, ArrowsShowTheFocusInADialogButNotInTheMainWindow) {
  TUIStateMainForm mainForm;
  mainForm.Show();
  Press(mainForm, VK_DOWN);
  EXPECT_TRUE(mainForm.FocusCuesHidden());
  TUIStateForm about;
  about.Show();
  EXPECT_TRUE(about.FocusCuesHidden());  // initialised hidden: the last input was not a key
  Press(about, VK_DOWN);
  EXPECT_FALSE(about.FocusCuesHidden());
  EXPECT_TRUE(about.AccelCuesHidden());
}

TEST_F(UIStateFormTest, FormsUseTheMessageFont) {
  TUIStateForm form;
  TFont message;
  AssignMessageFont(message);
  EXPECT_EQ(form.Font().Name(), message.Name());
  EXPECT_EQ(form.Font().Height(), message.Height());
  EXPECT_NE(message.Name(), "");
}

}  // namespace
