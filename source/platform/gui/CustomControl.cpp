// Custom controls: the window with its frame, client area and scroll bars; painting through
// the canvas; timers and the caret.
#include "platform/gui/CustomControl.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/SystemColors.h"
#include "platform/gui/Application.h"
#include "platform/gui/WidgetSupport.h"

namespace {

constexpr int kCaretBlinkMs = 500;

// A widget that hands its painting to a function.
class TPaintWidget : public QWidget {
 public:
  explicit TPaintWidget(QWidget* parent) : QWidget(parent) {}
  std::function<void(QPaintEvent*)> OnPaint;

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (OnPaint) OnPaint(event);
  }
};

uint32_t ScrollCodeOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub:
      return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd:
      return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub:
      return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum:
      return SB_TOP;
    case QAbstractSlider::SliderToMaximum:
      return SB_BOTTOM;
    default:
      return SB_THUMBTRACK;
  }
}

}  // namespace

class TTimerSlot {
 public:
  QTimer Timer;
  bool Firing = false;
  bool Killed = false;
};

/// The window of a custom control: an outer widget with the frame, the client widget and two
/// scroll bars laid out inside it.
class TCustomControlWindow : public TWidgetHandle {
 public:
  TCustomControlWindow(TCustomControl& control, TPaintWidget* outer, TPaintWidget* client)
      : TWidgetHandle(control, outer, client), owner_(control) {
    client->setAttribute(Qt::WA_OpaquePaintEvent);
    // Text composed by an input method arrives as typed characters.
    client->setAttribute(Qt::WA_InputMethodEnabled);
    client->setFocusPolicy(control.TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
    outer->OnPaint = [this](QPaintEvent*) { PaintFrame(); };
    client->OnPaint = [this](QPaintEvent* event) { PaintClient(event); };
    hbar_ = new QScrollBar(Qt::Horizontal, outer);
    vbar_ = new QScrollBar(Qt::Vertical, outer);
    for (QScrollBar* bar : {hbar_, vbar_}) {
      bar->setFocusPolicy(Qt::NoFocus);
      const int which = bar == hbar_ ? SB_HORZ : SB_VERT;
      QObject::connect(bar, &QAbstractSlider::actionTriggered, this,
                       [this, bar, which](int action) { BarAction(bar, which, action); });
      QObject::connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar, which] {
        const QPointer<TWidgetHandle> self(this);
        SendScroll(which, SB_THUMBPOSITION, bar->sliderPosition());
        if (self != nullptr) SendScroll(which, SB_ENDSCROLL, 0);
        if (self != nullptr) SyncBars();
      });
    }
    blink_.setInterval(kCaretBlinkMs);
    QObject::connect(&blink_, &QTimer::timeout, this, [this] {
      owner_.caretBlinkOn_ = !owner_.caretBlinkOn_;
      const TRect r = owner_.CaretRect();
      Invalidate(&r);
    });
    // The outer widget shows the non-client band; its mouse input goes to the control.
    outer->installEventFilter(this);
    SyncBars();
  }

  void LayoutClient() override {
    if (outer_ == nullptr || client_ == nullptr) return;
    const int b = owner_.BorderWidth();
    const int top = b + owner_.NonClientTop();
    const int sb = TCustomControl::ScrollBarSize();
    const TRect c = owner_.ClientRect();
    const int left = b + owner_.LeftBarWidth();
    client_->setGeometry(left, top, c.Width(), c.Height());
    // Moves without a button reach the outer widget only while it shows a band (for hovering).
    outer_->setMouseTracking(owner_.NonClientTop() > 0);
    vbar_->setGeometry(owner_.LeftScrollBar() ? b : b + c.Width(), top, sb, c.Height());
    hbar_->setGeometry(left, top + c.Height(), c.Width(), sb);
  }

  void InvalidateBand(const TRect& rect) {
    if (outer_ != nullptr && !rect.IsEmpty())
      outer_->update(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()));
  }

  void SyncBars() {
    for (int which : {SB_HORZ, SB_VERT}) {
      QScrollBar* bar = which == SB_HORZ ? hbar_ : vbar_;
      const auto& state = owner_.Bar(which);
      const QSignalBlocker block(bar);
      const int page = static_cast<int>(state.Page);
      bar->setRange(state.Min, std::max(state.Min, state.Max - std::max(page - 1, 0)));
      bar->setPageStep(std::max(page, 1));
      if (!bar->isSliderDown()) bar->setValue(state.Pos);
      bar->setEnabled(state.Enabled);
      bar->setVisible(state.Visible);
    }
    LayoutClient();
  }

  void CaretChanged() {
    if (owner_.caretCreated_ && owner_.caretHideCount_ == 0) {
      if (!blink_.isActive()) blink_.start();
    } else {
      blink_.stop();
    }
  }

  int TrackPos(int which) const {
    const QScrollBar* bar = which == SB_HORZ ? hbar_ : vbar_;
    return bar->sliderPosition();
  }

 private:
  void BarAction(QScrollBar* bar, int which, int action) {
    const uint32_t code = ScrollCodeOf(action);
    if (code == SB_THUMBTRACK) {
      if (action == QAbstractSlider::SliderMove) SendScroll(which, SB_THUMBTRACK, bar->sliderPosition());
      return;
    }
    const QPointer<TWidgetHandle> self(this);
    SendScroll(which, code, bar->sliderPosition());
    // The control decides where the bar goes: it has set its position by now.
    if (self != nullptr) bar->setSliderPosition(owner_.Bar(which).Pos);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == outer_ && outer_ != nullptr) return FilterOuter(event);
    // Moving from the band into the client area does not leave the outer widget.
    if (watched == client_ && event->type() == QEvent::Enter && owner_.NonClientTop() > 0)
      Send(WM_NCMOUSELEAVE, 0, 0);
    return TWidgetHandle::eventFilter(watched, event);
  }

  // Mouse input on the band, and everything from a press there until the release (the toolkit's
  // implicit grab keeps it with the outer widget), goes to the control; the rest of the outer
  // widget (frame, the corner between the bars) passes it on as before.
  bool FilterOuter(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Leave) {
      if (owner_.NonClientTop() > 0) Send(WM_NCMOUSELEAVE, 0, 0);
      return false;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove)
      return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint p = mouse->position().toPoint();
    const bool inBand = owner_.NonClientRect().Contains(p.x(), p.y());
    if (!inBand && !bandPressed_) return false;
    const WPARAM flags = ShiftStateToMouseFlags(ShiftStateFromQt(mouse->modifiers(), mouse->buttons()));
    const LPARAM at = PointToLParam(TPoint{p.x(), p.y()});
    if (type == QEvent::MouseMove) {
      Send(WM_NCMOUSEMOVE, flags, at);
    } else if (mouse->button() == Qt::LeftButton) {
      bandPressed_ = type != QEvent::MouseButtonRelease;
      Send(type == QEvent::MouseButtonPress     ? WM_NCLBUTTONDOWN
           : type == QEvent::MouseButtonRelease ? WM_NCLBUTTONUP
                                                : WM_NCLBUTTONDBLCLK,
           flags, at);
    }
    return true;
  }

  void SendScroll(int which, uint32_t code, int pos) {
    const WPARAM w = code | (static_cast<WPARAM>(static_cast<uint16_t>(pos)) << 16);
    Send(which == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, w, 0);
  }

  void PaintFrame() {
    QPainter p(outer_);
    p.fillRect(outer_->rect(), ToQColor(clBtnFace));
    DrawBorder(p);
    const TRect band = owner_.NonClientRect();
    if (band.IsEmpty()) return;
    TCanvas canvas(std::make_unique<TPainterCanvasDevice>(&p, TSize{outer_->width(), outer_->height()}));
    canvas.IntersectClipRect(band);
    TApplication::Guard(&owner_, [&] { owner_.PaintNonClient(canvas, band); });
  }

  void DrawBorder(QPainter& p) {
    if (owner_.BorderStyle() == bsNone) return;
    {
      TCanvas canvas(std::make_unique<TPainterCanvasDevice>(&p, TSize{outer_->width(), outer_->height()}));
      bool drawn = false;
      TApplication::Guard(&owner_, [&] {
        drawn = owner_.PaintBorder(canvas, Rect(0, 0, outer_->width(), outer_->height()));
      });
      if (drawn) return;
    }
    if (owner_.Ctl3D()) {
      QStyleOptionFrame option;
      option.initFrom(outer_);
      option.rect = outer_->rect();
      option.lineWidth = owner_.BorderWidth();
      option.state |= QStyle::State_Sunken;
      outer_->style()->drawPrimitive(QStyle::PE_Frame, &option, &p, outer_);
    } else {
      p.setPen(ToQColor(clWindowFrame));
      p.drawRect(outer_->rect().adjusted(0, 0, -1, -1));
    }
  }

  void PaintClient(QPaintEvent* event) {
    QPainter painter(client_);
    const QRect r = event->rect();
    {
      TCanvas canvas(
          std::make_unique<TPainterCanvasDevice>(&painter, TSize{client_->width(), client_->height()}));
      owner_.PaintWindow(canvas, Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1));
    }
    Painted();
  }

  TCustomControl& owner_;
  QScrollBar* hbar_;
  QScrollBar* vbar_;
  QTimer blink_;
  bool bandPressed_ = false;  // the left button went down on the band and is still down
};

