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
  return name.empty() ? GetACP() : LocaleAnsiCodePage(name);
}
