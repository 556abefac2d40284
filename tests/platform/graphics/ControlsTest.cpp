// The control model: bounds, parents and children, visibility, focus and the published
// properties.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/core/TypInfo.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Cursors.h"

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
                                             "DragKind", "DragMode", "Align", "Anchors", "Constraints",
                                             "HelpContext", "PopupMenu", "ShowHint", "TabStop", "Ctl3D",
                                             "ParentCtl3D", "TabOrder"}));
}

// {Align, Anchors, MaxWidth, MinHeight, bounds}: a 200 by 100 parent with a 30-pixel header
// along its top and the control at (20, 10, 40 x 20) grows to 300 by 150, in two steps.
TEST(ControlsTest, ParentResizePlacesAlignedAnchoredAndConstrainedControls) {
  const std::tuple<TAlign, TAnchors, int32_t, int32_t, TRect> cases[] = {
      {alNone, akLeft | akTop, 0, 0, Bounds(20, 10, 40, 20)},
      {alTop, akLeft | akTop, 0, 0, Bounds(0, 30, 300, 20)},  // below the header
      {alBottom, akLeft | akTop, 0, 0, Bounds(0, 130, 300, 20)},
      {alLeft, akLeft | akTop, 0, 0, Bounds(0, 30, 40, 120)},
      {alRight, akLeft | akTop, 0, 0, Bounds(260, 30, 40, 120)},
      {alClient, akLeft | akTop, 0, 0, Bounds(0, 30, 300, 120)},
      {alClient, akLeft | akTop, 100, 150, Bounds(0, 30, 100, 150)},
      {alNone, akLeft | akTop | akRight | akBottom, 0, 0, Bounds(20, 10, 140, 70)},
      {alNone, akRight | akBottom, 0, 0, Bounds(120, 60, 40, 20)},
      {alNone, 0, 0, 0, Bounds(40, 20, 40, 20)},  // no edge keeps the centre
  };
  for (const auto& [align, anchors, maxWidth, minHeight, expected] : cases) {
    TWinControl parent;
    parent.SetBounds(0, 0, 200, 100);
    TControl header, control;
    header.SetBounds(0, 0, 10, 30);
    header.SetParent(&parent);
    header.SetAlign(alTop);
    control.SetBounds(20, 10, 40, 20);
    control.SetParent(&parent);
    control.SetAnchors(anchors);
    control.Constraints().SetMaxWidth(maxWidth);
    control.Constraints().SetMinHeight(minHeight);
    control.SetAlign(align);
    parent.SetBounds(0, 0, 250, 120);
    parent.SetBounds(0, 0, 300, 150);
    EXPECT_EQ(control.BoundsRect(), expected);
  }
}

}  // namespace

namespace {

TEST(CursorsTest, EveryBuiltInCursorHasItsFormName) {
  const struct {
    TCursor cursor;
    const char* name;
  } cases[] = {{crDefault, "crDefault"}, {crNone, "crNone"},         {crArrow, "crArrow"},
               {crIBeam, "crIBeam"},     {crSizeNWSE, "crSizeNWSE"}, {crHandPoint, "crHandPoint"},
               {crSizeAll, "crSizeAll"}};
  for (const auto& c : cases) {
    std::string name;
    ASSERT_TRUE(IntToIdent(c.cursor, name, CursorIdents())) << c.name;
    EXPECT_EQ(name, c.name);
    int32_t value = 0;
    ASSERT_TRUE(IdentToInt(c.name, value, CursorIdents()));
    EXPECT_EQ(value, c.cursor);
  }
}

}  // namespace
