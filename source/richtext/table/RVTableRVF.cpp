// The table's RVF record. The record frame is that of every non-text item; its body is one
// component stream: the root "TRVTableSW" carries the table's properties under "T.", the
// cell list "C" (column spans, row spans and one "TD" component per cell, each cell's
// document as a nested RVF stream in "C.Data") and the row alignments "RowVAlign".
//
// The stream is written and read here with the filer's value primitives rather than through
// published-property metadata: the bytes are fixed by the format, and one property table
// below serves both directions.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Graphic.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"
#include "richtext/table/RVTablePrint.h"
#include "richtext/viewer/CRVFData.h"

namespace {

constexpr const char* kRootClass = "TRVTableSW";
constexpr const char* kCellClass = "TD";
/// Most tables nested in one another while reading; every level is a complete document.
constexpr int kMaxTableNesting = 32;
/// Most slots a grid read from a file may have: beyond what any document holds, and a bound
/// on what a lying record can make the reader allocate.
constexpr int64_t kMaxGridSlots = 65536;

thread_local int g_readNesting = 0;

const std::vector<std::string> kOptionNames = {
    "rvtoEditing",         "rvtoRowSizing",     "rvtoColSizing",
    "rvtoRowSelect",       "rvtoColSelect",     "rvtoRTFSaveCellPixelBestWidth",
    "rvtoRTFAllowAutofit", "rvtoHideGridLines", "rvtoOverlappingCorners",
    "rvtoCellBelowBorders"};
const std::vector<std::string> kPrintOptionNames = {"rvtoHalftoneBorders", "rvtoRowsSplit",
                                                    "rvtoWhiteBackground"};
const std::vector<std::string> kBackgroundStyleNames = {"rvbsColor", "rvbsStretched", "rvbsTiled",
                                                        "rvbsCentered"};
const std::vector<std::string> kBorderStyleNames = {"rvtbRaised", "rvtbLowered", "rvtbColor",
                                                    "rvtbRaisedColor", "rvtbLoweredColor"};
const std::vector<std::string> kVAlignNames = {"rvcTop", "rvcMiddle", "rvcBottom", "rvcVDefault"};

enum class TKind : uint8_t { Set, Int, Color, Enum, Bool, Str };

/// One published property of a table or cell: how it is written, its default, and how it
/// is got and set as an integer (or a string for Str).
template <typename T>
struct TProp {
  const char* Name;
  TKind Kind;
  const std::vector<std::string>* Names;  // element names of sets and enumerations
  int64_t Default;
  int64_t (*Get)(const T&);
  void (*Set)(T&, int64_t);
  std::string T::*Text = nullptr;  // Str properties
  const char* TextDefault = "";
};

#define ZUK_INT_PROP(T, Name, Kind, Names, Default, Field)                     \
  TProp<T> {                                                                   \
    Name, Kind, Names, Default, [](const T& o) -> int64_t { return o.Field; }, \
        [](T& o, int64_t v) { o.Field = static_cast<decltype(o.Field)>(v); }   \
  }

const std::vector<TProp<TRVTableItemInfo>>& TableProps() {
  using T = TRVTableItemInfo;
  static const std::vector<TProp<T>> props = {
      ZUK_INT_PROP(T, "Options", TKind::Set, &kOptionNames, rvtoDefaultOptions, Options),
      ZUK_INT_PROP(T, "PrintOptions", TKind::Set, &kPrintOptionNames, rvtoDefaultPrintOptions, PrintOptions),
      ZUK_INT_PROP(T, "BestWidth", TKind::Int, nullptr, 0, BestWidth),
      ZUK_INT_PROP(T, "Color", TKind::Color, nullptr, clWindow, Color),
      TProp<T>{"BackgroundStyle", TKind::Enum, &kBackgroundStyleNames, rvbsColor,
               [](const T& o) -> int64_t { return o.GetBackgroundStyle(); },
               [](T& o, int64_t v) { o.SetBackgroundStyle(static_cast<TRVItemBackgroundStyle>(v)); }},
      ZUK_INT_PROP(T, "HeadingRowCount", TKind::Int, nullptr, 0, HeadingRowCount),
      TProp<T>{"TextRowSeparator", TKind::Str, nullptr, 0, nullptr, nullptr, &T::TextRowSeparator, "\r\n"},
      TProp<T>{"TextColSeparator", TKind::Str, nullptr, 0, nullptr, nullptr, &T::TextColSeparator, "\r\n"},
      ZUK_INT_PROP(T, "BorderWidth", TKind::Int, nullptr, 0, BorderWidth),
      ZUK_INT_PROP(T, "BorderColor", TKind::Color, nullptr, clWindowText, BorderColor),
      ZUK_INT_PROP(T, "BorderLightColor", TKind::Color, nullptr, clBtnHighlight, BorderLightColor),
      ZUK_INT_PROP(T, "BorderStyle", TKind::Enum, &kBorderStyleNames, rvtbRaised, BorderStyle),
      ZUK_INT_PROP(T, "BorderVSpacing", TKind::Int, nullptr, 2, BorderVSpacing),
      ZUK_INT_PROP(T, "BorderHSpacing", TKind::Int, nullptr, 2, BorderHSpacing),
      ZUK_INT_PROP(T, "CellBorderWidth", TKind::Int, nullptr, 0, CellBorderWidth),
      ZUK_INT_PROP(T, "CellBorderColor", TKind::Color, nullptr, clWindowText, CellBorderColor),
      ZUK_INT_PROP(T, "CellBorderLightColor", TKind::Color, nullptr, clBtnHighlight, CellBorderLightColor),
      ZUK_INT_PROP(T, "CellPadding", TKind::Int, nullptr, 1, CellPadding),
      ZUK_INT_PROP(T, "CellBorderStyle", TKind::Enum, &kBorderStyleNames, rvtbLowered, CellBorderStyle),
      ZUK_INT_PROP(T, "VRuleWidth", TKind::Int, nullptr, 0, VRuleWidth),
      ZUK_INT_PROP(T, "VRuleColor", TKind::Color, nullptr, clWindowText, VRuleColor),
      ZUK_INT_PROP(T, "HRuleWidth", TKind::Int, nullptr, 0, HRuleWidth),
      ZUK_INT_PROP(T, "HRuleColor", TKind::Color, nullptr, clWindowText, HRuleColor),
      ZUK_INT_PROP(T, "CellVSpacing", TKind::Int, nullptr, 2, CellVSpacing),
      ZUK_INT_PROP(T, "CellHSpacing", TKind::Int, nullptr, 2, CellHSpacing),
      ZUK_INT_PROP(T, "VOutermostRule", TKind::Bool, nullptr, 0, VOutermostRule),
      ZUK_INT_PROP(T, "HOutermostRule", TKind::Bool, nullptr, 0, HOutermostRule),
  };
  return props;
}

const std::vector<TProp<TRVTableCellData>>& CellProps() {
  using T = TRVTableCellData;
  static const std::vector<TProp<T>> props = {
      ZUK_INT_PROP(T, "Color", TKind::Color, nullptr, clNone, Color),
      ZUK_INT_PROP(T, "BorderColor", TKind::Color, nullptr, clNone, BorderColor),
      ZUK_INT_PROP(T, "BorderLightColor", TKind::Color, nullptr, clNone, BorderLightColor),
      ZUK_INT_PROP(T, "BestWidth", TKind::Int, nullptr, 0, BestWidth),
      ZUK_INT_PROP(T, "BestHeight", TKind::Int, nullptr, 0, BestHeight),
      // The sides of VisibleBorders are written only when off.
      ZUK_INT_PROP(T, "VisibleBorders.Left", TKind::Bool, nullptr, 1, VisibleBorders.Left),
      ZUK_INT_PROP(T, "VisibleBorders.Right", TKind::Bool, nullptr, 1, VisibleBorders.Right),
      ZUK_INT_PROP(T, "VisibleBorders.Top", TKind::Bool, nullptr, 1, VisibleBorders.Top),
      ZUK_INT_PROP(T, "VisibleBorders.Bottom", TKind::Bool, nullptr, 1, VisibleBorders.Bottom),
      ZUK_INT_PROP(T, "VAlign", TKind::Enum, &kVAlignNames, rvcVDefault, VAlign),
      TProp<T>{"BackgroundStyle", TKind::Enum, &kBackgroundStyleNames, rvbsColor,
               [](const T& o) -> int64_t { return o.GetBackgroundStyle(); },
               [](T& o, int64_t v) { o.SetBackgroundStyle(static_cast<TRVItemBackgroundStyle>(v)); }},
  };
  return props;
}

#undef ZUK_INT_PROP

// ---------------------------------------------------------------------------------------
// Writing

void WriteBinary(TWriter& writer, const std::function<void(TStream&)>& fill) {
  TMemoryStream data;
  fill(data);
  writer.WriteValue(vaBinary);
  const auto size = static_cast<int32_t>(data.Size());
  writer.Write(&size, 4);
  writer.Write(data.Memory(), size);
}

template <typename T>
void WriteProps(TWriter& writer, const T& object, const std::vector<TProp<T>>& props,
                const std::string& prefix) {
  for (const TProp<T>& prop : props) {
    if (prop.Kind == TKind::Str) {
      const std::string& text = object.*prop.Text;
      if (text == prop.TextDefault) continue;
      writer.WriteStr(prefix + prop.Name);
      writer.WriteString(text);
      continue;
    }
    const int64_t value = prop.Get(object);
    if (value == prop.Default) continue;
    writer.WriteStr(prefix + prop.Name);
    std::string ident;
    switch (prop.Kind) {
      case TKind::Set:
        writer.WriteSet(static_cast<uint32_t>(value), *prop.Names);
        break;
      case TKind::Enum:
        writer.WriteIdent((*prop.Names)[static_cast<size_t>(value)]);
        break;
      case TKind::Bool:
        writer.WriteBoolean(value != 0);
        break;
      case TKind::Color:
        if (ColorToIdent(static_cast<TColor>(value), ident))
          writer.WriteIdent(ident);
        else
          writer.WriteInteger(value);
        break;
      default:
        writer.WriteInteger(value);
        break;
    }
  }
}

/// "BackgroundImg": the class name with its length, then the picture with its length.
void WriteBackground(TWriter& writer, const std::string& name, TGraphic* image) {
  if (image == nullptr || image->Empty()) return;
  writer.WriteStr(name);
  WriteBinary(writer, [image](TStream& s) {
    const std::string className = image->ClassName();
    const auto length = static_cast<int32_t>(className.size());
    s.WriteBuffer(&length, 4);
    s.WriteBuffer(className.data(), length);
    RVFSavePictureBinary(s, *image);
  });
}

void WriteCell(TWriter& writer, TRVTableCellData& cell) {
  writer.WriteStr(kCellClass);
  writer.WriteStr("");
  WriteProps(writer, cell, CellProps(), "C.");
  if (cell.HasContent(true)) {
    writer.WriteStr("C.Data");
    // A cell being edited is saved with what its editor holds.
    WriteBinary(writer, [&cell](TStream& s) { cell.GetActiveData()->WriteRVFToComponentStream(s); });
  }
  WriteBackground(writer, "C.BackgroundImg", cell.GetBackgroundImage());
  writer.WriteListEnd();
  writer.WriteListEnd();
}

// ---------------------------------------------------------------------------------------
// Reading

/// The bytes of a binary value, its length checked against the stream.
std::string ReadBinary(TReader& reader) {
  if (reader.ReadValue() != vaBinary) throw EReadError("Invalid property value");
  int32_t length = 0;
  reader.Read(&length, 4);
  if (length < 0 || length > reader.Stream().Remaining()) throw EReadError("Invalid binary property length");
  std::string bytes(static_cast<size_t>(length), '\0');
  reader.Read(bytes.data(), length);
  return bytes;
}

int64_t ReadEnumValue(TReader& reader, const std::vector<std::string>& names) {
  const std::string ident = reader.ReadIdent();
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == ident) return static_cast<int64_t>(i);
  throw EReadError("Invalid property value");
}

