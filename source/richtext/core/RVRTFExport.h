// The RTF side of a document: the export options, the entry points that run the RTF writer
// (RVRTFWriter.h), the hook that lets the host add RTF code, and the writer's font table.
// TCustomRVData derives from TRVRTFExportSide; the definitions sit beside the writer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/core/Colors.h"
#include "platform/core/Object.h"
#include "richtext/core/RVClasses.h"

class TCustomRVData;
class TStream;

using TRVRTFOptions = uint8_t;
constexpr TRVRTFOptions rvrtfSaveStyleSheet = 0x01;
constexpr TRVRTFOptions rvrtfDuplicateUnicode = 0x02;
constexpr TRVRTFOptions rvrtfSaveEMFAsWMF = 0x04;
constexpr TRVRTFOptions rvrtfSaveJpegAsJpeg = 0x08;
constexpr TRVRTFOptions rvrtfSaveBitmapDefault = 0x10;
constexpr TRVRTFOptions rvrtfSaveEMFDefault = 0x20;
constexpr TRVRTFOptions rvDefaultRTFOptions = rvrtfDuplicateUnicode | rvrtfSaveEMFAsWMF | rvrtfSaveJpegAsJpeg;

/// The places of an RTF export where the host may add its own RTF code.
enum TRVRTFSaveArea : uint8_t {
  rv_rtfs_TextStyle = 0,  // character properties of a text style
  rv_rtfs_ParaStyle = 1,  // paragraph properties of a paragraph style
  rv_rtfs_CellProps = 2,  // properties of a table cell
  rv_rtfs_RowProps = 3,   // properties of a table row
  rv_rtfs_Doc = 4,        // the document, after the header tables
};
/// Lets the host add RTF code at Area: Obj is the style or item concerned (may be null),
/// Index1 and Index2 its numbers.
using TRVSaveRTFExtraEvent =
    std::function<void(TCustomRVData& Sender, TRVRTFSaveArea Area, TObject* Obj, int Index1, int Index2,
                       bool InStyleSheet, std::string& RTFCode)>;

// ---------------------------------------------------------------------------------------
// The RTF writer's font table.

class TRVRTFFontTableItem : public TObject {
 public:
  std::string ClassName() const override { return "TRVRTFFontTableItem"; }
  std::string FontName;
  uint8_t Charset = 0;
};

class TRVRTFFontTable : public TRVList<TRVRTFFontTableItem> {
 public:
  /// The first entry whose name equals FontName ignoring case and whose charset is Charset,
  /// -1 when none.
  int IndexOf(std::string_view FontName, uint8_t Charset) const;
  /// IndexOf, or the index of a new entry appended for them.
  int AddUnique(std::string_view FontName, uint8_t Charset);
};

// ---------------------------------------------------------------------------------------

class TRVRTFExportSide {
 public:
  virtual ~TRVRTFExportSide() = default;
  TRVRTFExportSide(const TRVRTFExportSide&) = delete;
  TRVRTFExportSide& operator=(const TRVRTFExportSide&) = delete;

  /// Writes the document, or the range its selection bounds give, as RTF. At Level 0 the
  /// five tables are made here (pass null) and the header, the tables and the closing brace
  /// are written; a nested document (a table cell, Level above 0) is written with the
  /// tables of the outer call and tpp, without header. False when an exception interrupted
  /// the writing (what was written stays in the stream).
  virtual bool SaveRTFToStream(TStream& Stream, bool SelectionOnly, int Level, TColor Color,
                               TRVColorList* ColorList, TRVIntegerList* StyleToFont,
                               TRVIntegerList* ListOverrideCounts, TRVIntegerList* ListOverrideOffsets,
                               TRVRTFFontTable* FontTable, double tpp);
  /// SaveRTFToStream at Level 0 into the file FileName; false also when it cannot be created.
  bool SaveRTF(const std::string& FileName, bool SelectionOnly, TColor Color);
  /// With Fill: the fixed colours, the style sheet's colours and one override per list
  /// style; then, always, every non-text item's FillRTFTables.
  void BuildRTFColorTable(TRVColorList& ColorList, TRVIntegerList& ListOverrideCounts, bool Fill);
  /// The host's extra RTF code for Area (RTFCode starts empty): a nested document asks its
  /// root, which fires OnSaveRTFExtra.
  virtual void SaveRTFExtra(TRVRTFSaveArea Area, TObject* Obj, int Index1, int Index2, bool InStyleSheet,
                            std::string& RTFCode);
  TRVSaveRTFExtraEvent OnSaveRTFExtra;

 private:
  friend class TCustomRVData;
  TRVRTFExportSide() = default;
  /// The document this is the RTF side of.
  TCustomRVData& Document();
};
