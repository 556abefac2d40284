// Standard controls on toolkit widgets. The control keeps every property; the widget shows it
// and reports the user's changes back.
#include "platform/gui/StdCtrls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>

#include "platform/core/TypInfo.h"
#include "platform/graphics/CanvasDevice.h"
#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WidgetSupport.h"

namespace {

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

template <typename W>
W* WidgetOf(TWinControl& control) {
  if (!control.HandleAllocated()) return nullptr;
  return static_cast<W*>(static_cast<TWidgetHandle*>(control.Handle())->Client());
}

// The string list of a combo box: every change is shown in the box.
class TNotifyingStringList : public TStringList {
 public:
  explicit TNotifyingStringList(std::function<void()> changed) : changed_(std::move(changed)) {}
  void Put(int index, const std::string& s) override {
    TStringList::Put(index, s);
    Changed();
  }
  void Insert(int index, const std::string& s) override {
    TStringList::Insert(index, s);
    Changed();
  }
  int Add(const std::string& s) override {
    const int index = TStringList::Add(s);
    Changed();
    return index;
  }
  void Delete(int index) override {
    TStringList::Delete(index);
    Changed();
  }
  void Clear() override {
    TStringList::Clear();
    Changed();
  }
  void BeginUpdate() override { ++updating_; }
  void EndUpdate() override {
    if (updating_ > 0 && --updating_ == 0) Changed();
  }

 private:
  void Changed() {
    if (updating_ == 0) changed_();
  }
  std::function<void()> changed_;
  int updating_ = 0;
};

// The button that Enter presses wears the default frame: a focused button takes it from the
// form's default button, which gets it back when the focus moves on to a control that is no
// button. A form without the focus keeps the look it had.
void ShowReturnButton(TCustomForm& form) {
  QWidget* client = ClientWidgetOf(&form);
  if (client == nullptr || GetParentForm(TWinControl::FocusedControl()) != &form) return;
  const TButton* pressed = form.ReturnButton();
  for (QPushButton* widget : client->findChildren<QPushButton*>())
    if (auto* button = dynamic_cast<TButton*>(ControlOfWidget(widget));
        button != nullptr && GetParentForm(button) == &form)
      widget->setDefault(button == pressed);
}

}  // namespace

const TPropertyList& TCaptionedControl::ClassProperties() {
  static const TPropertyList list =
      TPropertyBuilder<TCaptionedControl>(TWinControl::ClassProperties())
          .String("Caption", &TCaptionedControl::Caption, &TCaptionedControl::SetCaption)
          .Build();
  return list;
}

void TCaptionedControl::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  CaptionChanged();
}

// --- TButton --------------------------------------------------------------------------

TButton::TButton(TComponent* owner) : TLocalizedCaptionControl(owner) {
  SetTabStop(true);
  SetClickOnRelease(false);
  SetBounds(0, 0, 75, 25);
}

TButton::~TButton() {
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TButton::CreateWindowHandle() {
  auto* button = new QPushButton(ToQt(Caption()));
  button->setDefault(default_);
  button->setAutoDefault(false);
  auto handle = std::make_unique<TWidgetHandle>(*this, button, button);
  TWidgetHandle* h = handle.get();
  QObject::connect(button, &QPushButton::clicked, h, [this, h] { h->Dispatch([this] { Click(); }); });
  return handle;
}

void TButton::CaptionChanged() {
  if (auto* button = WidgetOf<QPushButton>(*this)) button->setText(ToQt(Caption()));
}

void TButton::RegisterWithForm() {
  TCustomForm* form = GetParentForm(this);
  if (form == nullptr) return;
  if (default_) form->SetDefaultButton(this);
  if (cancel_) form->SetCancelButton(this);
}

void TButton::ParentChanged() {
  TCaptionedControl::ParentChanged();
  RegisterWithForm();
}

void TButton::SetDefault(bool value) {
  default_ = value;
  if (auto* button = WidgetOf<QPushButton>(*this)) button->setDefault(value);
  TCustomForm* form = GetParentForm(this);
  if (form != nullptr && !value) form->SetDefaultButton(nullptr);
  RegisterWithForm();
  if (form != nullptr) ShowReturnButton(*form);
}

void TButton::FocusChanged() {
  if (TCustomForm* form = GetParentForm(this)) ShowReturnButton(*form);
}

void TButton::SetCancel(bool value) {
  cancel_ = value;
  if (TCustomForm* form = GetParentForm(this); form != nullptr && !value) form->SetCancelButton(nullptr);
  RegisterWithForm();
}

void TButton::Click() {
  if (modalResult_ != 0) {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  }
  TCaptionedControl::Click();
}

// --- TEdit ----------------------------------------------------------------------------

const TPropertyList& TEdit::ClassProperties() {
  static const TPropertyList list = TPropertyBuilder<TEdit>(TWinControl::ClassProperties())
                                        .Integer("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength)
                                        .Default(0)
                                        .Boolean("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly)
                                        .Default(0)
                                        .String("Text", &TEdit::Text, &TEdit::SetText)
                                        .Build();
  return list;
}

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 121, 21);
}

TEdit::~TEdit() {
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TEdit::CreateWindowHandle() {
  auto* edit = new QLineEdit(ToQt(text_));
  edit->setReadOnly(readOnly_);
  if (maxLength_ > 0) edit->setMaxLength(maxLength_);
  auto handle = std::make_unique<TWidgetHandle>(*this, edit, edit);
  QObject::connect(edit, &QLineEdit::textEdited, handle.get(), [this](const QString& text) {
    static_cast<TWidgetHandle*>(Handle())->Dispatch([&] { TextTyped(text.toStdString()); });
  });
  return handle;
}

void TEdit::TextTyped(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  if (OnChange) OnChange(this);
}

void TEdit::SetText(const std::string& text) {
  std::string value = text;
  if (maxLength_ > 0) {
    const QString q = ToQt(value);
    if (q.size() > maxLength_) value = q.left(maxLength_).toStdString();
  }
  if (value == text_) return;
  text_ = value;
  if (auto* edit = WidgetOf<QLineEdit>(*this)) edit->setText(ToQt(value));
  if (OnChange) OnChange(this);
}

void TEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  if (auto* edit = WidgetOf<QLineEdit>(*this)) edit->setReadOnly(value);
}

void TEdit::SetMaxLength(int value) {
  maxLength_ = std::max(value, 0);
  if (auto* edit = WidgetOf<QLineEdit>(*this)) edit->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
  if (maxLength_ > 0) SetText(text_);
}

void TEdit::WndProc(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  }
  TWinControl::WndProc(message);
}

