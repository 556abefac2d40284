// Printing of items: the drawn piece of a picture or control that may be split across pages,
// with one part per page, and pictures of embedded controls for printing. The items' own
// printing operations are in RVItemPrint.cpp beside these.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "richtext/core/DLines.h"
#include "richtext/core/RVFuncs.h"

class TBitmap;
class TCanvas;
class TControl;
class TRVRectItemInfo;

/// One page's rows of a split picture or control.
class TRVImagePrintPart : public TRVMultiDrawItemPart {
 public:
  std::string ClassName() const override { return "TRVImagePrintPart"; }
  int32_t GetImageTop() const override { return ImageTop; }

  int32_t ImageTop = 0;     // first row shown, screen pixels
  int32_t ImageHeight = 0;  // rows shown, screen pixels
};

/// The drawn piece of a picture or control printed through a bitmap with MinHeightOnPage
/// set: its parts cut the picture into runs of rows, none shorter than MinHeightOnPage.
class TRVMultiImagePrintInfo : public TRVMultiDrawItemInfo {
 public:
  TRVMultiImagePrintInfo(TRVRectItemInfo* AItem, const TRVFormatScale& ScreenAndDevice)
      : Sad(ScreenAndDevice), Item(AItem) {}
  std::string ClassName() const override { return "TRVMultiImagePrintInfo"; }

  /// One part with the whole picture; false when the item has no MinHeightOnPage.
  bool InitSplit() override;
  bool CanSplitAt(int32_t AHeight) override;
  /// Raises ERVError "Internal printing error" when there is no part to cut.
  bool SplitAt(int32_t AHeight) override;
  /// The part at Index as a picture part, null when there is none.
  TRVImagePrintPart* ImagePart(int Index) const;

  TRVFormatScale Sad;
  TRVRectItemInfo* Item;
};

/// A new bitmap of the control's size showing the control; null when the control cannot be
/// pictured (it is not a windowed control, or it has no size).
std::unique_ptr<TBitmap> RVMakeControlImage(TControl* Control);
/// Draws the control's picture on Canvas with its corner at (X, Y); nothing when it has none.
void RVDrawControl(TControl* Control, TCanvas& Canvas, int32_t X, int32_t Y);
