// The building blocks of a GIF file that every other GIF unit uses: the error class, the
// byte-level stream helpers, colour tables and the header (signature, logical screen
// descriptor and global colour table).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Streams.h"
#include "platform/graphics/GraphicsTypes.h"

class TBitmap;

/// Every GIF error; a GIF that cannot be read is an invalid picture.
ZUK_DECLARE_EXCEPTION(GIFException, EInvalidGraphic)

class TGIFImage;
class TGIFSubImage;

/// The version a block needs: 87a or 89a (0 for an image without frames).
enum TGIFVersion : uint8_t { gvUnknown = 0, gv87a = 1, gv89a = 2 };

/// Reads exactly `size` bytes or raises "Premature end of data".
void ReadCheck(TStream& stream, void* buffer, int64_t size);
/// One byte, or nothing at the end of the stream.
std::optional<uint8_t> GIFReadByte(TStream& stream);
/// Reads data sub-blocks up to the 0 length byte or the end of the stream, each as one
/// string; a length byte beyond the bytes left keeps only what is there.
std::vector<std::string> ReadSubBlocks(TStream& stream);
/// Writes each string as data sub-blocks of at most 255 bytes (an empty string writes
/// nothing), then the 0 length byte. Strings read by ReadSubBlocks are written back as the
/// same sub-blocks.
void WriteSubBlocks(TStream& stream, const std::vector<std::string>& blocks);
void GIFWriteByte(TStream& stream, uint8_t value);
/// Skips data sub-blocks up to and including the 0 length byte (or the end of the stream).
void SkipSubBlocks(TStream& stream);
/// 0 for 0 colours, 1 for 1 or 2, else the least b with 2^b >= colours.
int BitsPerPixel(int colors);

/// Base of the blocks of a GIF file: each knows the image it belongs to and passes its
/// warnings to it.
class TGIFItem : public TPersistent {
 public:
  explicit TGIFItem(TGIFImage* image) : image_(image) {}
  std::string ClassName() const override { return "TGIFItem"; }
  TGIFImage* Image() const { return image_; }
  virtual TGIFVersion GetVersion() const { return gv87a; }
  /// Passes the warning to the image's Warning with this item as sender.
  void Warning(int severity, const std::string& message);
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  /// Creates (or empties) the file and saves the item into it.
  void SaveToFile(const std::string& fileName);
  /// Loads the item from the file.
  void LoadFromFile(const std::string& fileName);

 protected:
  friend class TGIFImage;
  TGIFImage* image_;
};

/// A colour table of 0 to 256 red, green, blue triples.
class TGIFColorMap {
 public:
  explicit TGIFColorMap(TGIFItem* owner) : owner_(owner) {}

  int Count() const { return static_cast<int>(colors_.size()); }
  /// Triples allocated: it only grows, to 16 or a multiple of 32, never above 256.
  int Capacity() const { return capacity_; }
  void SetCapacity(int size);
  bool Optimized() const { return optimized_; }
  void SetOptimized(bool value) { optimized_ = value; }
  void Clear();
  /// Reads `count` triples (ReadCheck).
  void LoadFromStream(TStream& stream, int count);
  /// Writes the triples, padded with black up to 2^BitsPerPixel entries; nothing when empty.
  void SaveToStream(TStream& stream) const;
  /// Entry `index` as a colour (red in the low byte); outside the table: the warning
  /// "Invalid color index" and entry 0; an empty table raises "Color table is empty".
  TColor Colors(int index);
  /// Entry `index` as a colour-table quad, black outside the table.
  TRGBQuad Quad(int index) const;
  /// Exact RGB match: an unsorted table is searched from the last entry down, a sorted one
  /// from the first up; -1 when absent.
  int IndexOf(TColor color) const;
  /// Appends a colour; a full table raises "Color table overflow". Returns the new index.
  int Add(TColor color);
  /// IndexOf, and Add when the colour is not there.
  int AddUnique(TColor color);
  /// Replaces the table by up to 256 palette entries.
  void ImportPalette(const std::vector<TPaletteEntry>& palette);
  /// Replaces the table by the entries of a blue-green-red-reserved table (up to 256);
  /// nothing for an empty one.
  void ImportColorTable(const std::vector<TRGBQuad>& table);
  /// Replaces the table by the colour table of an indexed bitmap (up to 256 entries).
  void ImportDIBColors(const TBitmap& bitmap);
  /// The table's colours changed: a global table makes the image forget its palette and
  /// renderings, a local one its frame's.
  void Changed();
  /// Removes entry `index` (later entries move down); outside the table raises "Invalid
  /// color index".
  void Delete(int index);
  int BitsPerPixel() const { return ::BitsPerPixel(Count()); }
  /// The table as a palette; empty for an empty table.
  std::vector<TPaletteEntry> ExportPalette() const;
  void Assign(const TGIFColorMap& source);

