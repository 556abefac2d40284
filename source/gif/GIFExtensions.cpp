#include "gif/GIFExtensions.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#include "gif/GIFImage.h"

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;  // '!'
constexpr uint8_t kImageSeparator = 0x2C;       // ','
constexpr uint8_t kTrailer = 0x3B;              // ';'
constexpr uint8_t kApplicationLabel = 0xFF;

struct ExtensionEntry {
  uint8_t label;
  TGIFExtensionFactory factory;  // empty: an application extension, chosen by identifier
};

struct AppExtensionEntry {
  std::string identifier;
  TGIFExtensionFactory factory;
};

template <class T>
TGIFExtensionFactory MakeFactory() {
  return [](TGIFSubImage* subImage) { return std::make_unique<T>(subImage); };
}

struct Registries {
  std::mutex lock;
  std::vector<ExtensionEntry> extensions{
      {0x01, MakeFactory<TGIFTextExtension>()},
      {0xF9, MakeFactory<TGIFGraphicControlExtension>()},
      {0xFE, MakeFactory<TGIFCommentExtension>()},
      {kApplicationLabel, nullptr},
  };
  std::vector<AppExtensionEntry> applications{
      {"NETSCAPE2.0", MakeFactory<TGIFAppExtNSLoop>()},
      {"ANIMEXTS1.0", MakeFactory<TGIFAppExtNSLoop>()},
  };
};

Registries& GetRegistries() {
  static Registries registries;
  return registries;
}

/// The class for the application identifier that follows; the stream is left where it was.
std::unique_ptr<TGIFExtension> ChooseApplicationExtension(TStream& stream, TGIFSubImage* subImage) {
  const int64_t start = stream.Position();
  const std::optional<uint8_t> size = GIFReadByte(stream);
  std::string identifier(11, '\0');
  const bool hasIdentifier = size == 11 && stream.Read(identifier.data(), 11) == 11;
  stream.SetPosition(start);
  if (hasIdentifier) {
    Registries& registries = GetRegistries();
    std::lock_guard guard(registries.lock);
    for (auto it = registries.applications.rbegin(); it != registries.applications.rend(); ++it)
      if (it->identifier == identifier) return it->factory(subImage);
  }
  return std::make_unique<TGIFUnknownAppExtension>(subImage);
}

/// The extension object for the label at the stream's position (just after '!'); the
/// stream is left where it was. A label that no class is registered for is kept raw.
std::unique_ptr<TGIFExtension> ChooseExtension(TStream& stream, TGIFSubImage* subImage) {
  const int64_t start = stream.Position();
  const std::optional<uint8_t> label = GIFReadByte(stream);
  if (!label) return nullptr;
  TGIFExtensionFactory factory;
  bool found = false;
  {
    Registries& registries = GetRegistries();
    std::lock_guard guard(registries.lock);
    for (auto it = registries.extensions.rbegin(); it != registries.extensions.rend(); ++it)
      if (it->label == *label) {
        factory = it->factory;
        found = true;
        break;
      }
  }
  std::unique_ptr<TGIFExtension> extension;
  if (!found)
    extension = std::make_unique<TGIFUnknownExtension>(subImage, *label);
  else if (!factory)
    extension = ChooseApplicationExtension(stream, subImage);
  else
    extension = factory(subImage);
  stream.SetPosition(start);
  return extension;
}

/// Reads a block that starts with its own size byte: fills `record` with up to its size
/// from the block and skips any excess. Returns the bytes the block held (fewer than the
/// size byte says when the stream ends).
size_t ReadSizedBlock(TStream& stream, uint8_t* record, size_t recordSize) {
  const std::optional<uint8_t> size = GIFReadByte(stream);
  if (!size) return 0;
  const size_t wanted = std::min<size_t>(*size, recordSize);
  const size_t got = static_cast<size_t>(stream.Read(record, static_cast<int64_t>(wanted)));
  if (got < wanted) return got;
  const int64_t excess = *size - static_cast<int64_t>(wanted);
  if (stream.Remaining() < excess) {
    stream.Seek(0, soEnd);
    return got;
  }
  stream.Seek(excess, soCurrent);
  return *size;
}

}  // namespace