namespace {
TCustomControlWindow* WindowOf(TCustomControl& control) {
  return control.HandleAllocated() ? static_cast<TCustomControlWindow*>(control.Handle()) : nullptr;
}
}  // namespace

// ---------------------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

TCustomControl::~TCustomControl() {
  for (auto& [id, slot] : timers_) {
    slot->Timer.stop();
    // A control freed by its own timer's handler: the running callback frees the slot.
    if (slot->Firing) {
      slot->Killed = true;
      slot.release();
    }
  }
  timers_.clear();
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TCustomControl::CreateWindowHandle() {
  auto* outer = new TPaintWidget(nullptr);
  auto* client = new TPaintWidget(outer);
  return std::make_unique<TCustomControlWindow>(*this, outer, client);
}

TCanvas& TCustomControl::Canvas() {
  if (paintCanvas_ != nullptr) return *paintCanvas_;
  if (measureCanvas_ == nullptr) measureCanvas_ = std::make_unique<TCanvas>();
  measureCanvas_->Font().Assign(font_);
  return *measureCanvas_;
}

void TCustomControl::SetFont(const TFont& font) {
  font_.Assign(font);
  // Standard controls inside take the font as well.
  if (auto* window = WindowOf(*this)) window->Outer()->setFont(ToQFont(font_));
  Invalidate();
}

void TCustomControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Invalidate();
}