  /// The frames whose pixels index this table: for the global table every frame whose
  /// active table it is, for a local table its own frame.
  std::vector<TGIFSubImage*> Frames() const;
  /// How often each colour index occurs in the pixels of Frames().
  std::array<int64_t, 256> BuildHistogram() const;
  /// Replaces every pixel of Frames() by map[pixel], and so the transparent colour indices
  /// of their graphic control extensions (and, for the global table, the background index).
  void MapImages(const std::array<uint8_t, 256>& map);
  /// Sorts a table of more than one colour by use, most used first, remaps the pixels
  /// that use it and cuts the colours no pixel uses; the table is marked sorted. Answers
  /// whether the table had more than one colour.
  bool Optimize();

 private:
  friend class TGIFImage;
  struct Triple {
    uint8_t Red = 0, Green = 0, Blue = 0;
  };
  /// Clear, then up to 256 entries made into triples, then Changed.
  template <class Entry, class ToTriple>
  void Replace(const std::vector<Entry>& entries, ToTriple toTriple);

  TGIFItem* owner_;
  std::vector<Triple> colors_;
  int capacity_ = 0;
  bool optimized_ = false;
};

/// Signature, logical screen descriptor and global colour table.
class TGIFHeader : public TGIFItem {
 public:
  explicit TGIFHeader(TGIFImage* image) : TGIFItem(image), color_map_(this) {}
  std::string ClassName() const override { return "TGIFHeader"; }

  uint16_t Width = 0;
  uint16_t Height = 0;
  uint8_t PackedFields = 0;  // bit 7 global table; 4-6 colour resolution; 3 sorted; 0-2 size
  uint8_t BackgroundColorIndex = 0;
  uint8_t AspectRatio = 0;

  TGIFColorMap& ColorMap() { return color_map_; }
  const TGIFColorMap& ColorMap() const { return color_map_; }
  void Clear();
  void Assign(const TGIFHeader& source);
  /// Clears the header (screen size, packed fields, background index and aspect ratio
  /// become 0), then takes a copy of the table as its global table.
  void Assign(const TGIFColorMap& source);
  /// "GIF" (any case, also after 4 leading bytes), the version characters unchecked, the
  /// descriptor and the global colour table.
  void LoadFromStream(TStream& stream) override;
  /// Writes the signature with `version` (87a or 89a), the descriptor with its packed
  /// fields recomputed for `colorResolution` and `bitsPerPixel` (used for the size bits
  /// when there is no global table), and the global table.
  void SaveToStream(TStream& stream, TGIFVersion version, int colorResolution, int bitsPerPixel);
  /// As above with the version, colour resolution and bits per pixel of the image (of the
  /// header alone without one).
  void SaveToStream(TStream& stream) override;
  int BitsPerPixel() const { return color_map_.BitsPerPixel(); }
  int ColorResolution() const { return color_map_.BitsPerPixel() - 1; }
  TColor BackgroundColor() { return color_map_.Colors(BackgroundColorIndex); }
  TGIFVersion GetVersion() const override;

 private:
  TGIFColorMap color_map_;
};
