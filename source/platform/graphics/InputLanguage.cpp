// The input method lives in the GUI application, which the graphics layer already makes
// for measuring text; asking it needs no window.
#include "platform/graphics/InputLanguage.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QLocale>

#include "platform/core/CodePages.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/InputLanguageName.h"

namespace {

std::string& SwitchedLanguage() {
  static std::string name;
  return name;
}

}  // namespace

std::string InputLanguageNameOf(const QLocale& locale) {
  if (locale.language() == QLocale::C) return {};
  std::string name = QLocale::languageToCode(locale.language()).toStdString();
  if (locale.script() != QLocale::AnyScript)
    name += "_" + QLocale::scriptToCode(locale.script()).toStdString();
  if (locale.territory() != QLocale::AnyTerritory)
    name += "_" + QLocale::territoryToCode(locale.territory()).toStdString();
  return name;
}

void SetInputLanguageName(const std::string& name) {
  SwitchedLanguage() = name;
}

std::string GetInputLanguageName() {
  if (!SwitchedLanguage().empty()) return SwitchedLanguage();
  EnsureGuiApplication();
  const QInputMethod* inputMethod = QGuiApplication::inputMethod();
  const QLocale locale = inputMethod != nullptr ? inputMethod->locale() : QLocale::c();
  // An input method that knows no language of its own (the offscreen one), or only the
  // desktop's, types in the desktop's. The environment names that one whole: Qt's system
  // locale drops the modifier that gives the script ("sr_RS.UTF-8@latin"), and the ANSI code
  // page is read from the same name.
  if (locale.language() == QLocale::C || locale == QLocale::system()) {
    const std::string desktop = LocaleNameFromEnvironment();
    return desktop.empty() ? InputLanguageNameOf(QLocale::system()) : desktop;
  }
  return InputLanguageNameOf(locale);
}

uint32_t GetKeyboardCodePage() {
  const std::string name = GetInputLanguageName();
  return name.empty() ? GetACP() : LocaleAnsiCodePage(name);
}
