// The clipboard over the toolkit's: one mime-data object is built between Open and Close.
#include "platform/gui/Clipbrd.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

#include "platform/core/CodePages.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BitmapAccess.h"
#include "platform/graphics/Graphic.h"

namespace {

constexpr uint32_t kFirstRegistered = 0xC000;
constexpr const char* kAnsiTextMime = "application/x-zuk-ansi-text";

struct FormatTable {
  std::mutex mutex;
  std::vector<std::string> names;  // names[i] is format kFirstRegistered + i
};

FormatTable& Formats() {
  static FormatTable table;
  return table;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The mime type of a registered format (and of metafiles): the standard types for rich text
// and HTML, a private one for the rest.
QString MimeOf(uint32_t format) {
  if (format == CF_METAFILEPICT) return "application/x-zuk-metafile";
  const std::string name = ClipboardFormatName(format);
  if (name.empty()) return QString();
  const std::string lower = Lower(name);
  if (lower == "rich text format") return "text/rtf";
  if (lower == "html format") return "text/html";
  QString mime = "application/x-zuk-";
  for (char c : lower) mime += std::isalnum(static_cast<unsigned char>(c)) ? QChar(c) : QChar('-');
  return mime;
}

void EnsureApplication() {
  if (QCoreApplication::instance() == nullptr)
    throw EInvalidOperation("The clipboard needs the application object");
}

}  // namespace

uint32_t RegisterClipboardFormat(const std::string& name) {
  if (name.empty()) return 0;
  FormatTable& table = Formats();
  const std::lock_guard lock(table.mutex);
  const std::string key = Lower(name);
  for (size_t i = 0; i < table.names.size(); ++i)
    if (Lower(table.names[i]) == key) return kFirstRegistered + static_cast<uint32_t>(i);
  table.names.push_back(name);
  return kFirstRegistered + static_cast<uint32_t>(table.names.size() - 1);
}

std::string ClipboardFormatName(uint32_t format) {
  FormatTable& table = Formats();
  const std::lock_guard lock(table.mutex);
  if (format < kFirstRegistered || format - kFirstRegistered >= table.names.size()) return std::string();
  return table.names[format - kFirstRegistered];
}

struct TClipboard::Impl {
  int openCount = 0;
  std::unique_ptr<QMimeData> pending;  // what is being built while open

  const QMimeData* Current() const {
    if (pending != nullptr) return pending.get();
    return QGuiApplication::clipboard()->mimeData();
  }
};

TClipboard::TClipboard() : impl_(std::make_unique<Impl>()) {}
TClipboard::~TClipboard() = default;

void TClipboard::Open() {
  EnsureApplication();
  ++impl_->openCount;
}

void TClipboard::Close() {
  if (impl_->openCount == 0) return;
  if (--impl_->openCount > 0 || impl_->pending == nullptr) return;
  QGuiApplication::clipboard()->setMimeData(impl_->pending.release());
}

void TClipboard::Clear() {
  Open();
  impl_->pending = std::make_unique<QMimeData>();
  Close();
}

// Everything set goes into the content being built; the first set after Open starts it empty.
namespace {
QMimeData& Building(std::unique_ptr<QMimeData>& pending) {
  if (pending == nullptr) pending = std::make_unique<QMimeData>();
  return *pending;
}
}  // namespace

bool TClipboard::HasFormat(uint32_t format) const {
  if (QCoreApplication::instance() == nullptr) return false;
  const QMimeData* data = impl_->Current();
  if (data == nullptr) return false;
  switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT:
      return data->hasText() || data->hasFormat(kAnsiTextMime);
    case CF_BITMAP:
    case CF_DIB:
      return data->hasImage();
    default: {
      const QString mime = MimeOf(format);
      return !mime.isEmpty() && data->hasFormat(mime);
    }
  }
}

void TClipboard::SetAsText(const std::string& text) {
  Open();
  QMimeData& data = Building(impl_->pending);
  data.setData(kAnsiTextMime, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  if (!data.hasFormat("application/x-zuk-unicode")) {
    const std::u16string wide = MultiByteToWide(CP_ACP, 0, text);
    data.setText(QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size())));
  }
  Close();
}

std::string TClipboard::AsText() const {
  if (QCoreApplication::instance() == nullptr) return std::string();
  const QMimeData* data = impl_->Current();
  if (data == nullptr) return std::string();
  if (data->hasFormat(kAnsiTextMime)) {
    const QByteArray bytes = data->data(kAnsiTextMime);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
  }
  const QString text = data->text();
  return WideToMultiByte(CP_ACP, 0,
                         std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), text.size()));
}

void TClipboard::SetUnicodeText(const std::u16string& text) {
  Open();
  QMimeData& data = Building(impl_->pending);
  data.setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
  // Marks that the Unicode text wins over the text made from 8-bit text.
  data.setData("application/x-zuk-unicode", QByteArray("1"));
  Close();
}

std::u16string TClipboard::UnicodeText() const {
  if (QCoreApplication::instance() == nullptr) return std::u16string();
  const QMimeData* data = impl_->Current();
  if (data == nullptr) return std::u16string();
  const QString text = data->text();
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

void TClipboard::SetPicture(TGraphic& graphic) {
  TBitmap bitmap;
  bitmap.Assign(&graphic);
  const QImage image = TBitmapAccess::DrawImage(bitmap);
  Open();
  Building(impl_->pending).setImageData(image);
  Close();
}

std::unique_ptr<TBitmap> TClipboard::Picture() const {
  if (QCoreApplication::instance() == nullptr) return nullptr;
  const QMimeData* data = impl_->Current();
  if (data == nullptr || !data->hasImage()) return nullptr;
  const QImage image = qvariant_cast<QImage>(data->imageData());
  if (image.isNull()) return nullptr;
  auto bitmap = std::make_unique<TBitmap>();
  TBitmapAccess::SetImage(*bitmap, image.convertToFormat(QImage::Format_ARGB32), pf32bit);
  return bitmap;
}

void TClipboard::SetBuffer(uint32_t format, std::span<const uint8_t> data) {
  const QString mime = MimeOf(format);
  if (mime.isEmpty())
    throw EInvalidOperation("Clipboard format " + std::to_string(format) + " is not registered");
  Open();
  Building(impl_->pending)
      .setData(mime,
               QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())));
  Close();
}

std::vector<uint8_t> TClipboard::GetBuffer(uint32_t format) const {
  if (QCoreApplication::instance() == nullptr) return {};
  // Text blocks are what the system hands out: the characters and a zero terminator.
  if (format == CF_TEXT || format == CF_UNICODETEXT) {
    if (!HasFormat(format)) return {};
    std::vector<uint8_t> block;
    if (format == CF_TEXT) {
      const std::string text = AsText();
      block.assign(text.begin(), text.end());
      block.push_back(0);
    } else {
      for (char16_t c : UnicodeText()) {
        block.push_back(static_cast<uint8_t>(c & 0xFF));
        block.push_back(static_cast<uint8_t>(c >> 8));
      }
      block.insert(block.end(), {0, 0});
    }
    return block;
  }
  const QMimeData* data = impl_->Current();
  const QString mime = MimeOf(format);
  if (data == nullptr || mime.isEmpty() || !data->hasFormat(mime)) return {};
  const QByteArray bytes = data->data(mime);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}
