// Helpers of the RTF writer tests: a document whose writer hooks the tests can set, a style
// sheet with exactly the styles a test adds, and the writer run into a string.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "HTMLTestSupport.h"
#include "platform/core/Streams.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVRTFWriter.h"
#include "richtext/core/RVStyle.h"

namespace rtftest {

/// A document whose hyperlink and control hooks answer from the test's settings.
class TRTFData : public TCustomRVData {
 public:
  std::string URLNeeded(int32_t id) override { return urls.count(id) ? urls[id] : std::string(); }
  std::string SaveComponentToFile(const std::string& Path, TPersistent* SaveMe,
                                  TRVSaveFormat SaveFormat) override {
    (void)Path, (void)SaveMe;
    return SaveFormat == rvsaveRTF ? controlRTF : std::string();
  }
  std::map<int32_t, std::string> urls;
  std::string controlRTF;
};

/// A sheet with one text style (Arial 10, automatic colour), one paragraph style, no lists,
/// code page 1252.
inline std::unique_ptr<TRVStyle> PlainSheet() {
  auto style = std::make_unique<TRVStyle>();
  style->TextStyles().Clear();
  style->TextStyles().AddStyle();
  style->ParaStyles().Clear();
  style->ParaStyles().AddStyle();
  style->DefCodePage = 1252;
  return style;
}

/// The document written at level 0; `ok` receives the result.
inline std::string SaveRTF(TCustomRVData& data, TColor color = clWindow, bool* ok = nullptr) {
  TMemoryStream stream;
  const bool result =
      data.SaveRTFToStream(stream, false, 0, color, nullptr, nullptr, nullptr, nullptr, nullptr, 0);
  if (ok) *ok = result;
  return stream.DataString();
}

/// The 17 fixed colour-table entries as written.
inline const std::string kStandardColorTable =
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;"
    "\\red0\\green255\\blue0;\\red255\\green0\\blue255;\\red255\\green0\\blue0;\\red255\\green255\\blue0;"
    "\\red255\\green255\\blue255;\\red0\\green0\\blue128;\\red0\\green128\\blue128;\\red0\\green128\\blue0;"
    "\\red128\\green0\\blue128;\\red128\\green0\\blue0;\\red128\\green128\\blue0;\\red128\\green128\\blue128;"
    "\\red192\\green192\\blue192;";

}  // namespace rtftest