// --- TLabel and TStaticText -----------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TLocalizedCaptionControl(owner) {
  SetBounds(0, 0, 65, 17);
}

TLabel::~TLabel() {
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TLabel::CreateWindowHandle() {
  auto* label = new QLabel(ToQt(Caption()));
  label->setWordWrap(wordWrap_);
  label->setFrameShape(static_cast<QFrame::Shape>(FrameShape()));
  if (FrameShape() != QFrame::NoFrame) label->setFrameShadow(QFrame::Sunken);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto handle = std::make_unique<TWidgetHandle>(*this, label, label);
  return handle;
}

void TLabel::CreateWnd() {
  UpdateBuddy();
  ApplyFont();
}

void TLabel::SetFont(const TFont& font) {
  if (!font_) font_ = std::make_unique<TFont>();
  font_->Assign(font);
  ApplyFont();
}

void TLabel::ApplyFont() {
  auto* label = WidgetOf<QLabel>(*this);
  if (label == nullptr || !font_) return;
  label->setFont(ToQFont(*font_));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, ToQColor(font_->Color()));
  label->setPalette(palette);
}

void TLabel::CaptionChanged() {
  if (auto* label = WidgetOf<QLabel>(*this)) label->setText(ToQt(Caption()));
}

void TLabel::SetWordWrap(bool value) {
  wordWrap_ = value;
  if (auto* label = WidgetOf<QLabel>(*this)) label->setWordWrap(value);
}

void TLabel::SetFocusControl(TWinControl* control) {
  if (focusControl_ != nullptr) focusControl_->RemoveFreeNotification(this);
  focusControl_ = control;
  if (control != nullptr) control->FreeNotification(this);
  UpdateBuddy();
}

void TLabel::UpdateBuddy() {
  auto* label = WidgetOf<QLabel>(*this);
  if (label == nullptr) return;
  if (focusControl_ != nullptr) focusControl_->HandleNeeded();
  label->setBuddy(focusControl_ != nullptr ? ClientWidgetOf(focusControl_) : nullptr);
}

void TLabel::Notification(TComponent* component, TOperation operation) {
  TCaptionedControl::Notification(component, operation);
  if (operation == opRemove && component == focusControl_) {
    focusControl_ = nullptr;
    UpdateBuddy();
  }
}

void TStaticText::SetBorderStyle(TStaticBorderStyle style) {
  borderStyle_ = style;
  RecreateWnd();
}

int TStaticText::FrameShape() const {
  switch (borderStyle_) {
    case sbsSingle:
      return QFrame::Box;
    case sbsSunken:
      return QFrame::Panel;
    default:
      return QFrame::NoFrame;
  }
}

// --- TCheckBox and TRadioButton -------------------------------------------------------

TCheckBox::TCheckBox(TComponent* owner) : TLocalizedCaptionControl(owner) {
  SetTabStop(true);
  SetClickOnRelease(false);
  SetBounds(0, 0, 97, 17);
}