void RegisterExtension(uint8_t label, TGIFExtensionFactory factory) {
  Registries& registries = GetRegistries();
  std::lock_guard guard(registries.lock);
  registries.extensions.push_back({label, std::move(factory)});
}

void RegisterAppExtension(const std::string& identifier, TGIFExtensionFactory factory) {
  Registries& registries = GetRegistries();
  std::lock_guard guard(registries.lock);
  registries.applications.push_back({identifier, std::move(factory)});
}

// ---------------------------------------------------------------------------------------

TGIFExtension::TGIFExtension(TGIFSubImage* subImage)
    : TGIFItem(subImage ? subImage->Image() : nullptr), sub_image_(subImage) {}

void TGIFExtension::LoadFromStream(TStream& stream) {
  uint8_t head[2];
  ReadCheck(stream, head, 2);
  if (head[0] != kExtensionIntroducer) throw GIFException("Invalid extension introducer");
  if (head[1] != GetExtensionType())
    throw GIFException("Internal error: Extension Instance does not match Extension Label");
  LoadBlock(stream);
}

void TGIFGraphicControlExtension::LoadBlock(TStream& stream) {
  // The size byte is honoured: a longer block is skipped over, a shorter one leaves the
  // missing fields 0; what follows up to the terminator is skipped.
  uint8_t record[4] = {};
  if (ReadSizedBlock(stream, record, sizeof record) < sizeof record) Warning(1, "Premature end of data");
  packed_ = record[0];
  delay_ = static_cast<uint16_t>(record[1] | (record[2] << 8));
  transparent_index_ = record[3];
  SkipSubBlocks(stream);
}

void TGIFTextExtension::LoadBlock(TStream& stream) {
  uint8_t record[12] = {};
  if (ReadSizedBlock(stream, record, sizeof record) < sizeof record) Warning(1, "Premature end of data");
  Left = static_cast<uint16_t>(record[0] | (record[1] << 8));
  Top = static_cast<uint16_t>(record[2] | (record[3] << 8));
  GridWidth = static_cast<uint16_t>(record[4] | (record[5] << 8));
  GridHeight = static_cast<uint16_t>(record[6] | (record[7] << 8));
  CharWidth = record[8];
  CharHeight = record[9];
  ForegroundColorIndex = record[10];
  BackgroundColorIndex = record[11];
  Text = ReadSubBlocks(stream);
}

void TGIFCommentExtension::LoadBlock(TStream& stream) {
  Comment = ReadSubBlocks(stream);
}

void TGIFApplicationExtension::LoadBlock(TStream& stream) {
  uint8_t size = 0;
  ReadCheck(stream, &size, 1);
  if (size < 10) throw GIFException("Unsupported Application Extension block size");
  Identifier.fill(0);
  ReadCheck(stream, Identifier.data(), std::min<int64_t>(size, 11));
  if (size > 11) {
    if (stream.Remaining() < size - 11) throw GIFException("Premature end of data");
    stream.Seek(size - 11, soCurrent);
  }
  LoadData(stream);
}

void TGIFUnknownAppExtension::LoadBlock(TStream& stream) {
  const int64_t start = stream.Position();
  odd_header_.clear();
  if (const std::optional<uint8_t> size = GIFReadByte(stream); size && *size != 11) {
    odd_header_.resize(*size);
    odd_header_.resize(static_cast<size_t>(std::max<int64_t>(0, stream.Read(odd_header_.data(), *size))));
  }
  stream.SetPosition(start);
  TGIFApplicationExtension::LoadBlock(stream);
}

void TGIFUnknownAppExtension::SaveBlock(TStream& stream) {
  const size_t compared = std::min<size_t>(odd_header_.size(), Identifier.size());
  if (odd_header_.empty() || std::memcmp(odd_header_.data(), Identifier.data(), compared) != 0) {
    TGIFApplicationExtension::SaveBlock(stream);
    return;
  }
  GIFWriteByte(stream, static_cast<uint8_t>(odd_header_.size()));
  stream.WriteBuffer(odd_header_.data(), static_cast<int64_t>(odd_header_.size()));
  SaveData(stream);
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* subImage) : TGIFApplicationExtension(subImage) {
  std::memcpy(Identifier.data(), "NETSCAPE2.0", 11);
}