void TCustomControl::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  FrameChanged();
}

void TCustomControl::FrameChanged() {
  if (auto* window = WindowOf(*this)) {
    window->LayoutClient();
    window->Outer()->update();
  }
}

void TCustomControl::SetLeftScrollBar(bool value) {
  if (value == leftScrollBar_) return;
  leftScrollBar_ = value;
  FrameChanged();
}

int32_t TCustomControl::LeftBarWidth() const {
  return leftScrollBar_ && vbar_.Visible ? ScrollBarSize() : 0;
}

int32_t TCustomControl::BorderWidth() const {
  if (borderStyle_ == bsNone) return 0;
  return Ctl3D() ? 2 : 1;
}

TRect TCustomControl::ClientRect() const {
  const int32_t b = BorderWidth();
  const int32_t sb = ScrollBarSize();
  const int32_t w = Width() - 2 * b - (vbar_.Visible ? sb : 0);
  const int32_t h = Height() - 2 * b - nonClientTop_ - (hbar_.Visible ? sb : 0);
  return Rect(0, 0, std::max(w, 0), std::max(h, 0));
}

void TCustomControl::SetNonClientTop(int32_t height) {
  height = std::max(height, 0);
  if (height == nonClientTop_) return;
  nonClientTop_ = height;
  FrameChanged();
}

TRect TCustomControl::NonClientRect() const {
  if (nonClientTop_ == 0) return TRect{};
  const int32_t b = BorderWidth();
  const int32_t right = std::max(b, Width() - b);
  return Rect(b, b, right, std::min(b + nonClientTop_, std::max(b, Height() - b)));
}

void TCustomControl::InvalidateNonClient(const TRect* rect) {
  auto* window = WindowOf(*this);
  if (window == nullptr) return;
  const TRect band = NonClientRect();
  TRect r = band;
  if (rect != nullptr)
    r = Rect(std::max(band.Left, rect->Left), std::max(band.Top, rect->Top),
             std::min(band.Right, rect->Right), std::min(band.Bottom, rect->Bottom));
  window->InvalidateBand(r);
}

TPoint TCustomControl::WindowToClient(TPoint p) const {
  const int32_t b = BorderWidth();
  return TPoint{p.X - b - LeftBarWidth(), p.Y - b - nonClientTop_};
}

void TCustomControl::PaintNonClient(TCanvas& canvas, const TRect& band) {
  canvas.Brush().SetColor(clBtnFace);
  canvas.Brush().SetStyle(bsSolid);
  canvas.FillRect(band);
}

