// Forms: modal runs and their results, closing with refusal, freeing on close, dialog keys,
// tab order and placement.
#include <gtest/gtest.h>

#include <QStyle>
#include <QTimer>

#include "GuiTestSupport.h"
#include "platform/gui/StdCtrls.h"

using guitest::Pump;
using guitest::Widget;

namespace {

// Runs `step` once the modal loop is running.
void Later(std::function<void()> step) {
  QTimer::singleShot(0, [step = std::move(step)] { step(); });
}

struct DialogForm {
  TForm form;
  TButton* ok = new TButton(&form);
  TButton* cancel = new TButton(&form);
  TEdit* edit = new TEdit(&form);

  DialogForm() {
    form.SetCaption("Dialog");
    for (TWinControl* c : std::initializer_list<TWinControl*>{edit, ok, cancel}) c->SetParent(&form);
    edit->SetBounds(8, 8, 100, 21);
    ok->SetBounds(8, 40, 75, 25);
    cancel->SetBounds(90, 40, 75, 25);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
  }
};

TEST(FormsTest, ModalFormReturnsTheResultOfItsButton) {
  DialogForm d;
  Later([&] { d.ok->Click(); });
  EXPECT_EQ(d.form.ShowModal(), mrOk);
  EXPECT_FALSE(d.form.Visible());
  EXPECT_FALSE(d.form.Modal());
  // The form can be shown modally again.
  Later([&] { d.form.SetModalResult(mrRetry); });
  EXPECT_EQ(d.form.ShowModal(), mrRetry);
}

TEST(FormsTest, DialogKeysPressTheDefaultAndCancelButtons) {
  DialogForm d;
  Later([&] { QTest::keyClick(Widget(*d.edit), Qt::Key_Escape); });
  EXPECT_EQ(d.form.ShowModal(), mrCancel);
  Later([&] { QTest::keyClick(Widget(*d.edit), Qt::Key_Return); });
  EXPECT_EQ(d.form.ShowModal(), mrOk);
}

TEST(FormsTest, CloseQueryCanRefuseAndCloseActionDecides) {
  DialogForm d;
  int asked = 0;
  bool allow = false;
  d.form.OnCloseQuery = [&](TObject*, bool& canClose) {
    ++asked;
    canClose = allow;
  };
  Later([&] {
    d.form.Close();  // refused: the modal run goes on
    Later([&] {
      EXPECT_TRUE(d.form.Visible());
      allow = true;
      d.form.Close();
    });
  });
  EXPECT_EQ(d.form.ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);

  TCloseAction action = caNone;
  d.form.OnClose = [&](TObject*, TCloseAction& a) { a = action; };
  d.form.Show();
  d.form.Close();
  EXPECT_TRUE(d.form.Visible());  // caNone keeps it open
  action = caHide;
  d.form.Close();
  EXPECT_FALSE(d.form.Visible());
}

TEST(FormsTest, CaFreeReleasesTheFormAfterPendingMessages) {
  auto* form = new TForm();
  bool destroyed = false;
  form->OnDestroy = [&](TObject*) { destroyed = true; };
  form->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  form->Show();
  form->Close();
  EXPECT_FALSE(destroyed);
  Pump();
  EXPECT_TRUE(destroyed);
}

TEST(FormsTest, EventsOfShowingAndActivation) {
  TForm form;
  std::vector<std::string> events;
  form.OnShow = [&](TObject*) { events.push_back("show"); };
  form.OnActivate = [&](TObject*) { events.push_back("activate"); };
  form.OnHide = [&](TObject*) { events.push_back("hide"); };
  form.Show();
  EXPECT_TRUE(form.Showing());
  EXPECT_EQ(Screen().ActiveForm(), &form);
  form.Hide();
  EXPECT_EQ(events, (std::vector<std::string>{"show", "activate", "hide"}));
}

TEST(FormsTest, TabMovesAlongTheTabOrderSkippingNonStops) {
  DialogForm d;
  d.cancel->SetTabOrder(0);  // cancel, edit, ok
  EXPECT_EQ(d.cancel->TabOrder(), 0);
  EXPECT_EQ(d.edit->TabOrder(), 1);
  d.ok->SetTabStop(false);
  d.form.Show();
  d.edit->SetFocus();
  Pump();
  QTest::keyClick(Widget(*d.edit), Qt::Key_Tab);
  Pump();
  EXPECT_TRUE(d.cancel->Focused());
  QTest::keyClick(Widget(*d.cancel), Qt::Key_Tab, Qt::ShiftModifier);
  Pump();
  EXPECT_TRUE(d.edit->Focused());
  // The toolkit's own focus chain follows a tab order changed while the windows exist.
  d.edit->SetTabOrder(0);  // edit, cancel, ok
  EXPECT_EQ(Widget(*d.edit)->nextInFocusChain(), Widget(*d.cancel));
  EXPECT_EQ(Widget(*d.cancel)->nextInFocusChain(), Widget(*d.ok));
  d.form.Hide();
}

TEST(FormsTest, FormsAreCentredOnTheScreenOrOverTheirOwner) {
  TForm owner;
  owner.SetBounds(100, 50, 400, 300);
  owner.Show();
  TForm child(&owner);
  child.SetBounds(0, 0, 200, 100);
  EXPECT_EQ(child.Position(), poOwnerFormCenter);
  child.Show();
  EXPECT_EQ(child.Left(), 200);
  EXPECT_EQ(child.Top(), 150);

  TForm centred;
  centred.SetPosition(poScreenCenter);
  centred.SetBounds(0, 0, 100, 60);
  centred.Show();
  EXPECT_EQ(centred.Left(), (Screen().Width() - 100) / 2);
  EXPECT_EQ(centred.Top(), (Screen().Height() - 60) / 2);
}

TEST(FormsTest, FreedFormLeavesTheScreenList) {
  const int before = Screen().FormCount();
  {
    TForm form;
    EXPECT_EQ(Screen().FormCount(), before + 1);
    EXPECT_EQ(Screen().Forms(before), &form);
  }
  EXPECT_EQ(Screen().FormCount(), before);
  EXPECT_THROW(Screen().Forms(before), EListError);
}

}  // namespace

