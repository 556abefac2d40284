#include "gif/GIFItems.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "gif/GIFImage.h"
#include "platform/graphics/Bitmap.h"

void ReadCheck(TStream& stream, void* buffer, int64_t size) {
  if (stream.Read(buffer, size) != size) throw GIFException("Premature end of data");
}

std::optional<uint8_t> GIFReadByte(TStream& stream) {
  uint8_t value = 0;
  if (stream.Read(&value, 1) != 1) return std::nullopt;
  return value;
}

std::vector<std::string> ReadSubBlocks(TStream& stream) {
  std::vector<std::string> blocks;
  while (true) {
    const std::optional<uint8_t> size = GIFReadByte(stream);
    if (!size || *size == 0) break;
    std::string block(*size, '\0');
    block.resize(static_cast<size_t>(stream.Read(block.data(), *size)));
    const bool shortBlock = block.size() < *size;
    blocks.push_back(std::move(block));
    if (shortBlock) break;
  }
  return blocks;
}

void SkipSubBlocks(TStream& stream) {
  while (true) {
    const std::optional<uint8_t> size = GIFReadByte(stream);
    if (!size || *size == 0) return;
    if (stream.Remaining() < *size) {
      stream.Seek(0, soEnd);
      return;
    }
    stream.Seek(*size, soCurrent);
  }
}

int BitsPerPixel(int colors) {
  if (colors <= 0) return 0;
  int bits = 1;
  while ((1 << bits) < colors) ++bits;
  return bits;
}

void TGIFItem::Warning(int severity, const std::string& message) {
  if (image_) image_->Warning(this, severity, message);
}

