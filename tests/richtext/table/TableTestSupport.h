// Helpers of the table tests: a document with the default style sheet, the grid invariant
// check, and builders of the component-stream bytes that table records carry, written by
// hand from the format rather than with the code under test, and numbered paragraphs.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "richtext/core/CRVData.h"
#include "richtext/core/RVFTestSupport.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

namespace tabletest {

using rvftest::Int32LE;
using rvftest::Short;

/// A document with its own default style sheet.
class TDoc : public rvftest::TTestRVData {
 public:
  TDoc() {
    RVRegisterTableItemClass();
    SetRVStyle(&Style);
  }
  ~TDoc() override { Clear(); }
  /// Appends a table and answers it.
  TRVTableItemInfo* AddTable(int rows, int cols) {
    auto table = TRVTableItemInfo::CreateWithSize(rows, cols, this);
    TRVTableItemInfo* result = table.get();
    AddItem("", std::move(table));
    return result;
  }
  TRVStyle Style;
};

/// Empty when every slot is covered by exactly one cell and the nil slots are exactly the
/// covered ones; else a description of the first fault.
inline std::string GridFault(const TRVTableItemInfo& table) {
  const TRVTableRows& rows = table.Rows();
  const int nRows = rows.Count(), nCols = rows.GetColCount();
  std::vector<int> cover(static_cast<size_t>(nRows * nCols), 0);
  for (int r = 0; r < nRows; ++r) {
    if (rows.Get(r)->Count() != nCols) return "row " + std::to_string(r) + " has another slot count";
    for (int c = 0; c < nCols; ++c) {
      const TRVTableCellData* cell = rows.Get(r)->GetCell(c);
      if (cell == nullptr) continue;
      if (cell->GetRow() != rows.Get(r)) return "cell refers to another row";
      if (cell->RowSpan < 1 || cell->ColSpan < 1 || r + cell->RowSpan > nRows || c + cell->ColSpan > nCols)
        return "span outside the grid at " + std::to_string(r) + "," + std::to_string(c);
      for (int i = r; i < r + cell->RowSpan; ++i)
        for (int j = c; j < c + cell->ColSpan; ++j) {
          if (i != r || j != c) {
            if (rows.Get(i)->GetCell(j) != nullptr) return "covered slot holds a cell";
          }
          ++cover[static_cast<size_t>(i * nCols + j)];
        }
    }
  }
  for (size_t i = 0; i < cover.size(); ++i)
    if (cover[i] != 1) return "slot " + std::to_string(i) + " covered " + std::to_string(cover[i]) + " times";
  return {};
}

/// The grid an HTML5 parser's outline shows: a line per row, "[spans]" per cell ("c2", "r2"
/// for spans of two) followed by its text; blank texts are left out by the outline.
inline std::string GridOfOutline(const std::string& Outline) {
  std::string grid;
  std::istringstream lines(Outline);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    const std::string trimmed = line.substr(start);
    if (trimmed.rfind("<tr", 0) == 0) grid += grid.empty() ? "" : "\n";
    if (trimmed.rfind("<td", 0) == 0) {
      grid += "[";
      if (trimmed.find("colspan=2") != std::string::npos) grid += "c2";
      if (trimmed.find("rowspan=2") != std::string::npos) grid += "r2";
      grid += "]";
    }
    if (trimmed[0] == '\'' && !grid.empty()) grid += trimmed;
  }
  return grid;
}

// ---- component stream values ----------------------------------------------------------

inline std::string Int(int32_t v) {
  if (v >= -128 && v <= 127) return std::string("\x02") + static_cast<char>(v);
  if (v >= -32768 && v <= 32767) return std::string("\x03") + Int32LE(v).substr(0, 2);
  return std::string("\x04") + Int32LE(v);
}
inline std::string Ident(const std::string& s) {
  return "\x07" + Short(s);
}
inline std::string False() {
  return "\x08";
}
inline std::string True() {
  return "\x09";
}
inline std::string Str(const std::string& s) {
  return "\x06" + Short(s);
}
inline std::string Set(std::initializer_list<std::string> names) {
  std::string s = "\x0B";
  for (const auto& n : names) s += Short(n);
  return s + std::string(1, '\0');
}
inline std::string Binary(const std::string& bytes) {
  return "\x0A" + Int32LE(static_cast<int32_t>(bytes.size())) + bytes;
}
inline std::string Prop(const std::string& name, const std::string& value) {
  return Short(name) + value;
}
inline std::string End() {
  return std::string(1, '\0');
}

/// A "TD" component with its properties.
inline std::string Cell(const std::string& props = "") {
  return Short("TD") + End() + props + End() + End();
}
/// One entry of the cell list.
inline std::string Entry(int colSpan, int rowSpan, const std::string& cell = Cell()) {
  return Int(colSpan) + Int(rowSpan) + cell;
}
/// The whole stream: table properties, then the cell list of entries, then extra root
/// properties (RowVAlign).
inline std::string TableStream(const std::string& tableProps, int rows, int cols, const std::string& entries,
                               const std::string& after = "") {
  std::string s = "TPF0" + Short("TRVTableSW") + End() + tableProps + Short("C") + Int(rows);
  if (rows > 0) s += Int(cols) + "\x01" + entries + End();
  return s + after + End() + End();
}
/// A cell's "Data": the document as an RVF stream with its length, inside a binary value.
inline std::string CellData(const std::string& rvf) {
  return Prop("C.Data", Binary(Int32LE(static_cast<int32_t>(rvf.size())) + rvf));
}
/// The RVF of a document holding one paragraph of text in style 0.
inline std::string TextRVF(const std::string& text) {
  return rvftest::Lines({"-8 1 2", "0 1 0 0 0 0", text});
}
/// A table record in hex, as a document holding only the table writes it.
inline std::string TableRecord(const std::string& stream) {
  return rvftest::Lines({"-60 3 0 0 0 0 ", "", "1", rvftest::Hex(stream)});
}

/// Appends a numbered paragraph of list 0 with Text to Data.
inline void AddNumbered(TCustomRVData& Data, const std::string& Text) {
  Data.AddItem("", TRVMarkerItemInfo::CreateForList(&Data, 0, 0, 1, false));
  Data.AddMarkerToList(Data.GetItemCount() - 1);
  Data.AddTextItem(Text, 0, -1);
}

/// The counter of every marker in document order, cells included, as "text=counter ".
inline std::string Counters(TCustomRVData& Data) {
  std::string out;
  for (int i = 0; i < Data.GetItemCount(); ++i) {
    TCustomRVItemInfo* item = Data.GetItem(i);
    if (item->StyleNo == rvsListMarker && i + 1 < Data.GetItemCount())
      out += Data.GetItemText(i + 1) + "=" + std::to_string(static_cast<TRVMarkerItemInfo*>(item)->Counter) +
             " ";
    std::unique_ptr<TRVStoreSubRVData> state;
    for (TCustomRVData* sub = item->GetSubDocument(state, 0); sub != nullptr;
         sub = item->GetSubDocument(state, 4))
      out += Counters(*sub);
  }
  return out;
}

}  // namespace tabletest
