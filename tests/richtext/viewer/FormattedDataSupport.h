// A formatted document whose owner hooks answer from plain fields, so tests can drive the
// formatted data without a control, and helpers that put drawn pieces in place of the
// formatting unit.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "ViewerTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/CRVFData.h"

namespace viewertest {

class TFieldData : public TCustomRVFormattedData {
 public:
  uint16_t GetViewerState() const override { return viewerState; }
  void SetViewerState(uint16_t Value) override { viewerState = Value; }
  int32_t GetAreaWidth() const override { return 0; }
  int32_t GetLeftMargin() const override { return 5; }
  int32_t GetRightMargin() const override { return 5; }
  int32_t GetTopMargin() const override { return 5; }
  int32_t GetBottomMargin() const override { return 5; }
  int32_t GetMinTextWidth() const override { return 0; }
  int32_t GetMaxTextWidth() const override { return 0; }
  TRVBackground* GetBackground() const override { return nullptr; }
  void AdjustVScrollUnits() override {}
  void SetDocumentAreaSize(int32_t, int32_t, bool) override {}
  int32_t GetHOffs() const override { return hOffs; }
  int32_t GetVOffs() const override { return vOffs; }
  int32_t GetWidth() const override { return width; }
  int32_t GetHeight() const override { return height; }
  void VScrollTo(int32_t Y, bool) override { scrolls.push_back("v" + std::to_string(Y)); }
  void HScrollTo(int32_t X) override { scrolls.push_back("h" + std::to_string(X)); }
  int32_t GetVSmallStep() const override { return step; }
  TColor GetColor() const override { return clWhite; }
  bool HasRVMouseUp() const override { return false; }
  bool HasRVMouseDown() const override { return false; }
  bool HasJump() const override { return false; }
  bool HasCheckpointVisible() const override { return false; }
  void DoRVMouseUp(TMouseButton, TShiftState, int, int32_t, int32_t) override {}
  void DoRVMouseDown(TMouseButton, TShiftState, int, int32_t, int32_t) override {}
  void DoJump(int32_t Id) override { events.push_back("jump" + std::to_string(Id)); }
  void DoRVMouseMove(int32_t Id) override { events.push_back("move" + std::to_string(Id)); }
  void DoCheckpointVisible(TCheckpointData) override {}
  TCursor GetNormalCursor() const override { return crDefault; }
  void DoSelect() override {
    events.push_back("select");
    if (throwOnSelect) throw Exception("select failed");
  }
  void SelectionChanged() override { events.push_back("changed"); }
  TCanvas* GetCanvas() override {
    App();  // text is measured by the toolkit, which needs the application object
    return &canvasBitmap.Canvas();
  }

  TBitmap canvasBitmap;  // measures and paints like a screen

  uint16_t viewerState = 0x10B;
  int32_t hOffs = 0, vOffs = 0, width = 200, height = 100, step = 10;
  bool throwOnSelect = false;
  std::vector<std::string> scrolls;
  std::vector<std::string> events;
};

/// Measures with fixed-width glyphs: every character is 10 pixels wide (the zero-width space
/// 0), every line 16 high with the baseline 12 below its top.
class TFixedPitchData : public TFieldData {
 public:
  TSize MeasureText(TCanvas&, std::u16string_view Text) override {
    ++measures;
    if (throwOnMeasure) throw std::runtime_error("measuring failed");
    int32_t width = 0;
    for (char16_t c : Text) width += c == u'\u200B' ? 0 : 10;
    return TSize{width, 16};
  }
  void ReadTextMetrics(TCanvas&, TTextMetric& Metrics) override {
    Metrics.tmHeight = 16;
    Metrics.tmAscent = 12;
    Metrics.tmDescent = 4;
    Metrics.tmExternalLeading = 0;
  }
  void SetDocumentAreaSize(int32_t, int32_t Height, bool) override {
    ++areaSizes;
    // A vertical scroll bar takes 17 pixels of the client width once the text is taller.
    if (scrollBarWidth > 0 && Height > height && width == fullWidth) width = fullWidth - scrollBarWidth;
    if (toggleScrollBar) width = width == fullWidth ? fullWidth - 17 : fullWidth;
  }

  int measures = 0;
  int areaSizes = 0;
  bool throwOnMeasure = false;
  int32_t fullWidth = 110;
  int32_t scrollBarWidth = 0;
  bool toggleScrollBar = false;
};

/// The strings separated by single spaces.
inline std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : " ") + p;
  return out;
}

/// Appends a drawn piece of item ItemNo (Length characters from Offs for text).
inline void AddPiece(TCustomRVFormattedData& data, int itemNo, int left, int top, int width, int height,
                     int offs = 0, int length = 0) {
  auto piece = TRVDrawLineInfo::CreateAt(left, top, width, height, itemNo, true);
  piece->Offs = offs;
  piece->Length = length;
  data.DrawItems().Add(std::move(piece));
}

using TPieceState =
    std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, bool>;

/// Every field formatting writes into the drawn pieces, piece by piece.
inline std::vector<TPieceState> PieceSnapshot(const TCustomRVFormattedData& data) {
  std::vector<TPieceState> result;
  const TRVDrawLines& pieces = data.DrawItems();
  for (int i = 0; i < pieces.Count(); ++i) {
    const TRVDrawLineInfo& p = *pieces[i];
    result.emplace_back(p.Left, p.Top, p.Width, p.Height, p.ItemNo, p.Offs, p.Length, p.SpaceBefore,
                        p.ExtraSpaceBelow, p.FromNewLine);
  }
  return result;
}

using TJumpState = std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t>;

/// The hyperlink areas in list order, then the numbers of the items with style JumpStyleNo,
/// then the count of numbers given out.
inline std::vector<TJumpState> JumpSnapshot(TCustomRVFormattedData& data, int JumpStyleNo) {
  std::vector<TJumpState> result;
  for (int i = 0; i < data.Jumps().Count(); ++i) {
    const TRVJumpInfo& j = *data.Jumps()[i];
    result.emplace_back(j.Id, j.DrawItemNo, j.Left, j.Top, j.Width, j.Height);
  }
  for (int i = 0; i < data.GetItemCount(); ++i)
    if (data.GetItem(i)->StyleNo == JumpStyleNo && !data.GetItemText(i).empty())
      result.emplace_back(-1, i, data.GetItem(i)->JumpID, 0, 0, 0);
  result.emplace_back(-2, data.JumpCount, 0, 0, 0, 0);
  return result;
}

}  // namespace viewertest