template <typename T>
bool ReadProp(TReader& reader, T& object, const std::vector<TProp<T>>& props, const std::string& name) {
  for (const TProp<T>& prop : props) {
    if (name != prop.Name) continue;
    int64_t value = 0;
    TColor color = 0;
    switch (prop.Kind) {
      case TKind::Str:
        object.*prop.Text = reader.ReadString();
        return true;
      case TKind::Set:
        if (reader.ReadValue() != vaSet) throw EReadError("Invalid property value");
        value = reader.ReadSet(*prop.Names);
        break;
      case TKind::Enum:
        value = ReadEnumValue(reader, *prop.Names);
        break;
      case TKind::Bool:
        value = reader.ReadBoolean() ? 1 : 0;
        break;
      case TKind::Color:
        if (reader.NextValue() == vaIdent) {
          if (!IdentToColor(reader.ReadIdent(), color)) throw EReadError("Invalid property value");
          value = color;
        } else {
          value = reader.ReadInteger();
        }
        break;
      default:
        value = reader.ReadInteger();
        break;
    }
    prop.Set(object, value);
    return true;
  }
  return false;
}

/// Reads "BackgroundImg" into a picture of the registered class it names.
std::unique_ptr<TGraphic> ReadBackground(TReader& reader) {
  TMemoryStream data(ReadBinary(reader));
  int32_t length = 0;
  data.ReadBuffer(&length, 4);
  if (length < 0 || length > 255 || length > data.Remaining()) throw EReadError("Invalid picture class name");
  std::string className(static_cast<size_t>(length), '\0');
  data.ReadBuffer(className.data(), length);
  std::unique_ptr<TGraphic> graphic = RVCreateGraphic(className);
  if (!graphic) throw EReadError("Class " + className + " not found");
  RVFLoadPictureBinary(data, *graphic);
  return graphic;
}

