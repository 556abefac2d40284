// The input method lives in the GUI application, which the graphics layer already makes
// for measuring text; asking it needs no window.
#include "platform/graphics/InputLanguage.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QLocale>
#include <string_view>

#include "platform/core/CodePages.h"
#include "platform/graphics/CanvasDevice.h"

namespace {

std::string& SwitchedLanguage() {
  static std::string name;
  return name;
}

/// Languages whose scripts no ANSI code page holds: their locales name code page 0.
constexpr std::string_view kUnicodeOnlyLanguages[] = {
    "am",  "as", "bn", "bo", "dv", "gu", "hi", "hy", "ii", "iu",  "ka", "km", "kn",
    "kok", "lo", "ml", "mr", "ne", "or", "pa", "sa", "si", "syr", "ta", "te", "ti",
};

}  // namespace

void SetInputLanguageName(const std::string& name) {
  SwitchedLanguage() = name;
}

std::string GetInputLanguageName() {
  if (!SwitchedLanguage().empty()) return SwitchedLanguage();
  EnsureGuiApplication();
  const QInputMethod* inputMethod = QGuiApplication::inputMethod();
  QLocale locale = inputMethod != nullptr ? inputMethod->locale() : QLocale::c();
  // An input method that knows no language (the offscreen one) types in the desktop's.
  if (locale.language() == QLocale::C) locale = QLocale::system();
  return locale.language() == QLocale::C ? std::string() : locale.name().toStdString();
}

uint32_t GetKeyboardCodePage() {
  const std::string name = GetInputLanguageName();
  if (name.empty()) return GetACP();
  const std::string_view language = std::string_view(name).substr(0, name.find_first_of("_-.@"));
  for (std::string_view unicodeOnly : kUnicodeOnlyLanguages)
    if (language == unicodeOnly) return 0;
  return CodePageFromLocaleName(name);
}
