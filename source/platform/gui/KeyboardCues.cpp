// Keyboard cues: focus rectangles and access-key underlines are drawn only while the form
// says so (WM_CHANGEUISTATE). One style over the application's asks each widget's form.
#include <QApplication>
#include <QProxyStyle>
#include <QWidget>

#include "platform/gui/Forms.h"
#include "platform/gui/WidgetSupport.h"

namespace {

const TCustomForm* FormOfWidget(const QWidget* widget) {
  return GetParentForm(ControlOfWidget(widget));
}

class TCueStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_UnderlineShortcut) {
      if (const TCustomForm* form = FormOfWidget(widget)) return form->AccelCuesHidden() ? 0 : 1;
    }
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_FrameFocusRect) {
      if (const TCustomForm* form = FormOfWidget(widget); form != nullptr && form->FocusCuesHidden()) return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
};

void InstallCueStyle() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QApplication::setStyle(new TCueStyle);
}

}  // namespace

void ApplyKeyboardCues(TCustomForm& form) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
  InstallCueStyle();
  QWidget* client = ClientWidgetOf(&form);
  if (client == nullptr) return;
  QWidget* window = client->window();
  window->update();
  for (QWidget* child : window->findChildren<QWidget*>()) child->update();
}
