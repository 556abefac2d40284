// Keyboard cues: focus rectangles and access-key underlines are drawn only while the form
// says so (WM_CHANGEUISTATE). One style over the application's asks each widget's form, and
// the form's window carries the focus cue to the style's own focus frames.
#include <QApplication>
#include <QPainter>
#include <QPen>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

#include "platform/gui/Forms.h"
#include "platform/gui/WidgetSupport.h"

namespace {

const TCustomForm* FormOfWidget(const QWidget* widget) {
  return GetParentForm(ControlOfWidget(widget));
}

// The focus rectangle is a dotted frame in the text colour, as the program's own controls draw
// theirs; the base style's own frame may be too faint to see on the button face.
void DrawFocusRectangle(const QStyleOption& option, QPainter& painter) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(option.palette.color(QPalette::WindowText), 1);
  pen.setDashPattern({1.0, 1.0});
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(option.rect.adjusted(0, 0, -1, -1));
  painter.restore();
}

class TCueStyle : public QProxyStyle {
 public:
  explicit TCueStyle(QStyle* base = nullptr) : QProxyStyle(base) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_UnderlineShortcut) {
      if (const TCustomForm* form = FormOfWidget(widget)) return form->AccelCuesHidden() ? 0 : 1;
    }
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    QProxyStyle::drawControl(element, option, painter, widget);
    // The base style may mark a focused button by its outline alone, which the default button
    // wears too: the focus rectangle goes inside it, where a style that draws one puts it.
    if (element == CE_PushButton && (option->state & State_HasFocus) != 0) {
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(*option);
      focus.rect = subElementRect(SE_PushButtonFocusRect, option, widget);
      drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
    }
  }
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_FrameFocusRect) {
      if (const TCustomForm* form = FormOfWidget(widget); form != nullptr && form->FocusCuesHidden()) return;
      if ((option->state & State_KeyboardFocusChange) != 0) {
        DrawFocusRectangle(*option, *painter);
        return;
      }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
};

bool& CueStyleInstalled() {
  static bool installed = false;
  return installed;
}

void InstallCueStyle() {
  if (CueStyleInstalled()) return;
  CueStyleInstalled() = true;
  QApplication::setStyle(new TCueStyle);
}

}  // namespace

QStyle* WithKeyboardCues(QStyle* style) {
  return CueStyleInstalled() ? new TCueStyle(style) : style;
}

void ApplyKeyboardCues(TCustomForm& form) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
  InstallCueStyle();
  QWidget* client = ClientWidgetOf(&form);
  if (client == nullptr) return;
  QWidget* window = client->window();
  // The style draws focus frames only in a window whose focus the keyboard moved; the toolkit
  // never learns of that, since the form moves the focus itself, so the form's cue says it.
  window->setAttribute(Qt::WA_KeyboardFocusChange, !form.FocusCuesHidden());
  window->update();
  for (QWidget* child : window->findChildren<QWidget*>()) child->update();
}