void TGIFItem::SaveToFile(const std::string& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

void TGIFItem::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

// ---------------------------------------------------------------------------------------

void TGIFColorMap::Clear() {
  colors_.clear();
  capacity_ = 0;
  optimized_ = false;
}

void TGIFColorMap::SetCapacity(int size) {
  if (size <= capacity_) return;
  capacity_ = std::min(size > 16 ? (size + 31) / 32 * 32 : 16, 256);
}

void TGIFColorMap::Changed() {
  if (auto* frame = dynamic_cast<TGIFSubImage*>(owner_)) {
    frame->palette_.clear();
    frame->FreeRendering();
  } else if (owner_ && owner_->Image()) {
    owner_->Image()->PaletteChanged();
  }
}

int TGIFColorMap::AddUnique(TColor color) {
  const int index = IndexOf(color);
  return index >= 0 ? index : Add(color);
}

template <class Entry, class ToTriple>
void TGIFColorMap::Replace(const std::vector<Entry>& entries, ToTriple toTriple) {
  Clear();
  const size_t count = std::min<size_t>(entries.size(), 256);
  SetCapacity(static_cast<int>(count));
  for (size_t i = 0; i < count; ++i) colors_.push_back(toTriple(entries[i]));
  Changed();
}

void TGIFColorMap::ImportPalette(const std::vector<TPaletteEntry>& palette) {
  Replace(palette, [](const TPaletteEntry& e) { return Triple{e.peRed, e.peGreen, e.peBlue}; });
}

void TGIFColorMap::ImportColorTable(const std::vector<TRGBQuad>& table) {
  if (table.empty()) return;
  Replace(table, [](const TRGBQuad& q) { return Triple{q.rgbRed, q.rgbGreen, q.rgbBlue}; });
}

void TGIFColorMap::ImportDIBColors(const TBitmap& bitmap) {
  ImportColorTable(bitmap.ColorTable());
}

void TGIFColorMap::LoadFromStream(TStream& stream, int count) {
  Clear();
  if (count < 0 || count > 256) throw GIFException("Color table overflow");
  std::vector<Triple> triples(static_cast<size_t>(count));
  ReadCheck(stream, triples.data(), int64_t{3} * count);
  SetCapacity(count);
  colors_ = std::move(triples);
}

TColor TGIFColorMap::Colors(int index) {
  if (index < 0 || index >= Count()) {
    if (owner_) owner_->Warning(1, "Invalid color index");
    if (colors_.empty()) throw GIFException("Color table is empty");
    index = 0;
  }
  const Triple& c = colors_[static_cast<size_t>(index)];
  return static_cast<TColor>(c.Red | (c.Green << 8) | (c.Blue << 16));
}

TRGBQuad TGIFColorMap::Quad(int index) const {
  if (index < 0 || index >= Count()) return TRGBQuad{};
  const Triple& c = colors_[static_cast<size_t>(index)];
  return TRGBQuad{c.Blue, c.Green, c.Red, 0};
}

int TGIFColorMap::IndexOf(TColor color) const {
  const auto matches = [color](const Triple& c) {
    return (c.Red | (c.Green << 8) | (c.Blue << 16)) == (color & 0xFFFFFF);
  };
  if (optimized_) {
    for (int i = 0; i < Count(); ++i)
      if (matches(colors_[static_cast<size_t>(i)])) return i;
  } else {
    for (int i = Count() - 1; i >= 0; --i)
      if (matches(colors_[static_cast<size_t>(i)])) return i;
  }
  return -1;
}

int TGIFColorMap::Add(TColor color) {
  if (Count() >= 256) throw GIFException("Color table overflow");
  SetCapacity(Count() + 1);
  colors_.push_back(Triple{static_cast<uint8_t>(color & 0xFF), static_cast<uint8_t>((color >> 8) & 0xFF),
                           static_cast<uint8_t>((color >> 16) & 0xFF)});
  optimized_ = false;
  Changed();
  return Count() - 1;
}

void TGIFColorMap::Delete(int index) {
  if (index < 0 || index >= Count()) throw GIFException("Invalid color index");
  colors_.erase(colors_.begin() + index);
  optimized_ = false;
  Changed();
}

std::vector<TPaletteEntry> TGIFColorMap::ExportPalette() const {
  std::vector<TPaletteEntry> palette;
  palette.reserve(colors_.size());
  constexpr uint8_t kNoCollapse = 4;
  for (const Triple& c : colors_) palette.push_back(TPaletteEntry{c.Red, c.Green, c.Blue, kNoCollapse});
  return palette;
}

void TGIFColorMap::Assign(const TGIFColorMap& source) {
  colors_ = source.colors_;
  capacity_ = source.capacity_;
  optimized_ = source.optimized_;
  Changed();
}

// ---------------------------------------------------------------------------------------

void TGIFHeader::Clear() {
  color_map_.Clear();
  Width = Height = 0;
  PackedFields = BackgroundColorIndex = AspectRatio = 0;
}

void TGIFHeader::Assign(const TGIFHeader& source) {
  color_map_.Assign(source.color_map_);
  Width = source.Width;
  Height = source.Height;
  PackedFields = source.PackedFields;
  BackgroundColorIndex = source.BackgroundColorIndex;
  AspectRatio = source.AspectRatio;
}

void TGIFHeader::Assign(const TGIFColorMap& source) {
  const TGIFColorMap table = source;  // the source may be this header's own table
  Clear();
  color_map_.Assign(table);
}

namespace {

bool IsSignature(const uint8_t* bytes) {
  return std::toupper(bytes[0]) == 'G' && std::toupper(bytes[1]) == 'I' && std::toupper(bytes[2]) == 'F';
}

}  // namespace

void TGIFHeader::LoadFromStream(TStream& stream) {
  const int64_t start = stream.Position();
  uint8_t signature[6];
  ReadCheck(stream, signature, 6);
  if (!IsSignature(signature)) {
    // Some writers put four bytes in front of the signature.
    stream.SetPosition(start + 4);
    ReadCheck(stream, signature, 6);
    if (!IsSignature(signature)) throw GIFException("Invalid GIF signature");
  }
  uint8_t descriptor[7];
  ReadCheck(stream, descriptor, 7);
  Width = static_cast<uint16_t>(descriptor[0] | (descriptor[1] << 8));
  Height = static_cast<uint16_t>(descriptor[2] | (descriptor[3] << 8));
  PackedFields = descriptor[4];
  BackgroundColorIndex = descriptor[5];
  AspectRatio = descriptor[6];
  if (PackedFields & 0x80)
    color_map_.LoadFromStream(stream, 2 << (PackedFields & 7));
  else
    color_map_.Clear();
  color_map_.SetOptimized((PackedFields & 0x80) && (PackedFields & 0x08));
}

TGIFVersion TGIFHeader::GetVersion() const {
  return color_map_.Optimized() || AspectRatio != 0 ? gv89a : gv87a;
}

// ---------------------------------------------------------------------------------------

void GIFWriteByte(TStream& stream, uint8_t value) {
  stream.WriteBuffer(&value, 1);
}

void WriteSubBlocks(TStream& stream, const std::vector<std::string>& blocks) {
  for (const std::string& block : blocks)
    for (size_t i = 0; i < block.size(); i += 255) {
      const size_t n = std::min<size_t>(255, block.size() - i);
      GIFWriteByte(stream, static_cast<uint8_t>(n));
      stream.WriteBuffer(block.data() + i, static_cast<int64_t>(n));
    }
  GIFWriteByte(stream, 0);
}

void TGIFColorMap::SaveToStream(TStream& stream) const {
  if (colors_.empty()) return;
  std::vector<Triple> padded = colors_;
  padded.resize(size_t{1} << BitsPerPixel());
  stream.WriteBuffer(padded.data(), static_cast<int64_t>(padded.size() * 3));
}

void TGIFHeader::SaveToStream(TStream& stream) {
  if (TGIFImage* image = Image()) {
    SaveToStream(stream, image->Version(), image->ColorResolution(), image->BitsPerPixel());
  } else {
    SaveToStream(stream, GetVersion(), ColorResolution(), BitsPerPixel());
  }
}

void TGIFHeader::SaveToStream(TStream& stream, TGIFVersion version, int colorResolution, int bitsPerPixel) {
  if (version != gv87a && version != gv89a) throw GIFException("Unsupported GIF version");
  stream.WriteBuffer(version == gv87a ? "GIF87a" : "GIF89a", 6);
  uint8_t packed = 0;
  if (color_map_.Count() > 0) {
    packed = 0x80;
    if (color_map_.Optimized()) packed |= 0x08;
  }
  // Without any colour table both fields are -1 (all bits set): readers ignore the size bits
  // of an absent table, and the resolution only hints at the source's colour depth.
  packed |= static_cast<uint8_t>((colorResolution & 7) << 4);
  // With a global table the size bits give the table written; without one they tell the
  // largest bits per pixel any frame uses.
  const int sizeBits = color_map_.Count() > 0 ? color_map_.BitsPerPixel() : bitsPerPixel;
  packed |= static_cast<uint8_t>((sizeBits - 1) & 7);
  PackedFields = packed;
  const uint8_t descriptor[7] = {static_cast<uint8_t>(Width),
                                 static_cast<uint8_t>(Width >> 8),
                                 static_cast<uint8_t>(Height),
                                 static_cast<uint8_t>(Height >> 8),
                                 PackedFields,
                                 BackgroundColorIndex,
                                 AspectRatio};
  stream.WriteBuffer(descriptor, 7);
  color_map_.SaveToStream(stream);
}
