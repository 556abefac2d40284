// The viewer's document outside a window, for the formatting benchmarks: an 800 x 600 area
// of an off-screen canvas with margins of 5 pixels.
#pragma once

#include <cstdint>

#include "platform/graphics/Bitmap.h"
#include "richtext/viewer/RVDataList.h"

class TScreenData : public TRVItemFormattedData {
 public:
  TScreenData() : TRVItemFormattedData(&owner) {
    owner.Flags = 0x10B;
    screen.SetPixelFormat(pf24bit);
    screen.SetSize(800, 600);
  }
  int32_t GetAreaWidth() const override { return 800; }
  int32_t GetLeftMargin() const override { return 5; }
  int32_t GetRightMargin() const override { return 5; }
  int32_t GetTopMargin() const override { return 5; }
  int32_t GetBottomMargin() const override { return 5; }
  int32_t GetVOffs() const override { return vOffs; }
  int32_t GetWidth() const override { return 800; }
  int32_t GetHeight() const override { return 600; }
  TCanvas* GetCanvas() override { return &screen.Canvas(); }
  TColor GetColor() const override { return clWhite; }

  TRVDataList owner;
  TBitmap screen;
  int32_t vOffs = 0;
};
