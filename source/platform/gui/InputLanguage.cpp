// The keyboard's input language: what the input method reports (or a test sets), turned into
// the language ids and character sets that controls compare, and told to the focused control.
#include "platform/graphics/InputLanguage.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QLocale>
#include <optional>
#include <utility>

#include "platform/core/Identifiers.h"
#include "platform/graphics/InputLanguageName.h"
#include "platform/gui/InputMethod.h"
#include "platform/gui/Messaging.h"
#include "platform/gui/WidgetSupport.h"

namespace {

/// Primary language ids of the languages whose keyboards differ in what they type.
constexpr std::pair<QLocale::Language, uint16_t> kPrimaryLanguages[] = {
    {QLocale::Arabic, 0x01},     {QLocale::Bulgarian, 0x02},       {QLocale::Catalan, 0x03},
    {QLocale::Chinese, 0x04},    {QLocale::Czech, 0x05},           {QLocale::Danish, 0x06},
    {QLocale::German, 0x07},     {QLocale::Greek, 0x08},           {QLocale::English, 0x09},
    {QLocale::Spanish, 0x0A},    {QLocale::Finnish, 0x0B},         {QLocale::French, 0x0C},
    {QLocale::Hebrew, 0x0D},     {QLocale::Hungarian, 0x0E},       {QLocale::Icelandic, 0x0F},
    {QLocale::Italian, 0x10},    {QLocale::Japanese, 0x11},        {QLocale::Korean, 0x12},
    {QLocale::Dutch, 0x13},      {QLocale::NorwegianBokmal, 0x14}, {QLocale::Polish, 0x15},
    {QLocale::Portuguese, 0x16}, {QLocale::Romanian, 0x18},        {QLocale::Russian, 0x19},
    {QLocale::Croatian, 0x1A},   {QLocale::Slovak, 0x1B},          {QLocale::Swedish, 0x1D},
    {QLocale::Thai, 0x1E},       {QLocale::Turkish, 0x1F},         {QLocale::Ukrainian, 0x22},
    {QLocale::Belarusian, 0x23}, {QLocale::Slovenian, 0x24},       {QLocale::Estonian, 0x25},
    {QLocale::Latvian, 0x26},    {QLocale::Lithuanian, 0x27},      {QLocale::Vietnamese, 0x2A},
};

/// The character set of each ANSI code page a language implies.
constexpr std::pair<uint32_t, uint8_t> kCodePageCharsets[] = {
    {874, THAI_CHARSET},        {932, SHIFTJIS_CHARSET},    {936, GB2312_CHARSET},   {949, HANGEUL_CHARSET},
    {950, CHINESEBIG5_CHARSET}, {1250, EASTEUROPE_CHARSET}, {1251, RUSSIAN_CHARSET}, {1253, GREEK_CHARSET},
    {1254, TURKISH_CHARSET},    {1255, HEBREW_CHARSET},     {1256, ARABIC_CHARSET},  {1257, BALTIC_CHARSET},
    {1258, VIETNAMESE_CHARSET},
};

/// The language set by the last change; none means the input method's own.
std::optional<QLocale>& KeyboardLocale() {
  static std::optional<QLocale> locale;
  return locale;
}

QLocale CurrentKeyboardLocale() {
  if (KeyboardLocale()) return *KeyboardLocale();
  if (QGuiApplication::instance() != nullptr) return QGuiApplication::inputMethod()->locale();
  return QLocale::system();
}

}  // namespace

uint16_t GetKeyboardLanguage() {
  const QLocale::Language language = CurrentKeyboardLocale().language();
  for (const auto& [qt, primary] : kPrimaryLanguages)
    if (qt == language) return static_cast<uint16_t>(0x0400 | primary);  // the default sublanguage
  return 0;
}

uint8_t GetKeyboardCharset() {
  const uint32_t codePage = GetKeyboardCodePage();
  for (const auto& [page, charset] : kCodePageCharsets)
    if (page == codePage) return charset;
  return ANSI_CHARSET;
}

void InputLanguageChanged(const QLocale& locale) {
  KeyboardLocale() = locale;
  // What 8-bit text typed from now on is read with follows the same language.
  SetInputLanguageName(InputLanguageNameOf(locale));
  if (TWinControl* focused = TWinControl::FocusedControl())
    SendMessage(focused, WM_INPUTLANGCHANGE, GetKeyboardCharset(), GetKeyboardLanguage());
}

void WatchInputLanguage() {
  static bool watching = false;
  if (watching || QGuiApplication::instance() == nullptr) return;
  watching = true;
  QInputMethod* inputMethod = QGuiApplication::inputMethod();
  QObject::connect(inputMethod, &QInputMethod::localeChanged, inputMethod,
                   [inputMethod] { InputLanguageChanged(inputMethod->locale()); });
}
