// GIF images on the clipboard: the file itself under "GIF Image", and its first frame as a
// picture for programs that do not read GIF.
#include "gif/GIFImage.h"
#include "platform/gui/Clipbrd.h"

uint32_t CF_GIF() {
  static const uint32_t format = RegisterClipboardFormat("GIF Image");
  return format;
}

void TGIFImage::LoadFromClipboardFormat(uint32_t format) {
  if (format == CF_GIF()) {
    const std::vector<uint8_t> data = Clipboard().GetBuffer(format);
    TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    LoadFromStream(stream);
    return;
  }
  if (format == CF_BITMAP) {
    const std::unique_ptr<TBitmap> picture = Clipboard().Picture();
    if (picture == nullptr) throw EInvalidGraphic("The clipboard holds no picture");
    Assign(picture.get());
    return;
  }
  throw EInvalidGraphic("Unsupported clipboard format");
}

void TGIFImage::SaveToClipboardFormat() {
  if (Empty()) return;
  TMemoryStream stream;
  SaveToStream(stream);
  TClipboard& clipboard = Clipboard();
  clipboard.Open();
  try {
    if (TBitmap* rendering = Bitmap()) clipboard.SetPicture(*rendering);
    clipboard.SetBuffer(CF_GIF(),
                        std::span<const uint8_t>(stream.Memory(), static_cast<size_t>(stream.Size())));
  } catch (...) {
    clipboard.Close();
    throw;
  }
  clipboard.Close();
}
