// One fuzzing step over the RVF reader, shared by the libFuzzer target and the unit test that
// runs it over mutated streams. The bytes are loaded with several option sets and inserted
// into a document that has items; a read may fail (false), but must never raise, crash or
// leak. A document that loads must write a stream that loads again and writes the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/core/Streams.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVBack.h"
#include "richtext/core/RVFMisc.h"
#include "richtext/core/RVStyle.h"

inline std::string SaveRVFForFuzz(TCustomRVData& doc) {
  TMemoryStream out;
  if (!doc.SaveRVFToStream(out, false, clNone, nullptr, nullptr)) throw std::logic_error("RVF write failed");
  return out.DataString();
}

inline void FuzzRVFLoadOnce(const std::string& bytes, TRVFOptions options, bool tagsAreTexts) {
  TRVStyle style;
  TCustomRVData doc;
  doc.SetRVStyle(&style);
  doc.SetRVFOptions(options);
  if (tagsAreTexts) doc.SetOptions(doc.GetOptions() | rvoTagsArePChars);
  TMemoryStream in(bytes);
  TColor color = clNone;
  TRVBackground background(false);
  TRVLayoutInfo layout;
  if (!doc.LoadRVFFromStream(in, color, &background, &layout)) return;

  // What loaded writes back, and what that writes reads to the same bytes.
  const std::string saved = SaveRVFForFuzz(doc);
  TCustomRVData again;
  again.SetRVStyle(&style);
  again.SetRVFOptions(options);
  again.SetOptions(doc.GetOptions());
  TMemoryStream savedStream(saved);
  if (!again.LoadRVFFromStream(savedStream, color, nullptr, nullptr))
    throw std::logic_error("written RVF does not read back");
  if (SaveRVFForFuzz(again) != saved) throw std::logic_error("RVF read back writes other bytes");
}

inline void FuzzRVFInsertOnce(const std::string& bytes) {
  TRVStyle style;
  TCustomRVData doc;
  doc.SetRVStyle(&style);
  doc.AddTextItem("first", 0, 0);
  doc.AddTextItem("second", 1, -1);
  doc.AddCheckpoint("pending", false, TRVTag());
  TMemoryStream in(bytes);
  TColor color = clNone;
  doc.InsertRVFFromStream(in, 1, color, nullptr, nullptr, false);
  TMemoryStream again(bytes);
  doc.InsertRVFFromStream(again, doc.GetItemCount(), color, nullptr, nullptr, false);
  SaveRVFForFuzz(doc);
}

inline void FuzzRVFReaderOnce(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  FuzzRVFLoadOnce(bytes, rvDefaultRVFOptions | rvfoLoadBack | rvfoLoadLayout, false);
  FuzzRVFLoadOnce(bytes,
                  rvfoSavePicturesBody | rvfoSaveControlsBody | rvfoConvUnknownStylesToZero |
                      rvfoIgnoreUnknownPicFmt | rvfoIgnoreUnknownCtrls | rvfoConvLargeImageIdxToZero |
                      rvfoUseStyleNames,
                  true);
  FuzzRVFInsertOnce(bytes);
}
