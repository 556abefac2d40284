// RVF records of the items: the header fields each kind reads after the tag, the data lines
// it reads (names, graphic class names, extra properties, bodies), and the whole record it
// writes. Text items are written by the document's writer, which joins them into runs.
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/SysUtils.h"
#include "platform/graphics/Controls.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/ImageList.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVGraphicFuncs.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVNonTextItems.h"

namespace {

/// Reads an integer field that must lie in [lo, hi].
bool ReadIntInRange(std::string_view& p, int32_t lo, int32_t hi, int32_t& value) {
  return RVFReadInteger(p, value) && value >= lo && value <= hi;
}

/// The body of a binary record is its last line.
bool ReadsBinaryNext(const TRVFLineContext& context) {
  return context.ReadType == rvfrtBinary && context.LineNo == context.LineCount - 2;
}

/// The name line of a non-text item.
void WriteNameLine(TStream& stream, const std::string& name) {
  RVFWriteLine(stream, RVFMakeLineSafe(name, false));
}

/// Writes the frame of a record whose body is a stored object (a picture or a control): the
/// header, the name line, the object's class name when the body is stored, and the extra
/// properties. Returns whether the body follows in binary form.
bool WriteObjectRecordFrame(TStream& stream, TCustomRVData* rvData, const TCustomRVItemInfo& item,
                            int32_t paraNo, const std::string& name, const TObject* object, bool storeBody) {
  const bool body = object != nullptr && storeBody;
  const bool binary = RVFSaveBinary(rvData);
  const int readType = !body ? rvfrtNoBody : binary ? rvfrtBinary : rvfrtText;
  RVFWriteItemHeader(stream, rvData, item, paraNo, (body ? 3 : 1) + item.CountRVFExtraProperties(), readType);
  WriteNameLine(stream, name);
  if (body) RVFWriteLine(stream, object->ClassName());
  item.SaveRVFExtraProperties(stream);
  return binary;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TCustomRVItemInfo

bool TCustomRVItemInfo::ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) {
  (void)P, (void)RVData;
  return true;
}

bool TCustomRVItemInfo::ReadRVFLine(std::string_view S, TRVFLineContext& Context) {
  (void)S, (void)Context;
  return true;
}

void TCustomRVItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo,
                                const std::string& Name, const TRVMultiDrawItemPart* Part,
                                bool ForceSameAsPrev) {
  (void)Stream, (void)RVData, (void)ItemNo, (void)ParaNo, (void)Name, (void)Part, (void)ForceSameAsPrev;
}

void TCustomRVItemInfo::ReadRVFExtraProperty(std::string_view Line) {
  const size_t eq = Line.find('=');
  if (eq == std::string_view::npos) return;
  const int32_t value = StrToIntDef(Line.substr(eq + 1), 0);
  SetIntPropertyByCode(RVGetItemIntPropCode(Line.substr(0, eq)), value);
}

// ---------------------------------------------------------------------------------------
// Rectangles, breaks

bool TRVRectItemInfo::ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) {
  (void)RVData;
  if (P.empty()) {
    VAlign = 0;
    return true;
  }
  int32_t vAlign = 0;
  if (!ReadIntInRange(P, 0, 255, vAlign)) return false;
  VAlign = static_cast<uint8_t>(vAlign);
  return true;
}

bool TRVBreakItemInfo::ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) {
  (void)RVData;
  if (P.empty()) {
    Color = clNone;
    Style = 0;
    LineWidth = 1;
    return true;
  }
  int32_t color = 0, style = 0, width = 0;
  if (!RVFReadInteger(P, color) || !ReadIntInRange(P, 0, 255, style) || !ReadIntInRange(P, 0, 255, width))
    return false;
  Color = color;
  Style = static_cast<uint8_t>(style);
  LineWidth = static_cast<uint8_t>(width);
  return true;
}

void TRVBreakItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo,
                               const std::string& Name, const TRVMultiDrawItemPart* Part,
                               bool ForceSameAsPrev) {
  (void)ItemNo, (void)Name, (void)Part, (void)ForceSameAsPrev;
  RVFWriteItemHeader(Stream, RVData, *this, ParaNo, 0, rvfrtText);
}

