// The small routines of RVF (RV Format) reading and writing: line writers, hexadecimal
// encoding of bytes and pictures, binary blocks with a patched length, the header tokens
// (integers, words, quoted style names, tags), style and paragraph references, and the
// viewer layout block TRVLayoutInfo. The reader and writer themselves are members of
// TCustomRVData (RVFReader.cpp, RVFWriter.cpp); items write their records with these.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/Object.h"
#include "richtext/core/RVFuncs.h"      // TRVTag
#include "richtext/core/RVStyleInfo.h"  // TRVBiDiMode

class TComponent;
class TControl;
class TCustomRVData;
class TCustomRVItemInfo;
class TGraphic;
class TMemoryStream;
class TRVStyle;
class TStream;
class TWinControl;

/// Kinds of the style-sheet record (-9).
constexpr int rvfkTextStyles = 1;
constexpr int rvfkParaStyles = 2;
constexpr int rvfkLayout = 3;
constexpr int rvfkListStyles = 4;

/// The version record every writer starts with, and the version from which item headers
/// carry their option byte.
constexpr int RVFVersionMajor = 1;
constexpr int RVFVersionMinor = 2;

// ---------------------------------------------------------------------------------------
// Writing lines.

/// Writes the bytes of S.
void RVFWriteString(TStream& Stream, std::string_view S);
/// Writes S and CR LF.
void RVFWriteLine(TStream& Stream, std::string_view S);
/// Writes S and its line end: U+2029 (bytes 0x29 0x20) when Unicode, else CR LF.
void RVFWriteText(TStream& Stream, std::string_view S, bool Unicode);
/// Text that the reader takes back as one line: CR, LF and NUL become blanks in 8-bit text,
/// U+2029 becomes a blank in UTF-16 text (an odd last byte is dropped).
std::string RVFMakeLineSafe(std::string_view S, bool Unicode);
/// Writes an int32 length placeholder, lets Write fill the stream after it, then patches
/// the length in and leaves the position at the end.
void RVFWriteBinaryBlock(TStream& Stream, const std::function<void(TStream&)>& Write);

// ---------------------------------------------------------------------------------------
// Hexadecimal text: two upper-case digits a byte, high digit first.

std::string RVFStringToHex(std::string_view S);
/// The whole content of the memory stream as hex.
std::string RVFStreamToHex(const TMemoryStream& Stream);
/// Decodes Hex (either case) into Stream, sized to the bytes and positioned at 0. False on an
/// odd length or any other character (Stream is then left empty).
bool RVFHexToStream(std::string_view Hex, TMemoryStream& Stream);
/// The bytes of Hex: empty on an odd length; decoding stops at the first bad digit pair.
std::string RVFHexToString(std::string_view Hex);
/// Four hex digits per UTF-16 character, and back (stopping at the first bad group).
std::string RVFWideToHex(std::u16string_view W);
std::u16string RVFHexToWide(std::string_view Hex);

// ---------------------------------------------------------------------------------------
// Pictures and controls.

/// Hex to bytes, then Graphic.LoadFromStream; false when the hex does not decode (a picture
/// that does not decode raises the graphic's exception).
bool RVFLoadPictureFromHex(std::string_view Hex, TGraphic& Graphic);
/// Loads the data line of a picture record (hex text, or the raw bytes of a binary line for
/// rvfrtBinary) into Graphic. False when the hex does not decode. A picture that does not
/// decode warns rvfwUnknownPicture and is replaced by the style sheet's invalid-picture image
/// (by nothing without a sheet); Replaced, when given, tells whether that happened, and Reason
/// gets what the decoder said.
bool RVFLoadPictureLine(std::string_view Line, int ReadType, std::unique_ptr<TGraphic>& Graphic,
                        TCustomRVData* RVData, bool* Replaced = nullptr, std::string* Reason = nullptr);
/// Graphic.SaveToStream as hex.
std::string RVFSavePictureToHex(TGraphic& Graphic);
/// The bytes as a stream for Graphic.LoadFromStream.
void RVFLoadPictureFromBytes(std::string_view S, TGraphic& Graphic);
/// An int32 length and that many bytes for Graphic.LoadFromStream; EReadError when the
/// length is negative or reaches past the end of the stream.
void RVFLoadPictureBinary(TStream& Stream, TGraphic& Graphic);
/// An int32 length, then Graphic.SaveToStream; the length is patched in afterwards.
void RVFSavePictureBinary(TStream& Stream, TGraphic& Graphic);
/// A new control of the class registered under ClassName; null when no class of that name is
/// registered or the class is not a control. Nothing else makes a control from a document.
std::unique_ptr<TControl> RVFCreateControl(std::string_view ClassName);
/// Reads a component stream (hex text, or raw bytes) into a control, which is on Parent
/// while it is read. The hex form is false when the hex does not decode; a stream that does
/// not read raises EReadError.
bool RVFLoadControlFromHex(std::string_view Hex, TControl& Control, TWinControl* Parent);
void RVFLoadControlBinary(std::string_view S, TControl& Control, TWinControl* Parent);
/// The data line of a control record: hex text, or the raw bytes of a binary line for
/// rvfrtBinary.
bool RVFLoadControlLine(std::string_view Line, int ReadType, TControl& Control, TWinControl* Parent);
/// Writes the component as a component stream in hex on one line (no line end), or as a
/// binary block.
void RVFWriteControlHex(TStream& Stream, TComponent& Control);
void RVFWriteControlBinary(TStream& Stream, TComponent& Control);