void ReadCell(TReader& reader, TRVTableCellData& cell) {
  if (reader.ReadStr() != kCellClass) throw EReadError("Invalid cell component");
  reader.ReadStr();  // the component name, always empty
  while (!reader.EndOfList()) {
    const std::string name = reader.ReadStr();
    if (name.rfind("C.", 0) != 0) throw EReadError("Error reading cell: unknown property " + name);
    const std::string prop = name.substr(2);
    if (prop == "Data") {
      TMemoryStream data(ReadBinary(reader));
      cell.Clear();
      if (!cell.ReadRVFFromComponentStream(data)) throw EReadError("Error reading cell: bad document");
    } else if (prop == "BackgroundImg") {
      cell.SetBackgroundImageEx(ReadBackground(reader).get());
    } else if (!ReadProp(reader, cell, CellProps(), prop)) {
      throw EReadError("Error reading cell: unknown property " + name);
    }
  }
  reader.ReadListEnd();
  reader.ReadListEnd();  // no child components
}

void ReadCellList(TReader& reader, TRVTableItemInfo& table) {
  TRVTableRows& rows = table.Rows();
  table.ReleaseCellsForReading();
  table.FormattingInfo.Clear();
  rows.Clear();
  const int32_t rowCount = reader.ReadInteger();
  if (rowCount == 0) return;
  const int32_t colCount = reader.ReadInteger();
  // Every row and column takes bytes of the stream; the product is bounded on its own.
  const int64_t left = reader.Stream().Remaining();
  if (rowCount < 0 || colCount < 1 || rowCount > left || colCount > left ||
      int64_t{rowCount} * colCount > kMaxGridSlots)
    throw EReadError("Invalid size of cells list");
  rows.InitRows(rowCount, colCount);
  reader.ReadListBegin();
  rows.Reading = true;
  struct TReadingScope {
    TRVTableRows& rows;
    ~TReadingScope() { rows.Reading = false; }
  } scope{rows};
  for (int r = 0; r < rowCount; ++r)
    for (int c = 0; c < colCount; ++c) {
      TRVTableCellData* cell = rows.Get(r)->GetCell(c);
      if (cell == nullptr) continue;
      if (reader.EndOfList()) throw EReadError("Wrong end of cells list");
      const int32_t colSpan = reader.ReadInteger();
      const int32_t rowSpan = reader.ReadInteger();
      if (colSpan < 1 || rowSpan < 1 || colSpan > colCount - c || rowSpan > rowCount - r)
        throw EReadError("Invalid cell span");
      if (colSpan > 1 || rowSpan > 1) {
        rows.MergeCells(r, c, colSpan, rowSpan, true, false);
        if (cell->ColSpan != colSpan || cell->RowSpan != rowSpan) throw EReadError("Invalid cell span");
      }
      ReadCell(reader, *cell);
    }
  if (!reader.EndOfList()) throw EReadError("Wrong end of cells list");
  reader.ReadListEnd();
}

