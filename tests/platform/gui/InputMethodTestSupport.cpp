#include "platform/gui/InputMethodTestSupport.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLocale>
#include <QWidget>

#include "platform/gui/WidgetSupport.h"

namespace guitest {

namespace {

QString ToQString(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void SendComposition(TWinControl& control, const std::u16string& preedit) {
  QInputMethodEvent event(ToQString(preedit), {});
  QCoreApplication::sendEvent(ClientWidgetOf(&control), &event);
}

void SendCommittedText(TWinControl& control, const std::u16string& text) {
  QInputMethodEvent event;
  event.setCommitString(ToQString(text));
  QCoreApplication::sendEvent(ClientWidgetOf(&control), &event);
}

void ChangeInputLanguage(const std::string& locale) {
  InputLanguageChanged(QLocale(QString::fromStdString(locale)));
}

}  // namespace guitest