// ---------------------------------------------------------------------------------------
// Header tokens. Each reader takes its token from the front of P and consumes one blank
// after it.

/// The characters up to a blank or the end; true when there were any.
bool RVFReadWord(std::string_view& P, std::string& S);
/// An optional "-" and decimal digits up to a blank or the end, within 32 bits; false for
/// anything else (P is then unchanged).
bool RVFReadInteger(std::string_view& P, int32_t& V);
/// A double-quoted string with doubled quotes inside; false when P does not start with a
/// quote or the closing quote is missing.
bool RVFReadQuotedString(std::string_view& P, std::string& S);
/// A tag word: the text with TagsArePChars ("0" is no tag), else a decimal number.
bool RVFReadTag(std::string_view& P, bool TagsArePChars, TRVTag& Tag);
/// A text (paragraph) style: a number, or a quoted StyleName looked up among the sheet's
/// text (paragraph) styles, 0 when no style has that name. ByName tells which form it was.
bool RVFReadTextStyle(std::string_view& P, TCustomRVData* RVData, int32_t& StyleNo, bool& ByName);
bool RVFReadParaStyle(std::string_view& P, TCustomRVData* RVData, int32_t& ParaNo, bool& ByName);

/// The tag word: the text (never empty, no blanks or line ends) or "0"; or the number.
std::string RVFTagToText(bool TagsArePChars, const TRVTag& Tag);
/// A quoted StyleName when UseNames and the number is 0 or more, else the number. A name the
/// reader could not take back to this style (an earlier style has it, or it holds a line
/// end) is written as the number.
std::string RVFTextStyleReference(const TRVStyle* RVStyle, bool UseNames, int32_t StyleNo);
std::string RVFParaStyleReference(const TRVStyle* RVStyle, bool UseNames, int32_t ParaNo);
/// "-1" when NotParaStart, else the paragraph reference with the document's UseStyleNames.
std::string RVFItemParaReference(int32_t ParaNo, TCustomRVData* RVData, bool NotParaStart);

/// Writes the header line of a non-text item record: StyleNo, LineCount, the paragraph
/// reference of ParaNo, the option bits, ReadType, the tag and the item's own fields.
void RVFWriteItemHeader(TStream& Stream, TCustomRVData* RVData, const TCustomRVItemInfo& Item, int32_t ParaNo,
                        int LineCount, int ReadType);
/// True for the RVF options of RVData's root that say bodies are written binary.
bool RVFSaveBinary(TCustomRVData* RVData);
/// Adds warnings to the read warnings of RVData's root.
void RVFAddWarning(TCustomRVData* RVData, uint8_t Warning);
/// Records in the read's picture report that the picture item being read, of the graphic
/// class ClassName, could not be made, unless an earlier one could not either. Reason is what
/// its decoder said ("" when it said nothing).
void RVFNoteUnreadPicture(TCustomRVData* RVData, std::string_view ClassName, std::string_view Reason = {});

// ---------------------------------------------------------------------------------------

/// The viewer's layout as the layout block (-9 kind 3) carries it.
class TRVLayoutInfo : public TObject {
 public:
  std::string ClassName() const override { return "TRVLayoutInfo"; }

  /// The block: reserved int32 0, Size (25, or 41 with the four extended fields), six
  /// margins and widths, the BiDi mode byte, then the extended fields.
  void SaveToStream(TStream& Stream) const;
  /// Reads a block. ERVError "Invalid RVF format" when Size is below 25, the bytes are fewer
  /// than Size + 8, or the BiDi mode is not one of the modes; bytes past Size + 8 are skipped.
  void LoadFromBytes(std::string_view Bytes);

  int32_t LeftMargin = 0;
  int32_t RightMargin = 0;
  int32_t TopMargin = 0;
  int32_t BottomMargin = 0;
  int32_t MinTextWidth = 0;
  int32_t MaxTextWidth = 0;
  TRVBiDiMode BiDiMode = rvbdUnspecified;
  int32_t FirstParaAborted = 0;  // the first paragraph was saved from its middle
  int32_t LastParaAborted = 0;   // the last paragraph was saved up to its middle
  int32_t FirstMarkerListNo = -1;
  int32_t FirstMarkerLevel = 0;
  bool Loaded = false;  // set by the reader
};
