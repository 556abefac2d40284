// Shared pieces of the question-printing tests: the English language tables, the converter's
// style sheet on a viewer, rich-text parts, and streams written with the exam encodings.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/units/LocalizationStore.h"
#include "converter/languages/ZUKConverterLocalizationStore.h"
#include "exam/RVMainStyle.h"
#include "exam/ZUKPartBuilder.h"
#include "exam/ZUKStream.h"
#include "platform/core/CodePages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/PngFile.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVItem.h"
#include "richtext/core/RVStyle.h"
#include "richtext/viewer/RVViewer.h"

namespace printtest {

/// A stream of exam values written one after the other.
class TValues {
 public:
  TValues& Int(int32_t v) {
    WriteInt32(v, stream_);
    return *this;
  }
  TValues& Byte(uint8_t v) {
    WriteByte(v, stream_);
    return *this;
  }
  TValues& Bool(bool v) {
    WriteBool(v, stream_);
    return *this;
  }
  TValues& Str(const std::string& s) {
    WriteString(s, stream_);
    return *this;
  }
  TValues& Sub(const std::string& bytes) {
    TMemoryStream body(bytes);
    WriteStream(body, stream_);
    return *this;
  }
  std::string Bytes() const { return stream_.DataString(); }

 private:
  TMemoryStream stream_;
};

inline void SetStream(TMemoryStream& stream, const std::string& bytes) {
  stream.Clear();
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream.SetPosition(0);
}

/// Writes `picture` as a PNG file into the folder ZUK_PRINT_PICTURES_DIR names, when it is set,
/// so that the pictures can be looked at.
inline void KeepForReview(TBitmap& picture, const std::string& name) {
  if (const char* dir = std::getenv("ZUK_PRINT_PICTURES_DIR"))
    SaveBitmapToPng(picture, std::string(dir) + "/" + name + ".png");
}

/// The document's items as "style/paragraph text" ("picture" for non-text items).
inline std::vector<std::string> DocumentItems(TCustomRVData& data) {
  std::vector<std::string> items;
  for (int i = 0; i < data.GetItemCount(); ++i) {
    const TCustomRVItemInfo* item = data.GetItem(i);
    std::string text = item->StyleNo >= 0 ? WideToMultiByte(CP_UTF8, 0, data.GetItemTextW(i)) : "picture";
    items.push_back(std::to_string(item->StyleNo) + "/" + std::to_string(item->ParaNo) + " " + text);
  }
  return items;
}

/// English texts for the test's lifetime, the previous store put back afterwards.
class TEnglishTexts {
 public:
  TEnglishTexts() : previous_(std::move(LocalizationStore)) {
    LocalizationStore = TLocalizationStore::Create<TZUKConverterLocalizationStore>();
  }
  ~TEnglishTexts() { LocalizationStore = std::move(previous_); }

 private:
  std::unique_ptr<TLocalizationStore> previous_;
};

/// A viewer on the converter's style sheet.
class PrintTestBase : public ::testing::Test {
 protected:
  PrintTestBase() {
    RVBuildMainStyle(sheet, nullptr);
    viewer.SetStyle(&sheet);
  }

  /// RVF of one paragraph of text.
  std::string Part(std::u16string_view text) { return zukpart::TPartBuilder(sheet).Unicode(text).RVF(); }

  TEnglishTexts texts;
  TRVStyle sheet;
  TRVViewer viewer;
};

}  // namespace printtest