int32_t TCustomControl::ScrollBarSize() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return 16;
  return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// --- scroll bars ----------------------------------------------------------------------

int32_t TCustomControl::SetScrollInfo(int bar, const TScrollInfo& info, bool redraw) {
  (void)redraw;
  if (bar != SB_HORZ && bar != SB_VERT) return 0;
  ScrollBarState& s = Bar(bar);
  if (info.fMask & SIF_RANGE) {
    s.Min = info.nMin;
    s.Max = std::max(info.nMin, info.nMax);
  }
  const int64_t span = static_cast<int64_t>(s.Max) - s.Min + 1;
  if (info.fMask & SIF_PAGE) s.Page = static_cast<uint32_t>(std::min<int64_t>(info.nPage, span));
  if (info.fMask & SIF_POS) s.Pos = info.nPos;
  const int64_t top =
      std::max<int64_t>(s.Min, static_cast<int64_t>(s.Max) - std::max<int64_t>(s.Page, 1) + 1);
  s.Pos = static_cast<int32_t>(std::clamp<int64_t>(s.Pos, s.Min, top));
  if (info.fMask & (SIF_RANGE | SIF_PAGE)) {
    const bool canScroll = s.Page == 0 ? s.Max > s.Min : static_cast<int64_t>(s.Page) < span;
    if (canScroll) {
      s.Visible = true;
      s.Enabled = true;
    } else if (info.fMask & SIF_DISABLENOSCROLL) {
      s.Visible = true;
      s.Enabled = false;
    } else {
      s.Visible = false;
    }
  }
  ScrollBarsChanged();
  return s.Pos;
}

bool TCustomControl::GetScrollInfo(int bar, TScrollInfo& info) const {
  if (bar != SB_HORZ && bar != SB_VERT) return false;
  const ScrollBarState& s = Bar(bar);
  if (info.fMask & SIF_RANGE) {
    info.nMin = s.Min;
    info.nMax = s.Max;
  }
  if (info.fMask & SIF_PAGE) info.nPage = s.Page;
  if (info.fMask & SIF_POS) info.nPos = s.Pos;
  if (info.fMask & SIF_TRACKPOS) {
    auto* self = const_cast<TCustomControl*>(this);
    auto* window = WindowOf(*self);
    info.nTrackPos = window != nullptr ? window->TrackPos(bar) : s.Pos;
  }
  return true;
}

int32_t TCustomControl::SetScrollPos(int bar, int32_t pos, bool redraw) {
  const int32_t old = GetScrollPos(bar);
  TScrollInfo info;
  info.fMask = SIF_POS;
  info.nPos = pos;
  SetScrollInfo(bar, info, redraw);
  return old;
}

int32_t TCustomControl::GetScrollPos(int bar) const {
  if (bar != SB_HORZ && bar != SB_VERT) return 0;
  return Bar(bar).Pos;
}

void TCustomControl::ShowScrollBar(int bar, bool show) {
  if (bar == SB_HORZ || bar == SB_BOTH) hbar_.Visible = show;
  if (bar == SB_VERT || bar == SB_BOTH) vbar_.Visible = show;
  ScrollBarsChanged();
}

bool TCustomControl::ScrollBarVisible(int bar) const {
  return (bar == SB_HORZ || bar == SB_VERT) && Bar(bar).Visible;
}

void TCustomControl::EnableScrollBar(int bar, uint32_t arrows) {
  const bool enable = arrows != ESB_DISABLE_BOTH;
  if (bar == SB_HORZ || bar == SB_BOTH) hbar_.Enabled = enable;
  if (bar == SB_VERT || bar == SB_BOTH) vbar_.Enabled = enable;
  ScrollBarsChanged();
}

bool TCustomControl::ScrollBarEnabled(int bar) const {
  return (bar == SB_HORZ || bar == SB_VERT) && Bar(bar).Enabled;
}

void TCustomControl::ScrollBarsChanged() {
  if (auto* window = WindowOf(*this)) window->SyncBars();
}

void TCustomControl::ScrollWindow(int32_t dx, int32_t dy, const TRect* rect) {
  auto* window = WindowOf(*this);
  if (window == nullptr) return;
  const TRect r = rect != nullptr ? *rect : ClientRect();
  window->Client()->scroll(dx, dy, QRect(r.Left, r.Top, r.Width(), r.Height()));
}

// --- timers ---------------------------------------------------------------------------