namespace {

TEST(FormsKeyTest, KeyPreviewLetsTheFormTakeKeysFirst) {
  constexpr uint16_t kF5 = VK_F1 + 4;
  constexpr uint16_t kF6 = VK_F1 + 5;
  DialogForm d;
  std::vector<uint16_t> formKeys;
  std::vector<uint16_t> editKeys;
  d.form.OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
    formKeys.push_back(key);
    if (key == kF5) key = 0;  // taken by the form
  };
  d.edit->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) { editKeys.push_back(key); };
  d.form.Show();
  d.edit->SetFocus();
  QTest::keyClick(Widget(*d.edit), Qt::Key_F5);
  EXPECT_TRUE(formKeys.empty());  // without KeyPreview the form sees nothing
  d.form.SetKeyPreview(true);
  QTest::keyClick(Widget(*d.edit), Qt::Key_F5);
  QTest::keyClick(Widget(*d.edit), Qt::Key_F6);
  EXPECT_EQ(formKeys, (std::vector<uint16_t>{kF5, kF6}));
  EXPECT_EQ(editKeys, (std::vector<uint16_t>{kF5, kF6}));
  d.form.Hide();
}

TEST(FormsKeyTest, ActivatingAFormFocusesItsActiveControl) {
  DialogForm d;
  d.form.SetActiveControl(d.cancel);
  d.form.Show();
  Pump();
  EXPECT_TRUE(d.cancel->Focused());
  delete d.cancel;  // the form forgets a freed active control
  EXPECT_EQ(d.form.ActiveControl(), nullptr);
  d.form.Hide();
}

}  // namespace

namespace {

TEST(FormsKeyTest, KeyboardCuesDecideUnderlinesAndFocusRectangles) {
  DialogForm d;
  d.form.Show();
  QWidget* button = Widget(*d.ok);
  d.form.Perform(WM_CHANGEUISTATE, UIS_INITIALIZE);
  EXPECT_TRUE(d.form.AccelCuesHidden());
  EXPECT_EQ(button->style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, button), 0);
  d.form.Perform(WM_CHANGEUISTATE, UIS_CLEAR | (static_cast<WPARAM>(UISF_HIDEACCEL) << 16));
  EXPECT_FALSE(d.form.AccelCuesHidden());
  EXPECT_TRUE(d.form.FocusCuesHidden());
  EXPECT_EQ(button->style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, button), 1);
  d.form.Perform(WM_CHANGEUISTATE, UIS_SET | (static_cast<WPARAM>(UISF_HIDEACCEL | UISF_HIDEFOCUS) << 16));
  EXPECT_TRUE(d.form.AccelCuesHidden());
  EXPECT_TRUE(d.form.FocusCuesHidden());
  d.form.Hide();
}

}  // namespace

namespace {

TEST(FormsKeyTest, FormFollowsItsWindowWhenTheUserResizesIt) {
  TForm form;
  form.SetBounds(10, 20, 300, 200);
  auto* control = new TCustomControl(&form);
  control->SetParent(&form);
  form.Show();
  QWidget* window = Widget(form)->window();
  window->resize(500, 350);
  EXPECT_EQ(form.Width(), 500);
  EXPECT_EQ(form.Height(), 350);
  EXPECT_EQ(form.ClientWidth(), 500);
  EXPECT_EQ(Widget(form)->size(), QSize(500, 350));
  form.Hide();
}

}  // namespace
