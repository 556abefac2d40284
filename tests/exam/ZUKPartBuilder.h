// Rich-text parts for the converter's tests and benchmark: RVF documents written by the
// document core from a few lines of description (texts in Unicode and 8-bit styles, list
// items, pictures of every class the reader knows). Bitmaps, JPEG pictures and icons come
// from the HTML writer's test helpers; GIF pictures and metafiles are made here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exam/RVMainStyle.h"
#include "gif/GIFImage.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Metafile.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/HTMLTestSupport.h"
#include "richtext/core/RVMarker.h"
#include "richtext/core/RVStyle.h"
#include "richtext/table/RVTable.h"
#include "richtext/table/RVTableCell.h"

namespace zukpart {

/// List styles of the converter's sheet: numbered, and bullets from its image list.
constexpr int kNumberingList = 0;
constexpr int kBulletList = 1;

/// Builds one part with the converter's style sheet plus the styles given by the test.
class TPartBuilder {
 public:
  explicit TPartBuilder(TRVStyle& sheet) { data_.SetRVStyle(&sheet); }

  /// A new paragraph of UTF-16 text (the converter's own text styles are Unicode).
  TPartBuilder& Unicode(std::u16string_view text, int style = 0, int para = 0) {
    data_.AddWideTextItem(text, style, para, TRVTag());
    return *this;
  }
  /// A new paragraph of 8-bit text in a non-Unicode style.
  TPartBuilder& Ansi(const std::string& text, int style, int para = 0) {
    data_.AddTextItem(text, style, para);
    return *this;
  }
  /// A list item: its marker, then the text in the same paragraph.
  TPartBuilder& ListItem(std::u16string_view text, int list = kNumberingList) {
    auto marker = TRVMarkerItemInfo::CreateForList(&data_, list, 0, 1, false);
    marker->ParaNo = 0;
    int itemNo = data_.GetItemCount();
    bool fullReformat = false;
    int newListNo = -1;
    data_.InsertItemObject(itemNo, "", std::move(marker), fullReformat, newListNo);
    data_.AddWideTextItem(text, 0, -1, TRVTag());
    return *this;
  }
  /// A picture in a paragraph of its own.
  TPartBuilder& Picture(std::unique_ptr<TGraphic> graphic) {
    data_.AddPictureItem("", std::move(graphic), 0, 0, TRVTag());
    return *this;
  }

  /// A table in a paragraph of its own: `texts` fills the cells row by row (UTF-16 text in
  /// style 0); then `merges` (row, column, column count, row count) are merged.
  TPartBuilder& Table(int rows, int cols, const std::vector<std::u16string>& texts,
                      const std::vector<std::array<int, 4>>& merges = {}) {
    auto table = TRVTableItemInfo::CreateWithSize(rows, cols, &data_);
    for (size_t i = 0; i < texts.size() && i < static_cast<size_t>(rows * cols); ++i) {
      TRVTableCellData* cell = table->GetCell(static_cast<int>(i) / cols, static_cast<int>(i) % cols);
      cell->Clear();
      cell->AddWideTextItem(texts[i], 0, 0, TRVTag());
    }
    for (const auto& m : merges) table->Rows().MergeCells(m[0], m[1], m[2], m[3], true, false);
    data_.AddItem("", std::move(table));
    return *this;
  }

  /// A table of one cell that holds a picture.
  TPartBuilder& PictureInTable(std::unique_ptr<TGraphic> graphic) {
    auto table = TRVTableItemInfo::CreateWithSize(1, 1, &data_);
    TRVTableCellData* cell = table->GetCell(0, 0);
    cell->Clear();
    cell->AddPictureItem("", std::move(graphic), 0, 0, TRVTag());
    data_.AddItem("", std::move(table));
    return *this;
  }

  /// The RVF bytes of the document.
  std::string RVF() {
    TMemoryStream stream;
    data_.SaveRVFToStream(stream, false, clNone, nullptr, nullptr);
    return stream.DataString();
  }

 private:
  TCustomRVData data_;
};

inline std::unique_ptr<TGIFImage> SolidGIF(int width, int height, TColor color) {
  RegisterGIFImage();
  auto gif = std::make_unique<TGIFImage>();
  auto bitmap = htmltest::SolidBitmap(width, height, color);
  gif->Assign(bitmap.get());
  return gif;
}

inline void Put16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}
inline void Put32(std::string& s, uint32_t v) {
  Put16(s, static_cast<uint16_t>(v & 0xFFFF));
  Put16(s, static_cast<uint16_t>(v >> 16));
}

/// A placeable metafile, one inch square at 1440 units an inch, that fills a rectangle with
/// a solid brush of `color` (0x00BBGGRR).
inline std::unique_ptr<TMetafile> SolidWMF(uint32_t color) {
  std::string f;
  Put32(f, 0x9AC6CDD7);
  for (uint16_t w : {0, 0, 0, 1440, 1440, 1440}) Put16(f, w);
  Put32(f, 0);
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2)
    sum ^= static_cast<uint16_t>(static_cast<uint8_t>(f[i]) | (static_cast<uint8_t>(f[i + 1]) << 8));
  Put16(f, sum);
  // Header record: type 1, 9 words, version 0x300, size, one object, largest record, 0.
  Put16(f, 1), Put16(f, 9), Put16(f, 0x300), Put32(f, 0), Put16(f, 1), Put32(f, 8), Put16(f, 0);
  auto record = [&f](uint16_t function, std::initializer_list<uint16_t> params) {
    Put32(f, static_cast<uint32_t>(3 + params.size()));
    Put16(f, function);
    for (uint16_t w : params) Put16(f, w);
  };
  record(0x020B, {0, 0});      // window origin
  record(0x020C, {100, 100});  // window extent
  record(0x02FC, {0, static_cast<uint16_t>(color & 0xFFFF), static_cast<uint16_t>(color >> 16), 0});  // brush
  record(0x012D, {0});               // select it
  record(0x041B, {100, 100, 0, 0});  // rectangle
  record(0, {});                     // end of file
  auto meta = std::make_unique<TMetafile>();
  TMemoryStream stream(f);
  meta->LoadFromStream(stream);
  return meta;
}

}  // namespace zukpart
