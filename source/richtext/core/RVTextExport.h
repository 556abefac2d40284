// The plain-text side of a document: the entry point that runs the plain-text writer
// (RVTextWriter.cpp). TCustomRVData derives from it.
#pragma once

#include <cstdint>
#include <string>

class TCustomRVData;
class TStream;

class TRVTextExportSide {
 public:
  virtual ~TRVTextExportSide() = default;
  TRVTextExportSide(const TRVTextExportSide&) = delete;
  TRVTextExportSide& operator=(const TRVTextExportSide&) = delete;

  /// Writes the plain text of the range GetSelectionBounds(SelectionOnly) answers to Stream:
  /// 8-bit text, or UTF-16 bytes with Unicode. Items that start a line are preceded by
  /// CR LF; non-text items give their GetPlainText (with TextOnly, only items answering
  /// rvfqInTextOnlyOutput); LineWidth is handed to them. A selection that starts inside a
  /// list paragraph begins with the marker's text. Path is passed on to embedded controls.
  /// False when writing raised an exception (what was written stays in the stream).
  bool SaveTextRangeToStream(const std::string& Path, TStream& Stream, int32_t LineWidth, bool SelectionOnly,
                             bool TextOnly, bool Unicode);

 private:
  friend class TCustomRVData;
  TRVTextExportSide() = default;
  /// The document this is the plain-text side of.
  TCustomRVData& Document();
};