void TCustomControl::SetTimer(uintptr_t id, uint32_t intervalMs) {
  auto& slot = timers_[id];
  if (slot == nullptr || slot->Killed) {
    if (slot != nullptr && slot->Firing) slot.release();  // the firing callback frees it
    slot = std::make_unique<TTimerSlot>();
    TTimerSlot* raw = slot.get();
    QObject::connect(&raw->Timer, &QTimer::timeout, [this, id, raw] {
      raw->Firing = true;
      TApplication::Guard(this, [&] { Perform(WM_TIMER, id, 0); });
      raw->Firing = false;
      if (raw->Killed) delete raw;
    });
  }
  slot->Timer.start(static_cast<int>(std::min<uint32_t>(intervalMs, INT32_MAX)));
}

void TCustomControl::KillTimer(uintptr_t id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  TTimerSlot* slot = it->second.get();
  slot->Timer.stop();
  if (slot->Firing) {
    slot->Killed = true;
    it->second.release();  // freed when its callback returns
  }
  timers_.erase(it);
}

bool TCustomControl::TimerRunning(uintptr_t id) const {
  auto it = timers_.find(id);
  return it != timers_.end() && it->second->Timer.isActive();
}

// --- caret ----------------------------------------------------------------------------

TRect TCustomControl::CaretRect() const {
  return Bounds(caretPos_.X, caretPos_.Y, caretSize_.cx, caretSize_.cy);
}

void TCustomControl::CaretChanged(const TRect& oldRect) {
  InvalidateRect(oldRect);
  InvalidateRect(CaretRect());
  caretBlinkOn_ = true;
  if (auto* window = WindowOf(*this)) window->CaretChanged();
}

void TCustomControl::CreateCaret(int32_t width, int32_t height) {
  const TRect old = CaretRect();
  caretCreated_ = true;
  caretHideCount_ = 1;  // a new caret starts hidden
  caretSize_ = TSize{std::max(width, 1), std::max(height, 1)};
  CaretChanged(old);
}

void TCustomControl::DestroyCaret() {
  if (!caretCreated_) return;
  caretCreated_ = false;
  CaretChanged(CaretRect());
}

void TCustomControl::SetCaretPos(int32_t x, int32_t y) {
  const TRect old = CaretRect();
  caretPos_ = TPoint{x, y};
  CaretChanged(old);
}

void TCustomControl::ShowCaret() {
  if (!caretCreated_ || caretHideCount_ == 0) return;
  --caretHideCount_;
  CaretChanged(CaretRect());
}

void TCustomControl::HideCaret() {
  if (!caretCreated_) return;
  ++caretHideCount_;
  CaretChanged(CaretRect());
}

// --- painting -------------------------------------------------------------------------

void TCustomControl::PaintWindow(TCanvas& canvas, const TRect& rect) {
  canvas.IntersectClipRect(rect);
  canvas.Font().Assign(font_);
  canvas.Brush().SetColor(color_);
  canvas.Brush().SetStyle(bsSolid);
  TRect paintRect = rect;
  paintCanvas_ = &canvas;
  struct Reset {
    TCanvas*& target;
    ~Reset() { target = nullptr; }
  } reset{paintCanvas_};
  TApplication::Guard(this, [&] { Perform(WM_PAINT, 0, reinterpret_cast<LPARAM>(&paintRect)); });
  if (CaretVisible() && caretBlinkOn_) {
    canvas.SetWindowOrg(0, 0);
    canvas.ResetClip();
    if (QPainter* p = TCanvasAccess::Painter(canvas)) {
      p->save();
      p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      const TRect c = CaretRect();
      p->fillRect(QRect(c.Left, c.Top, c.Width(), c.Height()), Qt::white);
      p->restore();
    }
  }
}

void TCustomControl::Paint() {
  TCanvas& canvas = Canvas();
  canvas.Brush().SetColor(color_);
  canvas.Brush().SetStyle(bsSolid);
  canvas.FillRect(ClientRect());
}

void TCustomControl::WndProc(TMessage& message) {
  if (message.Msg == WM_PAINT) {
    if (paintCanvas_ != nullptr) Paint();
    return;
  }
  if (message.Msg == WM_SETREDRAW) {
    if (auto* window = WindowOf(*this)) {
      window->Client()->setUpdatesEnabled(message.WParam != 0);
      window->Outer()->setUpdatesEnabled(message.WParam != 0);
    }
    return;
  }
  if (message.Msg == CM_CTL3DCHANGED) {
    // The border's look and width follow Ctl3D.
    FrameChanged();
    Invalidate();
  }
  TWinControl::WndProc(message);
}
