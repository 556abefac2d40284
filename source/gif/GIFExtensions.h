// The extension blocks that stand in front of a frame: graphic control, plain text,
// comment, application (the loop extension and unknown ones kept as raw sub-blocks) and any
// other label kept as raw sub-blocks, with the registries that choose a class for a label.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFItems.h"

class TGIFSubImage;

enum TGIFDisposal : uint8_t { dmNone = 0, dmNoDisposal = 1, dmBackground = 2, dmPrevious = 3 };

class TGIFExtension : public TGIFItem {
 public:
  explicit TGIFExtension(TGIFSubImage* subImage);
  std::string ClassName() const override { return "TGIFExtension"; }
  TGIFSubImage* SubImage() const { return sub_image_; }
  virtual uint8_t GetExtensionType() const = 0;
  TGIFVersion GetVersion() const override { return gv89a; }
  /// Reads the introducer and the label, then the block.
  void LoadFromStream(TStream& stream) override;
  /// Writes the introducer and the label, then the block.
  void SaveToStream(TStream& stream) override;

 protected:
  virtual void LoadBlock(TStream& stream) = 0;
  virtual void SaveBlock(TStream& stream) = 0;

 private:
  TGIFSubImage* sub_image_;
};

class TGIFGraphicControlExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  std::string ClassName() const override { return "TGIFGraphicControlExtension"; }
  uint8_t GetExtensionType() const override { return 0xF9; }

  bool Transparent() const { return packed_ & 0x01; }
  bool UserInput() const { return packed_ & 0x02; }
  TGIFDisposal Disposal() const { return static_cast<TGIFDisposal>((packed_ >> 2) & 7); }
  uint16_t Delay() const { return delay_; }
  uint8_t TransparentColorIndex() const { return transparent_index_; }
  /// Setting the transparent flag or index also updates the frame's transparency.
  void SetTransparent(bool value);
  void SetUserInput(bool value) { packed_ = static_cast<uint8_t>((packed_ & ~0x02) | (value ? 0x02 : 0)); }
  void SetDisposal(TGIFDisposal value) {
    packed_ = static_cast<uint8_t>((packed_ & ~0x1C) | ((static_cast<uint8_t>(value) & 7) << 2));
  }
  void SetDelay(uint16_t value) { delay_ = value; }
  /// An index at or beyond the size of the frame's colour table (when it has one) gives
  /// the warning "Invalid color index" and stores 0.
  void SetTransparentColorIndex(uint8_t value);
  /// Stores the index as it is (colour tables being reordered move it with its colour).
  void StoreTransparentColorIndex(uint8_t value);

 protected:
  void LoadBlock(TStream& stream) override;
  void SaveBlock(TStream& stream) override;

 private:
  uint8_t packed_ = 0;
  uint16_t delay_ = 0;
  uint8_t transparent_index_ = 0;
};

class TGIFTextExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  std::string ClassName() const override { return "TGIFTextExtension"; }
  uint8_t GetExtensionType() const override { return 0x01; }

  uint16_t Left = 0, Top = 0, GridWidth = 0, GridHeight = 0;
  uint8_t CharWidth = 0, CharHeight = 0, ForegroundColorIndex = 0, BackgroundColorIndex = 0;
  std::vector<std::string> Text;  // one string per sub-block

 protected:
  void LoadBlock(TStream& stream) override;
  void SaveBlock(TStream& stream) override;
};

class TGIFCommentExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  std::string ClassName() const override { return "TGIFCommentExtension"; }
  uint8_t GetExtensionType() const override { return 0xFE; }

  std::vector<std::string> Comment;  // one string per sub-block

 protected:
  void LoadBlock(TStream& stream) override;
  void SaveBlock(TStream& stream) override { WriteSubBlocks(stream, Comment); }
};

class TGIFApplicationExtension : public TGIFExtension {
 public:
  using TGIFExtension::TGIFExtension;
  std::string ClassName() const override { return "TGIFApplicationExtension"; }
  uint8_t GetExtensionType() const override { return 0xFF; }

  /// Identifier (8 bytes) and authentication code (3 bytes).
  std::array<uint8_t, 11> Identifier{};
  std::string IdentifierText() const { return std::string(Identifier.begin(), Identifier.end()); }

 protected:
  void LoadBlock(TStream& stream) override;
  void SaveBlock(TStream& stream) override;
  virtual void LoadData(TStream& stream) = 0;
  virtual void SaveData(TStream& stream) = 0;
};

/// An application extension this program does not know: its data kept as raw sub-blocks.
class TGIFUnknownAppExtension : public TGIFApplicationExtension {
 public:
  using TGIFApplicationExtension::TGIFApplicationExtension;
  std::string ClassName() const override { return "TGIFUnknownAppExtension"; }
  std::vector<std::string> Blocks;

 protected:
  void LoadBlock(TStream& stream) override;
  void SaveBlock(TStream& stream) override;
  void LoadData(TStream& stream) override { Blocks = ReadSubBlocks(stream); }
  void SaveData(TStream& stream) override { WriteSubBlocks(stream, Blocks); }

 private:
  // The identifier block as read when its size was not 11. Written back as it was: under the
  // usual size its identifier may be a known one, and the file would then no longer load.
  std::string odd_header_;
};

/// The loop extension ("NETSCAPE2.0", also read under "ANIMEXTS1.0").
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
 public:
  explicit TGIFAppExtNSLoop(TGIFSubImage* subImage);
  std::string ClassName() const override { return "TGIFAppExtNSLoop"; }
  uint16_t Loops = 0;       // 0 = endless
  uint32_t BufferSize = 0;  // 0 = not given

 protected:
  void LoadData(TStream& stream) override;
  void SaveData(TStream& stream) override;
};

/// An extension whose label no class is registered for: its sub-blocks are kept as they are.
class TGIFUnknownExtension : public TGIFExtension {
 public:
  TGIFUnknownExtension(TGIFSubImage* subImage, uint8_t label) : TGIFExtension(subImage), label_(label) {}
  std::string ClassName() const override { return "TGIFUnknownExtension"; }
  uint8_t GetExtensionType() const override { return label_; }
  std::vector<std::string> Blocks;

 protected:
  void LoadBlock(TStream& stream) override { Blocks = ReadSubBlocks(stream); }
  void SaveBlock(TStream& stream) override { WriteSubBlocks(stream, Blocks); }

 private:
  uint8_t label_;
};

using TGIFExtensionFactory = std::function<std::unique_ptr<TGIFExtension>(TGIFSubImage*)>;

/// Adds a class for an extension label; a later registration wins.
void RegisterExtension(uint8_t label, TGIFExtensionFactory factory);
/// Adds a class for an 11-byte application identifier; a later registration wins.
void RegisterAppExtension(const std::string& identifier, TGIFExtensionFactory factory);

/// Loads the extensions in front of a frame, stopping in front of ',' or ';' or a stray
/// byte (warning "Invalid extension introducer") or at the end of the stream.
void LoadExtensions(TStream& stream, TGIFSubImage& subImage,
                    std::vector<std::unique_ptr<TGIFExtension>>& list);
