// Message boxes and the file dialogs.
#include "platform/gui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <utility>

#include "platform/gui/Application.h"
#include "platform/gui/WidgetSupport.h"

namespace {

QMessageBox::Icon IconOf(uint32_t flags) {
  switch (flags & 0xF0) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

TPoint CentreOver(const TRect& owner, TSize box) {
  TRect area = owner;
  if (area.IsEmpty()) area = Rect(0, 0, Screen().Width(), Screen().Height());
  return TPoint{area.Left + (area.Width() - box.cx) / 2, area.Top + (area.Height() - box.cy) / 2};
}

// A box that is placed by its real size. The toolkit sizes a message box (and wraps a long
// text, which can halve its width) only while it is being shown, and the window frame is
// known only once the window system has framed the box: it is placed as it is shown, with the
// frame its owner has, and placed again when it is first activated if its frame differs.
class TPlacedMessageBox : public QMessageBox {
 public:
  TPlacedMessageBox(QMessageBox::Icon icon, const std::string& caption, const std::string& text,
                    QSize assumedFrame, std::function<TPoint(TSize)> place)
      : QMessageBox(icon, QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok),
        assumedFrame_(assumedFrame),
        place_(std::move(place)) {}

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);  // sizes the box
    PlaceAt(size() + assumedFrame_);
  }
  bool event(QEvent* event) override {
    if (event->type() == QEvent::WindowActivate && !activated_) {
      activated_ = true;
      if (frameGeometry().size() != placedSize_) PlaceAt(frameGeometry().size());
    }
    return QMessageBox::event(event);
  }

 private:
  void PlaceAt(QSize frameSize) {
    placedSize_ = frameSize;
    const TPoint at = place_(TSize{frameSize.width(), frameSize.height()});
    move(at.X, at.Y);
  }

  QSize assumedFrame_;
  std::function<TPoint(TSize)> place_;
  QSize placedSize_;
  bool activated_ = false;
};

// "Text files (*.txt)" loses its own pattern list: the dialog shows the real one.
QString NameFilterOf(const TFilterEntry& entry) {
  QString description = QString::fromStdString(entry.Description).trimmed();
  if (description.endsWith(')')) {
    const qsizetype open = description.lastIndexOf('(');
    if (open > 0) description = description.left(open).trimmed();
  }
  QString patterns = QString::fromStdString(entry.Patterns);
  patterns.replace(';', ' ');
  return description + " (" + patterns.simplified() + ")";
}

}  // namespace

TRect WindowRectOf(TWinControl* owner) {
  QWidget* widget = ClientWidgetOf(owner);
  if (widget == nullptr || !widget->window()->isVisible()) return TRect{};
  const QRect r = widget->window()->frameGeometry();
  return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

int MessageBox(TWinControl* owner, const std::string& text, const std::string& caption, uint32_t flags,
               const TMessageBoxPlacement& placement) {
  if (Application == nullptr || TApplication::Headless()) {
    // Nobody could see a box: the text goes where a person or a log can read it.
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return IDOK;
  }
  const TRect ownerRect = WindowRectOf(owner);
  QSize ownerFrame(0, 0);
  if (!ownerRect.IsEmpty()) {
    const QWidget* window = ClientWidgetOf(owner)->window();
    ownerFrame = window->frameGeometry().size() - window->size();
  }
  // The box has no parent widget: its owner may be freed while it is shown.
  TPlacedMessageBox box(IconOf(flags), caption, text, ownerFrame, [&](TSize size) {
    return placement ? placement(ownerRect, size) : CentreOver(ownerRect, size);
  });
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  return IDOK;
}

std::vector<TFilterEntry> ParseFilter(const std::string& filter) {
  std::vector<TFilterEntry> entries;
  size_t start = 0;
  std::vector<std::string> parts;
  while (start <= filter.size()) {
    const size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i + 1].empty()) continue;
    entries.push_back(TFilterEntry{parts[i], parts[i + 1]});
  }
  return entries;
}

std::string ApplyDefaultExt(const std::string& fileName, const std::string& defaultExt) {
  if (defaultExt.empty() || fileName.empty()) return fileName;
  const size_t slash = fileName.find_last_of('/');
  const size_t dot = fileName.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return fileName;
  std::string ext = defaultExt;
  if (ext.front() == '.') ext.erase(0, 1);
  return fileName + "." + ext;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

bool TOpenDialog::Execute() {
  if (Application == nullptr) throw EInvalidOperation("File dialogs need the application object");
  QFileDialog dialog(nullptr, QString::fromStdString(Title));
  // Our own dialog everywhere: the same look and behaviour on every desktop and in tests.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(Saving() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (Saving())
    dialog.setFileMode(QFileDialog::AnyFile);
  else
    dialog.setFileMode((Options & ofFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Options & ofOverwritePrompt));
  QStringList filters;
  for (const TFilterEntry& entry : ParseFilter(Filter)) filters << NameFilterOf(entry);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size()) dialog.selectNameFilter(filters[FilterIndex - 1]);
  }
  std::string ext = DefaultExt;
  if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
  dialog.setDefaultSuffix(QString::fromStdString(ext));
  if (!InitialDir.empty()) dialog.setDirectory(QString::fromStdString(InitialDir));
  if (!FileName.empty()) dialog.selectFile(QString::fromStdString(FileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  FileName = ApplyDefaultExt(dialog.selectedFiles().first().toStdString(), ext);
  const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
  if (chosen >= 0) FilterIndex = static_cast<int>(chosen) + 1;
  return true;
}
