// The clipboard: formats by number (the standard ones below, others registered by name), 8-bit
// and UTF-16 text, pictures and raw blocks. Between Open and the matching Close everything set
// goes into one new clipboard content, handed to the system at the last Close; a set outside
// Open opens and closes around itself.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TGraphic;
class TBitmap;

constexpr uint32_t CF_TEXT = 1;
constexpr uint32_t CF_BITMAP = 2;
constexpr uint32_t CF_METAFILEPICT = 3;  // a metafile's bytes (SetBuffer and GetBuffer)
constexpr uint32_t CF_DIB = 8;
constexpr uint32_t CF_UNICODETEXT = 13;

/// The number of the format named `name` (case-insensitive), 0xC000 or above; the same name
/// gives the same number for the life of the process. 0 for an empty name.
uint32_t RegisterClipboardFormat(const std::string& name);
/// The name a format was registered with, empty for other numbers.
std::string ClipboardFormatName(uint32_t format);

class TClipboard {
 public:
  TClipboard();
  ~TClipboard();
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  /// Opens the clipboard (calls nest).
  void Open();
  /// The last Close hands what was set since Open to the system.
  void Close();
  /// Empties the content being built (or the clipboard, outside Open).
  void Clear();
  bool HasFormat(uint32_t format) const;

  /// 8-bit text in the ANSI code page (CF_TEXT; also offered as Unicode text when no UTF-16
  /// text is set).
  void SetAsText(const std::string& text);
  std::string AsText() const;
  /// UTF-16 text (CF_UNICODETEXT).
  void SetUnicodeText(const std::u16string& text);
  std::u16string UnicodeText() const;
  /// A picture, offered as an image (CF_BITMAP and CF_DIB).
  void SetPicture(TGraphic& graphic);
  /// The clipboard's image as a 32-bit bitmap; null when it holds none.
  std::unique_ptr<TBitmap> Picture() const;
  /// A raw block of bytes in a registered format.
  void SetBuffer(uint32_t format, std::span<const uint8_t> data);
  /// The block of a registered format, or of CF_TEXT and CF_UNICODETEXT with their zero
  /// terminator (empty when absent).
  std::vector<uint8_t> GetBuffer(uint32_t format) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

/// The process's clipboard object.
TClipboard& Clipboard();
