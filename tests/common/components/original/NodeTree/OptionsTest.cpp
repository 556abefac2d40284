// The option object: defaults, reactions only to changed members, copying between trees.
#include <gtest/gtest.h>

#include "TreeTestSupport.h"
#include "platform/gui/GuiTestSupport.h"
#include "platform/gui/StyleDrawing.h"
#include "themes/ThemeSrv.h"

namespace {

using treetest::Add;

/// A tree that counts how often it is invalidated.
class TCountingTree : public TNodeTree {
 public:
  using TNodeTree::TNodeTree;
  int Invalidations = 0;
  void Invalidate() override {
    ++Invalidations;
    TNodeTree::Invalidate();
  }
};

TEST(TreeOptionsTest, DefaultsMatchThePublishedDefaults) {
  TNodeTree tree;
  TNodeTreeOptions& options = tree.GetOptions();
  EXPECT_EQ(options.PaintOptions(), 0x1B60);
  EXPECT_EQ(options.AutoOptions(), 0x0149);
  EXPECT_EQ(options.MiscOptions(), 0x01A9);
  EXPECT_EQ(options.AnimationOptions(), 0);
  EXPECT_EQ(options.SelectionOptions(), 0);
}

TEST(TreeOptionsTest, PaintOptionsInvalidateOnlyWhenChanged) {
  TCountingTree tree;
  tree.HandleNeeded();
  tree.Invalidations = 0;
  TNodeTreeOptions& options = tree.GetOptions();
  options.SetPaintOptions(options.PaintOptions());
  EXPECT_EQ(tree.Invalidations, 0);
  // The question pictures switch buttons, root and lines together.
  options.SetPaintOptions(options.PaintOptions() & ~0x0320);
  EXPECT_EQ(tree.Invalidations, 1);
  EXPECT_EQ(options.PaintOptions() & (toShowButtons | toShowRoot | toShowTreeLines), 0);
}

TEST(TreeOptionsTest, ThemeAwareFollowsWhetherThemesAreOn) {
  TCountingTree tree;
  tree.HandleNeeded();
  TNodeTreeOptions& options = tree.GetOptions();
  options.SetPaintOptions(options.PaintOptions() & ~toThemeAware);
  EXPECT_FALSE(tree.UseThemes());
  tree.Invalidations = 0;
  options.SetPaintOptions(options.PaintOptions() | toThemeAware);
  EXPECT_EQ(tree.UseThemes(), GetThemeServices().GetThemesEnabled());
  EXPECT_GE(tree.Invalidations, 1);
}

TEST(TreeOptionsTest, TreeFollowsAStyleChangeThatSwitchesThemesOff) {
  TCountingTree tree;
  tree.HandleNeeded();
  ASSERT_TRUE(tree.UseThemes());
  auto saved = ThemeFunctions().IsThemeActive;
  ThemeFunctions().IsThemeActive = [] { return false; };
  tree.Invalidations = 0;
  ASSERT_TRUE(SetApplicationStyle(CurrentStyleName()));
  EXPECT_FALSE(tree.UseThemes());
  EXPECT_GE(tree.Invalidations, 1);
  ThemeFunctions().IsThemeActive = saved;
  ASSERT_TRUE(SetApplicationStyle(CurrentStyleName()));
  EXPECT_TRUE(tree.UseThemes());
}

TEST(TreeOptionsTest, SelectionOptionsClearTheSelectionWhenTheModeChanges) {
  TNodeTree tree;
  PNode a = Add(tree, nullptr, "a");
  tree.GetOptions().SetSelectionOptions(toMultiSelect);
  tree.SetSelected(a, true);
  tree.GetOptions().SetSelectionOptions(toMultiSelect | toFullRowSelect);
  EXPECT_TRUE(tree.Selected(a));
  tree.GetOptions().SetSelectionOptions(toFullRowSelect);
  EXPECT_FALSE(tree.Selected(a));
  EXPECT_EQ(tree.SelectedCount(), 0u);
  tree.SetSelected(a, true);
  tree.GetOptions().SetSelectionOptions(toFullRowSelect | toLevelSelectConstraint);
  EXPECT_EQ(tree.SelectedCount(), 0u);
}

TEST(TreeOptionsTest, ExtendedFocusOffReturnsTheFocusToTheMainColumn) {
  TNodeTree tree;
  tree.Header().Columns().Add();
  tree.Header().Columns().Add();
  tree.GetOptions().SetSelectionOptions(toExtendedFocus);
  tree.SetFocusedColumn(1);
  tree.GetOptions().SetSelectionOptions(0);
  EXPECT_EQ(tree.FocusedColumn(), 0);
}

TEST(TreeOptionsTest, AcceptDropRegistersAndRevokesOnlyALiveTree) {
  TNodeTree tree;
  TNodeTreeOptions& options = tree.GetOptions();
  options.SetMiscOptions(options.MiscOptions() & ~toAcceptOLEDrop);
  EXPECT_FALSE(tree.HasDragManager());  // no window: nothing to revoke, no manager made
  tree.HandleNeeded();
  options.SetMiscOptions(options.MiscOptions() | toAcceptOLEDrop);
  EXPECT_TRUE(tree.DropTargetRegistered());
  EXPECT_TRUE(IsDragDropRegistered(tree));
  options.SetMiscOptions(options.MiscOptions() & ~toAcceptOLEDrop);
  EXPECT_FALSE(IsDragDropRegistered(tree));
}

TEST(TreeOptionsTest, AssignCopiesAllFiveSetsThroughTheSetters) {
  TNodeTree source;
  TNodeTree target;
  PNode a = Add(target, nullptr, "a");
  target.GetOptions().SetSelectionOptions(toMultiSelect);
  target.SetSelected(a, true);
  source.GetOptions().SetPaintOptions(toShowRoot);
  source.GetOptions().SetAnimationOptions(toAnimatedToggle);
  source.GetOptions().SetAutoOptions(toAutoSort);
  source.GetOptions().SetSelectionOptions(toFullRowSelect);
  source.GetOptions().SetMiscOptions(toReadOnly);
  target.GetOptions().Assign(&source.GetOptions());
  EXPECT_EQ(target.GetOptions().PaintOptions(), toShowRoot);
  EXPECT_EQ(target.GetOptions().AnimationOptions(), toAnimatedToggle);
  EXPECT_EQ(target.GetOptions().AutoOptions(), toAutoSort);
  EXPECT_EQ(target.GetOptions().SelectionOptions(), toFullRowSelect);
  EXPECT_EQ(target.GetOptions().MiscOptions(), toReadOnly);
  // The target's tree reacted: leaving multi-select cleared its selection.
  EXPECT_FALSE(target.Selected(a));
}

TEST(TreeOptionsTest, GetOptionsRefusesAnotherOptionClass) {
  TNodeTree tree;
  tree.SetOptionsObject(std::make_unique<TCustomNodeTreeOptions>(&tree));
  EXPECT_THROW(tree.GetOptions(), EInvalidCast);
  EXPECT_EQ(tree.TreeOptions().PaintOptions(), kDefaultPaintOptions);
}

}  // namespace
