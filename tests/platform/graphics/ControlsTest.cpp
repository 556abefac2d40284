// The control model: bounds, parents and children, visibility, focus and the published
// properties.
#include <gtest/gtest.h>

#include "platform/core/TypInfo.h"
#include "platform/graphics/Controls.h"

namespace {

TEST(ControlsTest, BoundsAreKeptAndSizesNeverNegative) {
  TControl c;
  c.SetBounds(3, 4, 50, 20);
  EXPECT_EQ(c.BoundsRect(), Rect(3, 4, 53, 24));
  c.SetWidth(-5);
  EXPECT_EQ(c.Width(), 0);
  c.SetLeft(-7);
  EXPECT_EQ(c.Left(), -7);
}

TEST(ControlsTest, ParentsKnowTheirChildrenUntilEitherGoes) {
  TWinControl parent;
  auto child = std::make_unique<TControl>();
  child->SetParent(&parent);
  EXPECT_EQ(parent.ControlCount(), 1);
  EXPECT_EQ(parent.Controls(0), child.get());
  child.reset();
  EXPECT_EQ(parent.ControlCount(), 0);

  TControl orphan;
  {
    TWinControl shortLived;
    orphan.SetParent(&shortLived);
  }
  EXPECT_EQ(orphan.Parent(), nullptr);
}

TEST(ControlsTest, AControlCannotContainItself) {
  TWinControl outer;
  TWinControl inner;
  inner.SetParent(&outer);
  EXPECT_THROW(outer.SetParent(&inner), EInvalidOperation);
  EXPECT_THROW(outer.SetParent(&outer), EInvalidOperation);
}

TEST(ControlsTest, FocusNeedsAVisibleEnabledChain) {
  TWinControl form;
  TWinControl edit;
  edit.SetParent(&form);
  EXPECT_TRUE(edit.CanFocus());
  edit.SetFocus();
  EXPECT_TRUE(edit.Focused());
  EXPECT_EQ(TWinControl::FocusedControl(), &edit);
  form.SetVisible(false);
  EXPECT_FALSE(edit.CanFocus());
  EXPECT_THROW(edit.SetFocus(), EInvalidOperation);
  form.SetVisible(true);
  form.SetFocus();
  EXPECT_FALSE(edit.Focused());
  {
    TWinControl temporary;
    temporary.SetFocus();
  }
  EXPECT_EQ(TWinControl::FocusedControl(), nullptr);
}

TEST(ControlsTest, PublishedProperties) {
  std::vector<std::string> names;
  for (const TPropInfo& p : TWinControl::ClassProperties()) names.push_back(p.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Tag", "Left", "Top", "Width", "Height", "Enabled", "Visible",
                                             "TabStop"}));
}

}  // namespace