TCheckBox::~TCheckBox() {
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TCheckBox::CreateWindowHandle() {
  QAbstractButton* button = Radio() ? static_cast<QAbstractButton*>(new QRadioButton(ToQt(Caption())))
                                    : static_cast<QAbstractButton*>(new QCheckBox(ToQt(Caption())));
  button->setChecked(checked_);
  // Radio buttons exclude each other through SetChecked, which also knows hidden siblings.
  button->setAutoExclusive(false);
  auto handle = std::make_unique<TWidgetHandle>(*this, button, button);
  QObject::connect(button, &QAbstractButton::clicked, handle.get(), [this, button](bool checked) {
    static_cast<TWidgetHandle*>(Handle())->Dispatch([&] {
      if (Radio() && !checked) {
        button->setChecked(true);  // a radio button is unchecked only by a sibling
        return;
      }
      SetChecked(checked);
    });
  });
  return handle;
}

void TCheckBox::CaptionChanged() {
  if (auto* button = WidgetOf<QAbstractButton>(*this)) button->setText(ToQt(Caption()));
}

void TCheckBox::SetChecked(bool value) {
  if (auto* button = WidgetOf<QAbstractButton>(*this)) button->setChecked(value);
  if (value == checked_) return;
  checked_ = value;
  if (Radio() && value && Parent() != nullptr) {
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
      auto* sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
      if (sibling != nullptr && sibling != this) sibling->SetChecked(false);
    }
  }
  Click();
}

// --- TGroupBox ------------------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* owner) : TLocalizedCaptionControl(owner) {
  SetBounds(0, 0, 185, 105);
}

TGroupBox::~TGroupBox() {
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TGroupBox::CreateWindowHandle() {
  auto* box = new QGroupBox(ToQt(Caption()));
  return std::make_unique<TWidgetHandle>(*this, box, box);
}

void TGroupBox::CaptionChanged() {
  if (auto* box = WidgetOf<QGroupBox>(*this)) box->setTitle(ToQt(Caption()));
}

// --- TPanel --------------------------------------------------------------------------

TPanel::TPanel(TComponent* owner) : TCaptionedControl(owner) {
  SetBounds(0, 0, 185, 41);
}

TPanel::~TPanel() {
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TPanel::CreateWindowHandle() {
  auto* frame = new QLabel(ToQt(Caption()));
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setAlignment(Qt::AlignCenter);
  frame->setAutoFillBackground(true);
  return std::make_unique<TWidgetHandle>(*this, frame, frame);
}

void TPanel::CaptionChanged() {
  if (auto* frame = WidgetOf<QLabel>(*this)) frame->setText(ToQt(Caption()));
}

// --- TComboBox ------------------------------------------------------------------------

TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TNotifyingStringList>([this] { ItemsChanged(); })) {
  SetTabStop(true);
  SetBounds(0, 0, 145, 21);
}

TComboBox::~TComboBox() {
  DestroyHandle();
}

std::unique_ptr<TWindowHandle> TComboBox::CreateWindowHandle() {
  auto* box = new QComboBox();
  box->setEditable(style_ != csDropDownList);
  for (int i = 0; i < items_->Count(); ++i) box->addItem(ToQt(items_->Get(i)));
  box->setCurrentIndex(itemIndex_);
  auto handle = std::make_unique<TWidgetHandle>(*this, box, box);
  QObject::connect(box, &QComboBox::activated, handle.get(), [this](int index) {
    static_cast<TWidgetHandle*>(Handle())->Dispatch([&] { Chosen(index); });
  });
  return handle;
}

void TComboBox::ItemsChanged() {
  if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
  auto* box = WidgetOf<QComboBox>(*this);
  if (box == nullptr) return;
  const QSignalBlocker block(box);
  box->clear();
  for (int i = 0; i < items_->Count(); ++i) box->addItem(ToQt(items_->Get(i)));
  box->setCurrentIndex(itemIndex_);
}

void TComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= items_->Count()) index = -1;
  itemIndex_ = index;
  if (auto* box = WidgetOf<QComboBox>(*this)) {
    const QSignalBlocker block(box);
    box->setCurrentIndex(index);
  }
}

void TComboBox::Chosen(int index) {
  if (index == itemIndex_) return;
  SetItemIndex(index);
  if (OnChange) OnChange(this);
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  style_ = style;
  RecreateWnd();
}

std::string TComboBox::Text() const {
  if (auto* box = WidgetOf<QComboBox>(const_cast<TComboBox&>(*this)); box != nullptr && box->isEditable())
    return box->currentText().toStdString();
  return itemIndex_ >= 0 ? items_->Get(itemIndex_) : std::string();
}

void TComboBox::WndProc(TMessage& message) {
  if (message.Msg == WM_GETDLGCODE) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  }
  TWinControl::WndProc(message);
}

void RegisterStandardControlClasses() {
  RegisterClass<TButton>("TButton");
  RegisterClass<TEdit>("TEdit");
  RegisterClass<TLabel>("TLabel");
  RegisterClass<TStaticText>("TStaticText");
  RegisterClass<TCheckBox>("TCheckBox");
  RegisterClass<TRadioButton>("TRadioButton");
  RegisterClass<TGroupBox>("TGroupBox");
  RegisterClass<TPanel>("TPanel");
  RegisterClass<TComboBox>("TComboBox");
}
