// The running state of laying items out into lines, shared by the whole-document format and
// the reformat of a range of paragraphs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Canvas.h"
#include "richtext/core/RVFuncs.h"
#include "richtext/core/RVParaInfo.h"
#include "richtext/viewer/CRVFData.h"

class TRVStyle;
class TRVListLevel;

class TRVLineFormatter {
 public:
  TRVLineFormatter(TCustomRVFormattedData& Data, TCanvas& Canvas, const TRVFormatScale& Scale,
                   bool LayoutFlag);

  /// Starts laying out at baseline StartY, inserting drawn pieces from DrawCountAtStart.
  void Begin(int32_t StartY, int DrawCountAtStart);
  /// Lays out one item after the ones before it.
  void FormatItem(int ItemNo);
  /// Ends the current line; ParaLast: it is its paragraph's last line.
  void FinishLine(bool ParaLast);

  int32_t ScaleX(int32_t Value) const;
  int32_t ScaleY(int32_t Value) const;
  TParaInfo& ParaOf(int ItemNo) const;

  // Running state.
  int32_t CurY = 0;              // baseline of the current line
  int32_t LineAscent = 0;        // height of the current line above CurY
  int32_t PendingBelow = 0;      // depth below CurY plus spacing waiting for the next line
  int32_t CurX = 0;              // reached in the current line, from LineLeft
  int32_t LineLeft = 0;          // left edge of the current line
  int32_t LineWidth = -1;        // width available to the current line
  int32_t LineSpacingExtra = 0;  // left by the previous line's spacing
  int DrawCount = 0;             // the next piece goes here
  int LineStart = 0;             // first piece of the current line
  int ParaStartItemNo = -1;
  int LastStyleNo = -1;
  bool NewParaPending = true;  // the next line follows a hard break
  bool FirstLine = true;
  bool LineIsParaFirst = true;
  bool SkippedBreakSpace = false;  // a space was dropped at the last soft break
  int32_t JumpCount = 0;
  TTextMetric Metrics;
  int32_t VShiftPx = 0;

 private:
  bool IsListMarker(int ItemNo) const;
  TRVListLevel* MarkerLevel(int ItemNo) const;
  /// The list level whose indent continuation lines of item 0's paragraph take, when the
  /// paragraph has no marker of its own.
  TRVListLevel* ContinuedMarkerLevel() const;
  char16_t CharOfItem(int ItemNo, int Index) const;
  /// Applies the text style of ItemNo to the canvas unless it is the one applied last.
  void ApplyTextStyle(int ItemNo);
  void FormatJustifiedText(int ItemNo);
  void FormatText(int ItemNo, const std::u16string& Text, int Start, int Length);
  void FormatNonText(int ItemNo);
  void FormatFullLine(int ItemNo);
  void PlaceRect(int ItemNo);
  std::unique_ptr<TRVDrawLineInfo> NewPiece(TCustomRVItemInfo* Item);
  int InsertPiece(std::unique_ptr<TRVDrawLineInfo> Piece, int ItemNo);
  void RecordJump(int DItemNo, int Id, TCursor Cursor);
  /// Adds the hyperlinks of a non-text item's sub-documents after its piece DItemNo.
  void RecordSubJumps(int DItemNo);
  void RaiseLine(int32_t Ascent);
  void LineIndents(int ItemNo, int32_t& Left, int32_t& Right) const;
  /// The hyperlink area this run recorded last when it belongs to piece DItemNo, else null.
  TRVJumpInfo* LastJumpOfPiece(int DItemNo);
  void DropTrailingWrapSpace(int ItemNo);
  void StartNewLine(int ItemNo, int32_t Ascent, int32_t Descent);
  bool FollowsMarkerAtItemStart(int ItemNo, int Start) const;
  int MoveToCharBoundary(const std::u16string& Text, int Start, int Count) const;
  /// How many characters from Start fit into Available. When all Count fit and were measured
  /// together, Whole receives their size, so that the piece made of them is not measured again.
  int CountFitting(const std::u16string& Text, int Start, int Count, int32_t Available, bool NoWrap,
                   std::optional<TSize>& Whole);
  int FindBreak(const std::u16string& Text, int ItemNo, int Start, int Fit) const;
  bool StartsWithSpace(int DItemNo) const;
  void MirrorLine(const TParaInfo& Para);

  TCustomRVFormattedData& data_;
  TCanvas& canvas_;
  TRVFormatScale scale_;
  TRVStyle& style_;
  uint16_t flags_;
  bool layoutFlag_;
  int jumpsAtBegin_ = 0;  // hyperlink areas recorded before this run
};
