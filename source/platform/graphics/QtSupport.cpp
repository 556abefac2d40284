// The Qt side of colours, fonts and text shared by the graphics classes.
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <mutex>

#include "platform/core/CodePages.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/SystemColors.h"
#include "platform/graphics/ToolkitStartup.h"

void EnsureGuiApplication() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (QCoreApplication::instance() != nullptr) return;
    // The application object lives until the process ends; it is reachable from here.
    static int argc = 1;
    static char name[] = "zuk";
    static char* argv[] = {name, nullptr};
    TToolkitStartup startup;
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
  });
}

QColor ToQColor(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQRgb(QRgb rgb) {
  return RGBColor(static_cast<uint8_t>(qRed(rgb)), static_cast<uint8_t>(qGreen(rgb)),
                  static_cast<uint8_t>(qBlue(rgb)));
}

TRasterOp RasterOpOf(uint32_t rop) {
  using Paint = TRasterOp::Paint;
  switch (rop) {
    case cmSrcCopy:
      return {Paint::Source, QPainter::CompositionMode_SourceOver};
    case cmSrcAnd:
      return {Paint::Source, QPainter::RasterOp_SourceAndDestination};
    case cmSrcPaint:
      return {Paint::Source, QPainter::RasterOp_SourceOrDestination};
    case cmSrcInvert:
      return {Paint::Source, QPainter::RasterOp_SourceXorDestination};
    case cmNotSrcCopy:
      return {Paint::Source, QPainter::RasterOp_NotSource};
    case cmSrcErase:
      return {Paint::Source, QPainter::RasterOp_SourceAndNotDestination};
    case cmMergePaint:
      return {Paint::Source, QPainter::RasterOp_NotSourceOrDestination};
    case cmNotSrcErase:
      return {Paint::Source, QPainter::RasterOp_NotSourceAndNotDestination};
    case cmBlackness:
      return {Paint::Black, QPainter::CompositionMode_SourceOver};
    case cmWhiteness:
      return {Paint::White, QPainter::CompositionMode_SourceOver};
    case cmDstInvert:  // what is painted does not matter, only that every pixel is
      return {Paint::White, QPainter::RasterOp_NotDestination};
    case cmPatInvert:
      return {Paint::Brush, QPainter::RasterOp_SourceXorDestination};
    case cmDstCopy:
      return {Paint::Nothing, QPainter::CompositionMode_SourceOver};
    default:
      return {Paint::Brush, QPainter::CompositionMode_SourceOver};
  }
}

namespace {

QString DesktopDefaultFamily() {
  EnsureGuiApplication();
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

uint32_t CodePageOfCharset(uint8_t charset) {
  switch (charset) {
    case ANSI_CHARSET:
      return 1252;
    case SHIFTJIS_CHARSET:
      return 932;
    case HANGEUL_CHARSET:
      return 949;
    case JOHAB_CHARSET:
      return 1361;
    case GB2312_CHARSET:
      return 936;
    case CHINESEBIG5_CHARSET:
      return 950;
    case GREEK_CHARSET:
      return 1253;
    case TURKISH_CHARSET:
      return 1254;
    case VIETNAMESE_CHARSET:
      return 1258;
    case HEBREW_CHARSET:
      return 1255;
    case ARABIC_CHARSET:
      return 1256;
    case BALTIC_CHARSET:
      return 1257;
    case RUSSIAN_CHARSET:
      return 1251;
    case THAI_CHARSET:
      return 874;
    case EASTEUROPE_CHARSET:
      return 1250;
    case MAC_CHARSET:
      return CP_MACCP;
    case OEM_CHARSET:
      return CP_OEMCP;
    default:
      return CP_ACP;
  }
}

}  // namespace

QFont ToQFont(const TFont& font) {
  EnsureGuiApplication();
  QFont f;
  if (SameText(font.Name(), "MS Sans Serif") || SameText(font.Name(), "MS Shell Dlg") ||
      SameText(font.Name(), "MS Shell Dlg 2")) {
    f.setFamily(DesktopDefaultFamily());
  } else {
    f.setFamily(QString::fromUtf8(font.Name().data(), static_cast<qsizetype>(font.Name().size())));
  }
  if (font.Pitch() == fpFixed) f.setFixedPitch(true);
  f.setStyleStrategy(QFont::PreferDefault);
  f.setHintingPreference(QFont::PreferFullHinting);
  int height = font.Height();
  if (height == 0) height = -12;
  if (height < 0) {
    f.setPixelSize(-height);
  } else {
    // A positive height is the cell height (ascent + descent): find the character size
    // that gives that cell.
    f.setPixelSize(height);
    const QFontMetrics fm(f);
    const int cell = fm.ascent() + fm.descent();
    if (cell > 0) f.setPixelSize(std::max(1, MulDiv(height, height, cell)));
  }
  const TFontStyles style = font.Style();
  f.setBold(style.Contains(fsBold));
  f.setItalic(style.Contains(fsItalic));
  f.setUnderline(style.Contains(fsUnderline));
  f.setStrikeOut(style.Contains(fsStrikeOut));
  if (font.Width() > 0) {
    const QFontMetrics fm(f);
    const int average = fm.averageCharWidth();
    if (average > 0) f.setStretch(std::clamp(MulDiv(font.Width(), 100, average), 1, 4000));
  }
  return f;
}

QString DecodeCharsetText(std::string_view text, uint8_t charset) {
  if (text.empty()) return QString();
  if (charset == SYMBOL_CHARSET) {
    // Symbol faces draw byte codes directly.
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  }
  std::u16string wide = MultiByteToWide(CodePageOfCharset(charset), 0, text);
  if (wide.empty()) wide = MultiByteToWide(CP_ACP, 0, text);
  if (wide.empty()) return QString(static_cast<qsizetype>(text.size()), QChar('?'));
  return FromUtf16(wide);
}

QString FromUtf16(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// Fontconfig (and D-Bus, which the X11 platform plugin talks to) keep a few allocations of
// their own for the life of the process; the leak
// checker of sanitizer builds is told to leave them alone.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
