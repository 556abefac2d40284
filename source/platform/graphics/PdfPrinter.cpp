// The PDF writer of Qt behind a canvas device: the painter is begun on the writer once for
// the whole document (ending it would end the document), so the device ignores the
// canvas's requests to end painting and only EndDoc ends it.
#include "platform/graphics/PdfPrinter.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <algorithm>

#include "platform/core/Exceptions.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/CanvasDevice.h"

namespace {

constexpr int32_t kMinResolution = 72;
constexpr int32_t kMaxResolution = 1200;

class TPdfCanvasDevice : public TCanvasDevice {
 public:
  TPdfCanvasDevice(QPdfWriter& writer, int32_t resolution) : writer_(writer), resolution_(resolution) {}
  ~TPdfCanvasDevice() override { Finish(); }

  QPainter* BeginPaint() override {
    if (finished_) return nullptr;
    if (!painter_.isActive() && !painter_.begin(&writer_)) {
      finished_ = true;
      return nullptr;
    }
    return &painter_;
  }
  void EndPaint() override {}
  TSize Size() const override { return TSize{writer_.width(), writer_.height()}; }
  int PixelsPerInch() const override { return resolution_; }

  /// Starts the next page; a page that nothing was drawn on yet is begun first.
  void NewPage() {
    if (BeginPaint() != nullptr) writer_.newPage();
  }
  /// Ends the document; false when the painter could not work on the writer.
  bool Finish() {
    const bool began = painter_.isActive() || (!finished_ && painter_.begin(&writer_));
    if (painter_.isActive()) painter_.end();
    finished_ = true;
    return began;
  }

 private:
  QPdfWriter& writer_;
  int32_t resolution_;
  QPainter painter_;
  bool finished_ = false;
};

}  // namespace

struct TPdfPrinter::Impl {
  QFile file;
  std::unique_ptr<QPdfWriter> writer;
  TPdfCanvasDevice* device = nullptr;  // owned by the canvas
  std::unique_ptr<TCanvas> canvas;
};

TPdfPrinter::TPdfPrinter(std::string FileName, int32_t Resolution)
    : fileName_(std::move(FileName)),
      resolution_(std::clamp(Resolution, kMinResolution, kMaxResolution)),
      impl_(std::make_unique<Impl>()) {}

TPdfPrinter::~TPdfPrinter() {
  if (Printing()) Abort();
}

bool TPdfPrinter::Printing() const {
  return impl_->canvas != nullptr;
}

void TPdfPrinter::BeginDoc() {
  if (Printing()) throw EInvalidOperation("Printing in progress");
  EnsureGuiApplication();
  impl_->file.setFileName(QString::fromStdString(fileName_));
  if (!impl_->file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw EFCreateError("Cannot create file \"" + fileName_ + "\". " +
                        impl_->file.errorString().toStdString());
  impl_->writer = std::make_unique<QPdfWriter>(&impl_->file);
  impl_->writer->setResolution(resolution_);
  impl_->writer->setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  impl_->writer->setTitle(QString::fromStdString(Title));
  impl_->writer->setCreator(QStringLiteral("ZUK Converter"));
  auto device = std::make_unique<TPdfCanvasDevice>(*impl_->writer, resolution_);
  impl_->device = device.get();
  impl_->canvas = std::make_unique<TCanvas>(std::move(device));
  // Point sizes of fonts become device pixels of the printer.
  impl_->canvas->Font().SetPixelsPerInch(resolution_);
  pageNumber_ = 1;
}

void TPdfPrinter::NewPage() {
  if (!Printing()) throw EInvalidOperation("Printer is not currently printing");
  impl_->device->NewPage();
  ++pageNumber_;
}

void TPdfPrinter::EndDoc() {
  if (!Printing()) throw EInvalidOperation("Printer is not currently printing");
  const bool written = impl_->device->Finish();
  impl_->canvas.reset();
  impl_->device = nullptr;
  impl_->writer.reset();
  impl_->file.close();
  pageNumber_ = 0;
  if (!written || impl_->file.error() != QFileDevice::NoError)
    throw EWriteError("Cannot write the PDF file \"" + fileName_ + "\"");
}

void TPdfPrinter::Abort() {
  if (!Printing()) return;
  impl_->device->Finish();
  impl_->canvas.reset();
  impl_->device = nullptr;
  impl_->writer.reset();
  impl_->file.close();
  impl_->file.remove();
  pageNumber_ = 0;
}

TCanvas& TPdfPrinter::Canvas() {
  if (!Printing()) throw EInvalidOperation("Printer is not currently printing");
  return *impl_->canvas;
}

int32_t TPdfPrinter::PageWidth() const {
  return Printing() ? impl_->writer->width() : 0;
}

int32_t TPdfPrinter::PageHeight() const {
  return Printing() ? impl_->writer->height() : 0;
}