// ---------------------------------------------------------------------------------------
// Pictures: Name; graphic class name; extra properties; picture (or, without a body, Name
// and the extra properties, the picture coming from the document's RVFPictureNeeded).

bool TRVGraphicItemInfo::ReadRVFLine(std::string_view S, TRVFLineContext& Context) {
  const bool body = Context.ReadType != rvfrtNoBody;
  if (body && Context.LineCount < 3) return false;
  if (Context.LineNo == 0) {
    ++Context.RVData->RVFPictureReport().Count;
    Context.Name.assign(S);
    if (!body) Image = Context.RVData->RVFPictureNeeded(Context.Name, Tag);
  } else if (body && Context.LineNo == 1) {
    Image = RVCreateGraphic(S);
    if (!Image) {
      RVFAddWarning(Context.RVData, rvfwUnknownPicture);
      RVFNoteUnreadPicture(Context.RVData, S);
      if ((Context.RVData->GetRVFOptions() & rvfoIgnoreUnknownPicFmt) == 0) return false;
    }
  } else if (body && Context.LineNo == Context.LineCount - 1) {
    if (Image) {
      // A picture that does not decode is replaced; the note names the class it was read as.
      const std::string className = Image->ClassName();
      bool replaced = false;
      std::string reason;
      if (!RVFLoadPictureLine(S, Context.ReadType, Image, Context.RVData, &replaced, &reason)) return false;
      if (replaced) RVFNoteUnreadPicture(Context.RVData, className, reason);
    }
  } else {
    ReadRVFExtraProperty(S);
  }
  if (body && ReadsBinaryNext(Context)) Context.ReadMode = rmBeforeBinary;
  return true;
}

void TRVGraphicItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo,
                                 const std::string& Name, const TRVMultiDrawItemPart* Part,
                                 bool ForceSameAsPrev) {
  (void)ItemNo, (void)Part, (void)ForceSameAsPrev;
  const bool body = Image != nullptr && (RVData->GetRVFOptions() & rvfoSavePicturesBody) != 0;
  const bool binary = WriteObjectRecordFrame(Stream, RVData, *this, ParaNo, Name, Image.get(), body);
  if (!body) return;
  if (binary)
    RVFSavePictureBinary(Stream, *Image);
  else
    RVFWriteLine(Stream, RVFSavePictureToHex(*Image));
}

// ---------------------------------------------------------------------------------------
// Bullets and hotspots: image list tag and indexes in the header; Name (and, for bullets,
// the extra properties) as lines.

bool TRVBulletItemInfo::CheckRVFImageIndex(int32_t& Index, TCustomRVData* RVData) const {
  if (ImageList == nullptr || (Index >= 0 && Index < ImageList->Count())) return true;
  RVFAddWarning(RVData, rvfwImageIndexOutOfRange);
  if ((RVData->GetRVFOptions() & rvfoConvLargeImageIdxToZero) == 0) return false;
  Index = 0;
  return true;
}

bool TRVBulletItemInfo::ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) {
  int32_t listTag = 0, index = 0;
  if (!RVFReadInteger(P, listTag) || !RVFReadInteger(P, index)) return false;
  ImageList = RVData->RVFImageListNeeded(listTag);
  if (!CheckRVFImageIndex(index, RVData)) return false;
  ImageIndex = index;
  return true;
}

bool TRVBulletItemInfo::ReadRVFLine(std::string_view S, TRVFLineContext& Context) {
  if (Context.LineNo == 0)
    Context.Name.assign(S);
  else
    ReadRVFExtraProperty(S);
  return true;
}

void TRVBulletItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo,
                                const std::string& Name, const TRVMultiDrawItemPart* Part,
                                bool ForceSameAsPrev) {
  (void)ItemNo, (void)Part, (void)ForceSameAsPrev;
  RVFWriteItemHeader(Stream, RVData, *this, ParaNo, 1 + CountRVFExtraProperties(), rvfrtText);
  WriteNameLine(Stream, Name);
  SaveRVFExtraProperties(Stream);
}