void ReadRowVAlign(TReader& reader, TRVTableItemInfo& table) {
  reader.ReadListBegin();
  for (int r = 0; r < table.Rows().Count(); ++r) {
    if (reader.EndOfList()) throw EReadError("Wrong end of row alignments");
    const int32_t value = reader.ReadInteger();
    if (value < rvcTop || value > rvcVDefault) throw EReadError("Invalid row alignment");
    table.Rows().Get(r)->VAlign = static_cast<TRVCellVAlign>(value);
  }
  reader.ReadListEnd();
}

}  // namespace

// ---------------------------------------------------------------------------------------

void TRVTableItemInfo::ReleaseCellsForReading() {
  if (GetParentData() == nullptr || (State & rvtsInserted) == 0) return;
  DestroyInplace(false);
  if (auto* data = dynamic_cast<TCustomRVFormattedData*>(GetParentData())) {
    if (data->UsingThisXorDrawing(this)) {
      data->ClearXorDrawing();
      data->UnassignXorDrawing(this);
    }
    data->ReleaseMouseCapture(this);
  }
  DragSelecting = false;
}

void TRVTableItemInfo::WritePartComponentStream(TStream& Stream, int FirstRow, int RowCount) {
  SaveRowStart = FirstRow;
  SaveRowCount = RowCount;
  struct TWholeAgain {
    TRVTableItemInfo& table;
    ~TWholeAgain() {
      table.SaveRowStart = 0;
      table.SaveRowCount = table.Rows().Count();
    }
  } whole{*this};
  WriteComponentStream(Stream);
}

