#include "platform/gui/StyleDrawing.h"

#include <QApplication>
#include <QPointer>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>
#include <map>

#include "platform/graphics/CanvasDevice.h"
#include "platform/gui/WidgetSupport.h"

namespace {

std::map<int, std::function<void()>>& Handlers() {
  static std::map<int, std::function<void()>> handlers;
  return handlers;
}
int nextHandlerId = 1;

void NotifyStyleChanged() {
  // Handlers may remove themselves while being called.
  const auto handlers = Handlers();
  for (const auto& [id, handler] : handlers)
    if (Handlers().count(id) != 0) handler();
}

QStyle::State StateOf(uint32_t state) {
  QStyle::State result = QStyle::State_Enabled;
  if ((state & kStyleDisabled) != 0) result &= ~QStyle::State_Enabled;
  if ((state & kStyleHot) != 0) result |= QStyle::State_MouseOver;
  if ((state & kStylePressed) != 0)
    result |= QStyle::State_Sunken;
  else
    result |= QStyle::State_Raised;
  if ((state & kStyleSelected) != 0) result |= QStyle::State_Selected;
  if ((state & kStyleUnfocused) == 0) result |= QStyle::State_Active | QStyle::State_HasFocus;
  return result;
}

}  // namespace

bool StyleAvailable() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
         QApplication::style() != nullptr;
}

std::string CurrentStyleName() {
  if (!StyleAvailable()) return std::string();
  // The keyboard-cue style stands over the chosen one and has no name of its own.
  const QStyle* style = QApplication::style();
  if (const auto* proxy = qobject_cast<const QProxyStyle*>(style)) style = proxy->baseStyle();
  return style->name().toStdString();
}

bool DrawStylePrimitive(TCanvas& canvas, TStylePrimitive primitive, uint32_t state, const TRect& rect,
                        const TRect* clip) {
  if (!StyleAvailable()) return false;
  QPainter* painter = TCanvasAccess::Painter(canvas);
  if (painter == nullptr) return false;
  QStyle* style = QApplication::style();
  painter->save();
  if (clip != nullptr)
    painter->setClipRect(QRect(clip->Left, clip->Top, clip->Width(), clip->Height()), Qt::IntersectClip);
  const QRect r(rect.Left, rect.Top, rect.Width(), rect.Height());
  switch (primitive) {
    case TStylePrimitive::HeaderSection:
    case TStylePrimitive::HeaderEmptyArea: {
      QStyleOptionHeader option;
      option.rect = r;
      option.state = StateOf(state) | QStyle::State_Horizontal;
      option.position = QStyleOptionHeader::Middle;
      style->drawControl(
          primitive == TStylePrimitive::HeaderSection ? QStyle::CE_HeaderSection : QStyle::CE_HeaderEmptyArea,
          &option, painter);
      break;
    }
    case TStylePrimitive::HeaderSortArrowUp:
    case TStylePrimitive::HeaderSortArrowDown: {
      QStyleOptionHeader option;
      option.rect = r;
      option.state = StateOf(state);
      option.sortIndicator = primitive == TStylePrimitive::HeaderSortArrowUp ? QStyleOptionHeader::SortUp
                                                                             : QStyleOptionHeader::SortDown;
      style->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &option, painter);
      break;
    }
    case TStylePrimitive::BranchClosed:
    case TStylePrimitive::BranchOpen:
    case TStylePrimitive::BranchLine: {
      QStyleOption option;
      option.rect = r;
      option.state = StateOf(state);
      if (primitive != TStylePrimitive::BranchLine) option.state |= QStyle::State_Children;
      if (primitive == TStylePrimitive::BranchOpen) option.state |= QStyle::State_Open;
      style->drawPrimitive(QStyle::PE_IndicatorBranch, &option, painter);
      break;
    }
    case TStylePrimitive::ItemPanel: {
      QStyleOptionViewItem option;
      option.rect = r;
      option.state = StateOf(state);
      style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter);
      break;
    }
    case TStylePrimitive::EditFrame: {
      QStyleOptionFrame option;
      option.rect = r;
      option.state = StateOf(state) | QStyle::State_Sunken;
      option.lineWidth = 1;
      style->drawPrimitive(QStyle::PE_FrameLineEdit, &option, painter);
      break;
    }
    case TStylePrimitive::ButtonPanel: {
      QStyleOptionButton option;
      option.rect = r;
      option.state = StateOf(state);
      style->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, painter);
      break;
    }
    case TStylePrimitive::WindowPanel: {
      QStyleOption option;
      option.rect = r;
      option.state = StateOf(state);
      option.palette = QApplication::palette();
      painter->fillRect(r, option.palette.window());
      break;
    }
  }
  painter->restore();
  return true;
}

bool SetApplicationStyle(const std::string& name) {
  if (!StyleAvailable()) return false;
  QStyle* style = QStyleFactory::create(QString::fromStdString(name));
  if (style == nullptr) return false;
  // Services that keep state about the style hear first, so that controls, which hear through
  // their widgets' style-change events, find that state current.
  NotifyStyleChanged();
  QApplication::setStyle(WithKeyboardCues(style));
  return true;
}

int AddStyleChangeHandler(std::function<void()> handler) {
  const int id = nextHandlerId++;
  Handlers()[id] = std::move(handler);
  return id;
}

void RemoveStyleChangeHandler(int id) {
  Handlers().erase(id);
}
