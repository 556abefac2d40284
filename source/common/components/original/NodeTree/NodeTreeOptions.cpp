// The option setters: each compares the old and the new set and tells the tree only about the
// members that changed.
#include "common/components/original/NodeTree/NodeTreeOptions.h"

#include "common/components/original/NodeTree/NodeTree.h"
#include "platform/core/TypInfo.h"

namespace {

const std::vector<std::string> kPaintNames = {"toHideFocusRect",    "toHideSelection",     "toHotTrack",
                                              "toPopupMode",        "toShowBackground",    "toShowButtons",
                                              "toShowDropmark",     "toShowHorzGridLines", "toShowRoot",
                                              "toShowTreeLines",    "toShowVertGridLines", "toThemeAware",
                                              "toUseBlendedImages", "toGhostedIfUnfocused"};
const std::vector<std::string> kAnimationNames = {"toAnimatedToggle"};
const std::vector<std::string> kAutoNames = {
    "toAutoDropExpand",           "toAutoExpand",      "toAutoScroll",
    "toAutoScrollOnExpand",       "toAutoSort",        "toAutoSpanColumns",
    "toAutoTristateTracking",     "toAutoHideButtons", "toAutoDeleteMovedNodes",
    "toDisableAutoscrollOnFocus", "toAutoChangeScale", "toAutoFreeOnCollapse"};
const std::vector<std::string> kSelectionNames = {
    "toDisableDrawSelection",  "toExtendedFocus",           "toFullRowSelect",
    "toLevelSelectConstraint", "toMiddleClickSelect",       "toMultiSelect",
    "toRightClickSelect",      "toSiblingSelectConstraint", "toCenterScrollIntoView"};
const std::vector<std::string> kMiscNames = {
    "toAcceptOLEDrop", "toCheckSupport", "toEditable",         "toFullRepaintOnResize", "toGridExtensions",
    "toInitOnSave",    "toReportMode",   "toToggleOnDblClick", "toWheelPanning",        "toReadOnly"};

}  // namespace

const TPropertyList& TNodeTreeOptions::ClassProperties() {
  using T = TNodeTreeOptions;
  static const TPropertyList list =
      TPropertyBuilder<T>(TPersistent::ClassProperties())
          .Set("AnimationOptions", &T::AnimationOptions, &T::SetAnimationOptions, kAnimationNames)
          .Default(0)
          .Set("AutoOptions", &T::AutoOptions, &T::SetAutoOptions, kAutoNames)
          .Default(kDefaultAutoOptions)
          .Set("MiscOptions", &T::MiscOptions, &T::SetMiscOptions, kMiscNames)
          .Default(kDefaultMiscOptions)
          .Set("PaintOptions", &T::PaintOptions, &T::SetPaintOptions, kPaintNames)
          .Default(kDefaultPaintOptions)
          .Set("SelectionOptions", &T::SelectionOptions, &T::SetSelectionOptions, kSelectionNames)
          .Default(0)
          .Build();
  return list;
}

TCustomNodeTreeOptions::TCustomNodeTreeOptions(TNodeTree* owner) : owner_(owner) {}

bool TCustomNodeTreeOptions::TreeLive() const {
  return owner_ != nullptr && !owner_->HasState(tsLoading) && owner_->HandleAllocated();
}

void TCustomNodeTreeOptions::SetAnimationOptions(TVTAnimationOptions value) {
  animationOptions_ = value;
}

void TCustomNodeTreeOptions::SetAutoOptions(TVTAutoOptions value) {
  if (value == autoOptions_) return;
  const TVTAutoOptions changed = value ^ autoOptions_;
  autoOptions_ = value;
  if ((changed & toAutoSpanColumns) != 0 && TreeLive()) owner_->Invalidate();
}

void TCustomNodeTreeOptions::SetMiscOptions(TVTMiscOptions value) {
  if (value == miscOptions_) return;
  const TVTMiscOptions set = value & ~miscOptions_;
  const TVTMiscOptions cleared = miscOptions_ & ~value;
  miscOptions_ = value;
  // Check boxes widen the rows of nodes that have them.
  if (owner_ != nullptr && ((set | cleared) & toCheckSupport) != 0) owner_->RangeWidthChanged();
  if (!TreeLive()) return;
  if (((set | cleared) & toCheckSupport) != 0) owner_->Invalidate();
  if (((set | cleared) & toFullRepaintOnResize) != 0) owner_->RecreateWnd();
  if ((set & toAcceptOLEDrop) != 0) owner_->RegisterDropTarget(true);
  if ((cleared & toAcceptOLEDrop) != 0) owner_->RegisterDropTarget(false);
}

void TCustomNodeTreeOptions::SetPaintOptions(TVTPaintOptions value) {
  if (value == paintOptions_) return;
  const TVTPaintOptions changed = value ^ paintOptions_;
  paintOptions_ = value;
  // The root's indentation is part of every row.
  if (owner_ != nullptr && (changed & toShowRoot) != 0) owner_->RangeWidthChanged();
  if (!TreeLive()) return;
  if ((changed & toThemeAware) != 0) {
    owner_->UpdateThemeUsage();
    owner_->BuildButtonBitmaps(true, false);
    owner_->Invalidate();  // frame included: the whole window is ours
  } else {
    owner_->Invalidate();
  }
}

void TCustomNodeTreeOptions::SetSelectionOptions(TVTSelectionOptions value) {
  if (value == selectionOptions_) return;
  const TVTSelectionOptions set = value & ~selectionOptions_;
  const TVTSelectionOptions cleared = selectionOptions_ & ~value;
  selectionOptions_ = value;
  if (owner_ == nullptr) return;
  if (((set | cleared) & toMultiSelect) != 0 ||
      (set & (toLevelSelectConstraint | toSiblingSelectConstraint)) != 0)
    owner_->ClearSelection();
  const int32_t mainColumn =
      owner_->Header().Columns().Count() > 0 ? owner_->Header().MainColumn() : NoColumn;
  if ((cleared & toExtendedFocus) != 0 && owner_->FocusedColumn() >= 1 && owner_->HandleAllocated()) {
    owner_->SetFocusedColumn(mainColumn);
    owner_->Invalidate();
  }
  if ((value & toExtendedFocus) == 0) owner_->SetFocusedColumn(mainColumn);
}

void TCustomNodeTreeOptions::AssignTo(TPersistent* dest) const {
  if (auto* options = dynamic_cast<TCustomNodeTreeOptions*>(dest)) {
    options->SetPaintOptions(paintOptions_);
    options->SetAnimationOptions(animationOptions_);
    options->SetAutoOptions(autoOptions_);
    options->SetSelectionOptions(selectionOptions_);
    options->SetMiscOptions(miscOptions_);
    return;
  }
  TPersistent::AssignTo(dest);
}