void TRVTableItemInfo::WriteComponentStream(TStream& Stream) {
  TWriter writer(Stream);
  writer.WriteSignature();
  writer.WriteStr(kRootClass);
  writer.WriteStr("");
  WriteProps(writer, *this, TableProps(), "T.");
  WriteBackground(writer, "T.BackgroundImg", GetBackgroundImage());
  const int first = std::clamp(SaveRowStart, 0, Rows_->Count());
  const int count = std::clamp(SaveRowCount, 0, Rows_->Count() - first);
  writer.WriteStr("C");
  writer.WriteInteger(count);
  // Lowered again when the writing fails.
  BeginBusy();
  struct TBusyScope {
    TRVTableItemInfo& table;
    ~TBusyScope() { table.EndBusy(); }
  } busy{*this};
  bool anyVAlign = false;
  if (count > 0) {
    writer.WriteInteger(Rows_->GetColCount());
    writer.WriteListBegin();
    for (int r = first; r < first + count; ++r) {
      const TRVTableRow* row = Rows_->Get(r);
      anyVAlign = anyVAlign || row->VAlign != rvcTop;
      for (int c = 0; c < row->Count(); ++c) {
        TRVTableCellData* cell = row->GetCell(c);
        if (cell == nullptr) continue;
        writer.WriteInteger(cell->ColSpan);
        writer.WriteInteger(cell->RowSpan);
        WriteCell(writer, *cell);
      }
    }
    writer.WriteListEnd();
  }
  if (anyVAlign) {
    writer.WriteStr("RowVAlign");
    writer.WriteListBegin();
    for (int r = first; r < first + count; ++r) writer.WriteInteger(Rows_->Get(r)->VAlign);
    writer.WriteListEnd();
  }
  writer.WriteListEnd();
  writer.WriteListEnd();
}