void TGIFAppExtNSLoop::LoadData(TStream& stream) {
  for (const std::string& block : ReadSubBlocks(stream)) {
    const auto byte = [&block](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(block[i])); };
    switch (byte(0) & 7) {
      case 1:
        if (block.size() < 3) throw GIFException("Invalid GIF data");
        Loops = static_cast<uint16_t>(byte(1) | (byte(2) << 8));
        break;
      case 2:
        if (block.size() < 5) throw GIFException("Invalid GIF data");
        BufferSize = byte(1) | (byte(2) << 8) | (byte(3) << 16) | (byte(4) << 24);
        break;
      default:
        break;
    }
  }
}

// ---------------------------------------------------------------------------------------

void LoadExtensions(TStream& stream, TGIFSubImage& subImage,
                    std::vector<std::unique_ptr<TGIFExtension>>& list) {
  std::optional<uint8_t> byte = GIFReadByte(stream);
  if (!byte) return;
  while (*byte != kImageSeparator && *byte != kTrailer) {
    if (*byte != kExtensionIntroducer) {
      subImage.Warning(1, "Invalid extension introducer");
      break;
    }
    std::unique_ptr<TGIFExtension> extension = ChooseExtension(stream, &subImage);
    // Every label has a class (unknown ones are kept raw), so only a missing label gives
    // none: the file ends after the introducer, which is the end of the data.
    if (!extension) return;
    stream.Seek(-1, soCurrent);
    extension->LoadFromStream(stream);
    list.push_back(std::move(extension));
    byte = GIFReadByte(stream);
    if (!byte) return;
  }
  stream.Seek(-1, soCurrent);
}

// ---------------------------------------------------------------------------------------

void TGIFExtension::SaveToStream(TStream& stream) {
  GIFWriteByte(stream, kExtensionIntroducer);
  GIFWriteByte(stream, GetExtensionType());
  SaveBlock(stream);
}

void TGIFGraphicControlExtension::SaveBlock(TStream& stream) {
  const uint8_t record[6] = {
      4, packed_, static_cast<uint8_t>(delay_), static_cast<uint8_t>(delay_ >> 8), transparent_index_, 0};
  stream.WriteBuffer(record, sizeof record);
}

void TGIFTextExtension::SaveBlock(TStream& stream) {
  const uint8_t record[13] = {12,
                              static_cast<uint8_t>(Left),
                              static_cast<uint8_t>(Left >> 8),
                              static_cast<uint8_t>(Top),
                              static_cast<uint8_t>(Top >> 8),
                              static_cast<uint8_t>(GridWidth),
                              static_cast<uint8_t>(GridWidth >> 8),
                              static_cast<uint8_t>(GridHeight),
                              static_cast<uint8_t>(GridHeight >> 8),
                              CharWidth,
                              CharHeight,
                              ForegroundColorIndex,
                              BackgroundColorIndex};
  stream.WriteBuffer(record, sizeof record);
  WriteSubBlocks(stream, Text);
}

void TGIFApplicationExtension::SaveBlock(TStream& stream) {
  GIFWriteByte(stream, 11);
  stream.WriteBuffer(Identifier.data(), static_cast<int64_t>(Identifier.size()));
  SaveData(stream);
}

void TGIFAppExtNSLoop::SaveData(TStream& stream) {
  const uint8_t loops[4] = {3, 1, static_cast<uint8_t>(Loops), static_cast<uint8_t>(Loops >> 8)};
  stream.WriteBuffer(loops, sizeof loops);
  if (BufferSize != 0) {
    const uint8_t buffer[6] = {5,
                               2,
                               static_cast<uint8_t>(BufferSize),
                               static_cast<uint8_t>(BufferSize >> 8),
                               static_cast<uint8_t>(BufferSize >> 16),
                               static_cast<uint8_t>(BufferSize >> 24)};
    stream.WriteBuffer(buffer, sizeof buffer);
  }
  GIFWriteByte(stream, 0);
}