bool TRVHotspotItemInfo::ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) {
  if (!TRVBulletItemInfo::ReadRVFHeaderParams(P, RVData)) return false;
  if (P.empty()) {
    HotImageIndex = ImageIndex;
    return true;
  }
  int32_t hot = 0;
  if (!RVFReadInteger(P, hot) || !CheckRVFImageIndex(hot, RVData)) return false;
  HotImageIndex = hot;
  return true;
}

void TRVHotspotItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo,
                                 const std::string& Name, const TRVMultiDrawItemPart* Part,
                                 bool ForceSameAsPrev) {
  (void)ItemNo, (void)Part, (void)ForceSameAsPrev;
  RVFWriteItemHeader(Stream, RVData, *this, ParaNo, 1, rvfrtText);
  WriteNameLine(Stream, Name);
}

// ---------------------------------------------------------------------------------------
// Controls: Name; control class name; extra properties; component stream. A stored control
// is made only of a class in the class registry, and only when that class is a control:
// any other name is an unknown control. Without a body the document supplies the control.

bool TRVControlItemInfo::ReadRVFLine(std::string_view S, TRVFLineContext& Context) {
  const bool body = Context.ReadType != rvfrtNoBody;
  if (body && Context.LineCount < 3) return false;
  if (Context.LineNo == 0) {
    Context.Name.assign(S);
    if (!body) Control = Context.RVData->RVFControlNeeded(Context.Name, Tag);
  } else if (body && Context.LineNo == 1) {
    Control = RVFCreateControl(S);
    if (!Control) {
      RVFAddWarning(Context.RVData, rvfwUnknownControl);
      if ((Context.RVData->GetRVFOptions() & rvfoIgnoreUnknownCtrls) == 0) return false;
    }
  } else if (body && Context.LineNo == Context.LineCount - 1) {
    if (Control && !RVFLoadControlLine(S, Context.ReadType, *Control, Context.RVData->GetParentControl()))
      return false;
  } else {
    ReadRVFExtraProperty(S);
  }
  if (body && ReadsBinaryNext(Context)) Context.ReadMode = rmBeforeBinary;
  return true;
}

void TRVControlItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo,
                                 const std::string& Name, const TRVMultiDrawItemPart* Part,
                                 bool ForceSameAsPrev) {
  (void)ItemNo, (void)Part, (void)ForceSameAsPrev;
  const bool body = Control != nullptr && (RVData->GetRVFOptions() & rvfoSaveControlsBody) != 0;
  const bool binary = WriteObjectRecordFrame(Stream, RVData, *this, ParaNo, Name, Control.get(), body);
  if (!body) return;
  if (binary) {
    RVFWriteControlBinary(Stream, *Control);
  } else {
    RVFWriteControlHex(Stream, *Control);
    RVFWriteLine(Stream, "");
  }
}

// ---------------------------------------------------------------------------------------
// List markers: "ListNo Level StartFrom Reset", no data lines.

bool TRVMarkerItemInfo::ReadRVFHeaderParams(std::string_view& P, TCustomRVData* RVData) {
  (void)RVData;
  int32_t listNo = 0, level = 0, startFrom = 0, reset = 0;
  if (!RVFReadInteger(P, listNo) || !RVFReadInteger(P, level) || !RVFReadInteger(P, startFrom) ||
      !RVFReadInteger(P, reset))
    return false;
  ListNo = listNo;
  Level = level;
  StartFrom = startFrom;
  Reset = reset != 0;
  return true;
}

void TRVMarkerItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int32_t ParaNo,
                                const std::string& Name, const TRVMultiDrawItemPart* Part,
                                bool ForceSameAsPrev) {
  (void)ItemNo, (void)Name, (void)Part, (void)ForceSameAsPrev;
  RVFWriteItemHeader(Stream, RVData, *this, ParaNo, 0, rvfrtText);
}
