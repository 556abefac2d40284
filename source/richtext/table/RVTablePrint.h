// Printing tables: the table's piece on printed pages (TRVTablePrintInfo) keeps a layout of
// its own at the printer's resolution with one printable document a cell (TCellPtblRVData),
// and is cut into parts of whole rows (TRVTablePrintPart), one a page, never between rows
// that merged cells tie together; heading rows repeat at the top of every part.
#pragma once

#include <cstdint>
#include <string>

#include "richtext/core/DLines.h"
#include "richtext/table/RVTable.h"
#include "richtext/viewer/RVPrintableData.h"

class TRVTableCellData;

/// The rows of one page.
class TRVTablePrintPart : public TRVMultiDrawItemPart {
 public:
  std::string ClassName() const override { return "TRVTablePrintPart"; }
  int GetFirstRow() const { return FirstRow; }

  int FirstRow = 0;  // its first row after the heading rows
  int RowCount = 0;
};

/// The printable document of one cell.
class TCellPtblRVData : public TRectPtblRVData, public TRVTablePrintableCell {
 public:
  TCellPtblRVData(TCustomRVViewer* Viewer, TCustomPrintableRVData* ParentPtblData, TRVTableCellData* Cell);
  std::string ClassName() const override { return "TCellPtblRVData"; }
  /// The style sheet of the cell it prints.
  TRVStyle* GetRVStyle() const override;
  TRVTableCellData* Cell() const { return Cell_; }

  int32_t FormatForWidth(int32_t AWidth) override;
  void Place(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;
  int32_t GetContentHeight() const override { return DocumentHeight; }
  int32_t GetPlacedHeight() const override { return Height; }
  void Print(TCanvas& Canvas, int32_t X, int32_t Y, bool Preview, bool Correction) override;

 private:
  TRVTableCellData* Cell_;
};

class TRVTablePrintInfo : public TRVMultiDrawItemInfo {
 public:
  explicit TRVTablePrintInfo(TRVTableItemInfo* Table);
  std::string ClassName() const override { return "TRVTablePrintInfo"; }

  /// Never split unless the table asks for rows to be split: then one part of every row
  /// after the heading rows.
  bool InitSplit() override;
  /// Whether the first run of tied rows after the headings fits into AHeight.
  bool CanSplitAt(int32_t AHeight) override;
  /// Cuts the last part so that its first piece fits into AHeight; ERVError "Internal
  /// printing error" when there is no part or the rows contradict it.
  bool SplitAt(int32_t AHeight) override;

  TRVTableItemFormattingInfo FormattingInfo;
  /// Screen and device resolutions of the printing.
  TRVFormatScale Scale{};
  TRVTableItemInfo* Table;
  bool UseHeadings;

 private:
  /// The first row after the headings.
  int startRow() const;
  /// What a part adds to its rows: the table's space above the start row and below the last.
  int32_t tail() const;
  int32_t rowBottom(int Row) const { return FormattingInfo.RowStarts[Row] + FormattingInfo.RowHeights[Row]; }
};
