// The tree control's behaviour switches: five option sets in one persistent object, so they are
// streamed with the form and can be copied between trees. Each setter reacts only to the members
// that changed.
#pragma once

#include <cstdint>

#include "platform/core/Classes.h"

class TNodeTree;

enum TVTPaintOption : uint16_t {
  toHideFocusRect = 1 << 0,
  toHideSelection = 1 << 1,
  toHotTrack = 1 << 2,
  toPopupMode = 1 << 3,
  toShowBackground = 1 << 4,
  toShowButtons = 1 << 5,
  toShowDropmark = 1 << 6,
  toShowHorzGridLines = 1 << 7,
  toShowRoot = 1 << 8,
  toShowTreeLines = 1 << 9,
  toShowVertGridLines = 1 << 10,
  toThemeAware = 1 << 11,
  toUseBlendedImages = 1 << 12,
  toGhostedIfUnfocused = 1 << 13,
};
using TVTPaintOptions = uint16_t;

enum TVTAnimationOption : uint8_t { toAnimatedToggle = 1 << 0 };
using TVTAnimationOptions = uint8_t;

enum TVTAutoOption : uint16_t {
  toAutoDropExpand = 1 << 0,
  toAutoExpand = 1 << 1,
  toAutoScroll = 1 << 2,
  toAutoScrollOnExpand = 1 << 3,
  toAutoSort = 1 << 4,
  toAutoSpanColumns = 1 << 5,
  toAutoTristateTracking = 1 << 6,
  toAutoHideButtons = 1 << 7,
  toAutoDeleteMovedNodes = 1 << 8,
  toDisableAutoscrollOnFocus = 1 << 9,
  toAutoChangeScale = 1 << 10,
  toAutoFreeOnCollapse = 1 << 11,
};
using TVTAutoOptions = uint16_t;

enum TVTSelectionOption : uint16_t {
  toDisableDrawSelection = 1 << 0,
  toExtendedFocus = 1 << 1,
  toFullRowSelect = 1 << 2,
  toLevelSelectConstraint = 1 << 3,
  toMiddleClickSelect = 1 << 4,
  toMultiSelect = 1 << 5,
  toRightClickSelect = 1 << 6,
  toSiblingSelectConstraint = 1 << 7,
  toCenterScrollIntoView = 1 << 8,
};
using TVTSelectionOptions = uint16_t;

enum TVTMiscOption : uint16_t {
  toAcceptOLEDrop = 1 << 0,
  toCheckSupport = 1 << 1,
  toEditable = 1 << 2,
  toFullRepaintOnResize = 1 << 3,
  toGridExtensions = 1 << 4,
  toInitOnSave = 1 << 5,
  toReportMode = 1 << 6,
  toToggleOnDblClick = 1 << 7,
  toWheelPanning = 1 << 8,
  toReadOnly = 1 << 9,
};
using TVTMiscOptions = uint16_t;

inline constexpr TVTPaintOptions kDefaultPaintOptions = 0x1B60;
inline constexpr TVTAutoOptions kDefaultAutoOptions = 0x0149;
inline constexpr TVTMiscOptions kDefaultMiscOptions = 0x01A9;
static_assert(kDefaultPaintOptions == (toShowButtons | toShowDropmark | toShowRoot | toShowTreeLines |
                                       toThemeAware | toUseBlendedImages));
static_assert(kDefaultAutoOptions ==
              (toAutoDropExpand | toAutoScrollOnExpand | toAutoTristateTracking | toAutoDeleteMovedNodes));
static_assert(kDefaultMiscOptions ==
              (toAcceptOLEDrop | toFullRepaintOnResize | toInitOnSave | toToggleOnDblClick | toWheelPanning));

class TCustomNodeTreeOptions : public TPersistent {
 public:
  explicit TCustomNodeTreeOptions(TNodeTree* owner);
  std::string ClassName() const override { return "TCustomNodeTreeOptions"; }

  TNodeTree* Owner() const { return owner_; }
  TVTPaintOptions PaintOptions() const { return paintOptions_; }
  TVTAnimationOptions AnimationOptions() const { return animationOptions_; }
  TVTAutoOptions AutoOptions() const { return autoOptions_; }
  TVTSelectionOptions SelectionOptions() const { return selectionOptions_; }
  TVTMiscOptions MiscOptions() const { return miscOptions_; }

  void SetPaintOptions(TVTPaintOptions value);
  void SetAnimationOptions(TVTAnimationOptions value);
  void SetAutoOptions(TVTAutoOptions value);
  void SetSelectionOptions(TVTSelectionOptions value);
  void SetMiscOptions(TVTMiscOptions value);

  /// Another option object gets all five sets through its setters (its tree reacts).
  void AssignTo(TPersistent* dest) const override;

 private:
  /// The owner exists, is not being loaded and has a window.
  bool TreeLive() const;

  TNodeTree* owner_;
  TVTPaintOptions paintOptions_ = kDefaultPaintOptions;
  TVTAnimationOptions animationOptions_ = 0;
  TVTAutoOptions autoOptions_ = kDefaultAutoOptions;
  TVTSelectionOptions selectionOptions_ = 0;
  TVTMiscOptions miscOptions_ = kDefaultMiscOptions;
};

/// The option object trees use; it publishes the five sets.
class TNodeTreeOptions : public TCustomNodeTreeOptions {
  ZUK_PUBLISHED(TNodeTreeOptions)

 public:
  using TCustomNodeTreeOptions::TCustomNodeTreeOptions;
  std::string ClassName() const override { return "TNodeTreeOptions"; }
};
