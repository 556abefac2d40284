#include "platform/gui/DragDrop.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <cstring>
#include <map>

#include "platform/graphics/BitmapAccess.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/WidgetSupport.h"

namespace {

constexpr const char* kFormatPrefix = "application/x-zuk-format;name=";

QString MimeOf(uint32_t format) {
  const std::string name = ClipboardFormatName(format);
  return QString::fromLatin1(kFormatPrefix) +
         (name.empty() ? QString::number(format) : QString::fromStdString(name));
}

uint32_t FormatOfMime(const QString& mime) {
  if (!mime.startsWith(QLatin1String(kFormatPrefix))) return 0;
  const QString name = mime.mid(static_cast<int>(std::strlen(kFormatPrefix)));
  bool number = false;
  const uint32_t value = name.toUInt(&number);
  if (number) return value;
  return RegisterClipboardFormat(name.toStdString());
}

TDragFormats FormatsOf(const QMimeData* data) {
  TDragFormats formats;
  if (data == nullptr) return formats;
  for (const QString& mime : data->formats()) {
    const uint32_t format = FormatOfMime(mime);
    if (format == 0) continue;
    const QByteArray bytes = data->data(mime);
    formats.Items.emplace_back(format, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  return formats;
}

uint32_t KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  uint32_t state = 0;
  if ((buttons & Qt::LeftButton) != 0) state |= MK_LBUTTON;
  if ((buttons & Qt::RightButton) != 0) state |= MK_RBUTTON;
  if ((buttons & Qt::MiddleButton) != 0) state |= MK_MBUTTON;
  if ((modifiers & Qt::ShiftModifier) != 0) state |= MK_SHIFT;
  if ((modifiers & Qt::ControlModifier) != 0) state |= MK_CONTROL;
  return state;
}

Qt::DropActions ActionsOf(uint32_t effects) {
  Qt::DropActions actions;
  if ((effects & DROPEFFECT_COPY) != 0) actions |= Qt::CopyAction;
  if ((effects & DROPEFFECT_MOVE) != 0) actions |= Qt::MoveAction;
  if ((effects & DROPEFFECT_LINK) != 0) actions |= Qt::LinkAction;
  return actions;
}

uint32_t EffectOf(Qt::DropAction action) {
  switch (action) {
    case Qt::CopyAction:
      return DROPEFFECT_COPY;
    case Qt::MoveAction:
      return DROPEFFECT_MOVE;
    case Qt::LinkAction:
      return DROPEFFECT_LINK;
    default:
      return DROPEFFECT_NONE;
  }
}

Qt::DropAction PreferredAction(uint32_t effect) {
  if ((effect & DROPEFFECT_MOVE) != 0) return Qt::MoveAction;
  if ((effect & DROPEFFECT_COPY) != 0) return Qt::CopyAction;
  if ((effect & DROPEFFECT_LINK) != 0) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

/// Turns the drag events of one client widget into the handler's calls.
class DropFilter : public QObject {
 public:
  DropFilter(QWidget* widget, TDropTargetHandler* handler) : QObject(widget), handler_(handler) {}

  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        const QPoint g = static_cast<QWidget*>(parent())->mapToGlobal(drag->position().toPoint());
        const uint32_t effect =
            handler_->DragEnter(FormatsOf(drag->mimeData()), KeyStateOf(drag->buttons(), drag->modifiers()),
                                TPoint{g.x(), g.y()}, EffectFromActions(drag->possibleActions()));
        Answer(drag, effect);
        return true;
      }
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const QPoint g = static_cast<QWidget*>(parent())->mapToGlobal(drag->position().toPoint());
        const uint32_t effect =
            handler_->DragOver(KeyStateOf(drag->buttons(), drag->modifiers()), TPoint{g.x(), g.y()},
                               EffectFromActions(drag->possibleActions()));
        Answer(drag, effect);
        return true;
      }
      case QEvent::DragLeave:
        handler_->DragLeave();
        return true;
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QPoint g = static_cast<QWidget*>(parent())->mapToGlobal(drop->position().toPoint());
        const uint32_t effect =
            handler_->Drop(FormatsOf(drop->mimeData()), KeyStateOf(drop->buttons(), drop->modifiers()),
                           TPoint{g.x(), g.y()}, EffectFromActions(drop->possibleActions()));
        Answer(drop, effect);
        return true;
      }
      default:
        return false;
    }
  }

 private:
  static uint32_t EffectFromActions(Qt::DropActions actions) {
    uint32_t effect = 0;
    if ((actions & Qt::CopyAction) != 0) effect |= DROPEFFECT_COPY;
    if ((actions & Qt::MoveAction) != 0) effect |= DROPEFFECT_MOVE;
    if ((actions & Qt::LinkAction) != 0) effect |= DROPEFFECT_LINK;
    return effect;
  }
  static void Answer(QDropEvent* event, uint32_t effect) {
    const Qt::DropAction action = PreferredAction(effect & EffectFromActions(event->possibleActions()));
    if (action == Qt::IgnoreAction) {
      event->ignore();
      return;
    }
    event->setDropAction(action);
    event->accept();
  }

  TDropTargetHandler* handler_;
};

std::map<const TWinControl*, QPointer<DropFilter>>& Registered() {
  static std::map<const TWinControl*, QPointer<DropFilter>> registered;
  return registered;
}

}  // namespace

bool RegisterDragDrop(TWinControl& control, TDropTargetHandler* handler) {
  if (!control.HandleAllocated() || handler == nullptr) return false;
  QWidget* widget = ClientWidgetOf(&control);
  if (widget == nullptr) return false;
  RevokeDragDrop(control);
  auto* filter = new DropFilter(widget, handler);
  widget->installEventFilter(filter);
  widget->setAcceptDrops(true);
  Registered()[&control] = filter;
  return true;
}

void RevokeDragDrop(TWinControl& control) {
  const auto it = Registered().find(&control);
  if (it == Registered().end()) return;
  if (it->second != nullptr) {
    if (auto* widget = qobject_cast<QWidget*>(it->second->parent())) widget->setAcceptDrops(false);
    delete it->second.data();
  }
  Registered().erase(it);
}

bool IsDragDropRegistered(const TWinControl& control) {
  const auto it = Registered().find(&control);
  return it != Registered().end() && it->second != nullptr;
}

uint32_t DoDragDrop(TWinControl& source, const TDragFormats& formats, uint32_t allowedEffects,
                    const TDragImage* image) {
  QWidget* widget = ClientWidgetOf(&source);
  if (widget == nullptr) {
    source.HandleNeeded();
    widget = ClientWidgetOf(&source);
  }
  if (widget == nullptr) return DROPEFFECT_NONE;
  auto* data = new QMimeData();
  for (const auto& [format, bytes] : formats.Items)
    data->setData(MimeOf(format),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())));
  QDrag* drag = new QDrag(widget);
  drag->setMimeData(data);
  if (image != nullptr && image->Picture != nullptr && !image->Picture->Empty()) {
    drag->setPixmap(QPixmap::fromImage(TBitmapAccess::DrawImage(*image->Picture)));
    drag->setHotSpot(QPoint(image->HotSpot.X, image->HotSpot.Y));
  }
  const Qt::DropAction action = drag->exec(ActionsOf(allowedEffects), PreferredAction(allowedEffects));
  return EffectOf(action);
}

std::string DragFormatMimeType(uint32_t format) {
  return MimeOf(format).toStdString();
}
