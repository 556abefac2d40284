// Documents that live inside an item of another document (a table cell is one):
// TRVItemFormattedData has no window of its own and either answers neutrally or asks the
// document that holds it; TRVDataList is the list of such documents an item keeps (a table
// row is one) and supplies their owner link and viewer flags.
#pragma once

#include <cstdint>

#include "richtext/core/RVClasses.h"
#include "richtext/viewer/CRVFData.h"

class TRVItemFormattedData;

class TRVDataList : public TRVList<TRVItemFormattedData> {
 public:
  /// Viewer flags every document of the list reports: bits 1 and 4.
  static constexpr uint16_t kDefaultViewerFlags = 18;

  TRVDataList() = default;
  /// The document that holds the item keeping this list; none here (a table row answers
  /// the document holding its table).
  virtual TCustomRVData* GetParentRVData() const { return nullptr; }

  uint16_t Flags = kDefaultViewerFlags;
};

class TRVItemFormattedData : public TCustomRVFormattedData {
 public:
  explicit TRVItemFormattedData(TRVDataList* Owner) : Owner_(Owner) {}
  std::string ClassName() const override { return "TRVItemFormattedData"; }
  TRVDataList* Owner() const { return Owner_; }

  TCustomRVData* GetParentData() const override;
  TCustomRVData* GetOuterParentData() const override { return GetParentData(); }
  TCustomRVData* GetRootData() override;
  TCustomRVData* GetOuterRootData() override;

  uint16_t GetViewerState() const override;
  /// Refused: the flags belong to the list.
  void SetViewerState(uint16_t Value) override;
  int32_t GetAreaWidth() const override { return 0; }
  int32_t GetLeftMargin() const override { return 0; }
  int32_t GetRightMargin() const override { return 0; }
  int32_t GetTopMargin() const override { return 0; }
  int32_t GetBottomMargin() const override { return 0; }
  int32_t GetMinTextWidth() const override { return 0; }
  int32_t GetMaxTextWidth() const override { return 0; }
  TRVBackground* GetBackground() const override { return nullptr; }
  int32_t GetVSmallStep() const override { return 0; }
  void AdjustVScrollUnits() override {}
  void SetDocumentAreaSize(int32_t, int32_t, bool) override {}
  void VScrollTo(int32_t, bool) override {}
  void HScrollTo(int32_t) override {}
  /// Asks the root to show the rectangle, moved by this document's origin.
  void ScrollToShowRect(int32_t X, int32_t Y, int32_t Width, int32_t Height) override;

  /// The root's cursor; picture saving and hyperlink addresses are asked of the root by
  /// the document core already.
  TCursor GetNormalCursor() const override;

  bool HasRVMouseUp() const override { return false; }
  bool HasRVMouseDown() const override { return false; }
  bool HasJump() const override { return false; }
  bool HasCheckpointVisible() const override { return false; }
  void DoRVMouseUp(TMouseButton, TShiftState, int, int32_t, int32_t) override {}
  void DoRVMouseDown(TMouseButton, TShiftState, int, int32_t, int32_t) override {}
  void DoRVMouseMove(int32_t) override {}
  void DoJump(int32_t) override {}
  void DoCheckpointVisible(TCheckpointData) override {}
  void ControlAction(TRVControlAction, int, TCustomRVItemInfo*) override {}

  /// Every item counts as visible.
  int GetFirstVisibleItem() const override { return 0; }
  int GetLastVisibleItem() const override { return GetItemCount() - 1; }

 private:
  TRVDataList* Owner_;
};