namespace {

/// Lengths a table takes from a file stay where layout arithmetic cannot overflow, even on the
/// largest grid the reader accepts: spacings, paddings and border widths of at most 1024
/// pixels either way, requested sizes of at most 16384 pixels or 1000 percent.
constexpr int32_t kMaxSpacing = 1024;
constexpr int32_t kMaxBestSize = 16384;
constexpr int32_t kMaxPercent = 1000;

void CheckLengths(const TRVTableItemInfo& Table) {
  auto inRange = [](int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; };
  const int32_t spacings[] = {Table.BorderWidth,     Table.BorderHSpacing, Table.BorderVSpacing,
                              Table.CellBorderWidth, Table.CellPadding,    Table.CellHSpacing,
                              Table.CellVSpacing};
  bool ok = inRange(Table.BestWidth, -kMaxPercent, kMaxBestSize);
  for (int32_t v : spacings) ok = ok && inRange(v, -kMaxSpacing, kMaxSpacing);
  for (int r = 0; r < Table.Rows().Count() && ok; ++r)
    for (int c = 0; c < Table.Rows().GetColCount() && ok; ++c)
      if (const TRVTableCellData* cell = Table.GetCell(r, c))
        ok = inRange(cell->BestWidth, -kMaxPercent, kMaxBestSize) &&
             inRange(cell->BestHeight, -kMaxBestSize, kMaxBestSize);
  if (!ok) throw EReadError("Table length out of range");
}

}  // namespace

void TRVTableItemInfo::ReadComponentStream(TStream& Stream) {
  if (g_readNesting >= kMaxTableNesting) throw EReadError("Tables nested too deeply");
  ++g_readNesting;
  struct TNestingScope {
    ~TNestingScope() { --g_readNesting; }
  } nesting;
  TReader reader(Stream);
  reader.ReadSignature();
  if (reader.ReadStr() != kRootClass) throw EReadError("Invalid table component");
  reader.ReadStr();
  while (!reader.EndOfList()) {
    const std::string name = reader.ReadStr();
    if (name == "C")
      ReadCellList(reader, *this);
    else if (name == "RowVAlign")
      ReadRowVAlign(reader, *this);
    else if (name == "T.BackgroundImg")
      SetBackgroundImage(ReadBackground(reader).get());
    else if (name.rfind("T.", 0) != 0 || !ReadProp(reader, *this, TableProps(), name.substr(2)))
      throw EReadError("Error reading table: unknown property " + name);
  }
  reader.ReadListEnd();
  reader.ReadListEnd();
  CheckLengths(*this);
}

void TRVTableItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo,
                               const std::string& Name, const TRVMultiDrawItemPart* Part,
                               bool ForceSameAsPrev) {
  (void)ItemNo, (void)ForceSameAsPrev;
  const bool binary = RVFSaveBinary(RVData);
  RVFWriteItemHeader(Stream, RVData, *this, ParaNo, CountRVFExtraProperties() + 3,
                     binary ? rvfrtBinary : rvfrtText);
  RVFWriteLine(Stream, RVFMakeLineSafe(Name, false));
  SaveRVFExtraProperties(Stream);
  RVFWriteLine(Stream, "1");
  TMemoryStream body;
  if (const auto* part = dynamic_cast<const TRVTablePrintPart*>(Part)) {
    WritePartComponentStream(body, part->FirstRow, part->RowCount);
  } else {
    SaveRowStart = 0;
    SaveRowCount = Rows_->Count();
    WriteComponentStream(body);
  }
  if (binary) {
    const auto size = static_cast<int32_t>(body.Size());
    Stream.WriteBuffer(&size, 4);
    Stream.WriteBuffer(body.Memory(), size);
  } else {
    RVFWriteLine(Stream, RVFStreamToHex(body));
  }
}

bool TRVTableItemInfo::ReadRVFLine(std::string_view S, TRVFLineContext& Context) {
  // The record holds at least the name line and the body.
  if (Context.LineCount < 2) return false;
  if (Context.LineNo == 0) Context.Name.assign(S);
  if (Context.LineNo == Context.LineCount - 2 && Context.ReadType == rvfrtBinary)
    Context.ReadMode = rmBeforeBinary;
  if (Context.LineNo != Context.LineCount - 1) return true;
  Context.ReadState = rstSkip;
  TMemoryStream body;
  if (Context.ReadType == rvfrtBinary)
    body.WriteBuffer(S);
  else if (!RVFHexToStream(S, body))
    return false;
  body.SetPosition(0);
  try {
    ReadComponentStream(body);
  } catch (const Exception&) {
    return false;
  }
  return true;
}
