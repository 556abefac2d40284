// Message boxes: where a box goes over its owner and how it keeps off the screen edges, and
// what the boxes do without a display.
#include <gtest/gtest.h>

#include "ApplicationFixture.h"
#include "common/units/MessageBoxes.h"
#include "common/units/Routines.h"
#include "platform/gui/Forms.h"

namespace {

TEST(MessageBoxPositionTest, CentredOverTheOwnerAndKeptTenPixelsInside) {
  const TSize screen{1024, 768};
  const TSize box{200, 100};
  const struct {
    const char* where;
    TRect owner;
    TPoint expected;
  } cases[] = {
      {"middle", Rect(300, 200, 700, 500), {400, 300}},
      {"odd sizes halve toward zero", Rect(301, 201, 702, 503), {402, 302}},
      {"left edge", Rect(-300, 300, 100, 400), {10, 300}},
      {"right edge", Rect(900, 300, 1300, 400), {1024 - 200 - 10, 300}},
      {"top edge", Rect(300, -200, 700, 0), {400, 10}},
      {"bottom edge", Rect(300, 700, 700, 900), {400, 768 - 100 - 10}},
      {"bottom right corner", Rect(1000, 740, 1100, 800), {814, 658}},
      {"no visible owner: over the screen", TRect{}, {412, 334}},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageBoxPosition(c.owner, box, screen), c.expected) << c.where;
}

TEST(MessageBoxPositionTest, BoxLargerThanTheScreenGoesToTenTen) {
  EXPECT_EQ(MessageBoxPosition(Rect(0, 0, 100, 100), TSize{2000, 1500}, TSize{1024, 768}), (TPoint{10, 10}));
}

class MessageBoxesTest : public ApplicationTest {};

TEST_F(MessageBoxesTest, HeadlessBoxesPrintCaptionAndTextAndReturnOk) {
  TForm form;
  form.Show();
  testing::internal::CaptureStderr();
  EXPECT_EQ(ShowErrorMessage(&form, "Cannot open the file."), 1);
  EXPECT_EQ(ShowWarningMessage(nullptr, "The exam has no questions."), 1);
  EXPECT_EQ(ShowInformationMessage(nullptr, "Done."), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ZUK Converter: Cannot open the file.\n"
            "ZUK Converter: The exam has no questions.\n"
            "ZUK Converter: Done.\n");
}

TEST_F(MessageBoxesTest, OwnerWindowIsTheActiveFormElseTheMainForm) {
  EXPECT_EQ(GetOwnerWindow(), nullptr);
  TForm mainForm;
  Application->SetMainForm(&mainForm);
  EXPECT_EQ(GetOwnerWindow(), &mainForm);
  TForm dialog;
  dialog.Show();
  EXPECT_EQ(GetOwnerWindow(), &dialog);
  dialog.Hide();
  EXPECT_EQ(GetOwnerWindow(), &mainForm);
  Application->SetMainForm(nullptr);
}

}  // namespace
