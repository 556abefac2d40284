// One fuzzing step over the RTF reader and the document builder, shared by the libFuzzer
// target and the unit test that runs it over mutated files. The bytes are read with several
// option sets into a document that has items; a read may fail (a result code), but must never
// raise, crash, hang or leak. A document that reads whole must write RTF that reads whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/core/Streams.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVStyle.h"
#include "richtext/rtf/RVRTFProps.h"
#include "richtext/table/RVTable.h"

inline std::string SaveRTFForFuzz(TCustomRVData& doc) {
  TMemoryStream out;
  if (!doc.SaveRTFToStream(out, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, nullptr, 0))
    throw std::logic_error("RTF write failed");
  return out.DataString();
}

inline void FuzzRTFReadOnce(const std::string& bytes, TRVReaderUnicode unicode, TRVReaderStyleMode mode) {
  RVRegisterTableItemClass();
  TRVStyle style;
  TCustomRVData doc;
  doc.SetRVStyle(&style);
  doc.AddTextItem("first", 0, 0);
  doc.AddTextItem("second", 0, 0);
  TRVRTFReaderProperties props;
  props.UnicodeMode = unicode;
  props.TextStyleMode = props.ParaStyleMode = mode;
  props.SkipHiddenText = unicode != rvruMixed;
  TMemoryStream in(bytes);
  int index = 1;
  const TRVRTFError result = props.ReadFromStream(in, &doc, index);
  if (index < -1 || index >= doc.GetItemCount()) throw std::logic_error("index of the last item is outside");
  if (result != rtf_ec_OK) return;
  const std::string written = SaveRTFForFuzz(doc);
  TRVStyle againStyle;
  TCustomRVData again;
  again.SetRVStyle(&againStyle);
  TMemoryStream writtenStream(written);
  int start = 0;
  if (props.ReadFromStream(writtenStream, &again, start) != rtf_ec_OK)
    throw std::logic_error("written RTF does not read back: " + written);
}

inline void FuzzRTFReaderOnce(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  FuzzRTFReadOnce(bytes, rvruNoUnicode, rvrsUseClosest);
  FuzzRTFReadOnce(bytes, rvruOnlyUnicode, rvrsAddIfNeeded);
  FuzzRTFReadOnce(bytes, rvruMixed, rvrsAddIfNeeded);
}
