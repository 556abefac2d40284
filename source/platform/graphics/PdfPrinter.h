// TPdfPrinter: the program's printer. Pages of a fixed paper size are drawn through a TCanvas
// at a chosen resolution and written as one PDF file; the canvas measures and draws in device
// pixels of that resolution, and its font sizes in points scale to it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Object.h"

class TCanvas;

class TPdfPrinter : public TObject {
 public:
  /// A printer writing A4 portrait pages at Resolution dots per inch (72 to 1200) to
  /// FileName (UTF-8). Nothing is written before BeginDoc.
  explicit TPdfPrinter(std::string FileName, int32_t Resolution = 300);
  ~TPdfPrinter() override;
  TPdfPrinter(const TPdfPrinter&) = delete;
  TPdfPrinter& operator=(const TPdfPrinter&) = delete;
  std::string ClassName() const override { return "TPdfPrinter"; }

  /// Creates the file and starts page 1; EFCreateError when the file cannot be created,
  /// EInvalidOperation while a document is already open.
  void BeginDoc();
  /// Ends the current page and starts the next one (EInvalidOperation without BeginDoc).
  void NewPage();
  /// Finishes and closes the file; EWriteError when the PDF could not be written.
  void EndDoc();
  /// Drops the document being written and removes its file.
  void Abort();

  bool Printing() const;
  /// The canvas of the current page (EInvalidOperation without BeginDoc).
  TCanvas& Canvas();
  /// The page in device pixels, and the resolution.
  int32_t PageWidth() const;
  int32_t PageHeight() const;
  int32_t Resolution() const { return resolution_; }
  /// 1-based number of the current page, 0 without a document.
  int32_t PageNumber() const { return pageNumber_; }

  /// The document title stored in the file.
  std::string Title;

  struct Impl;

 private:
  std::string fileName_;
  int32_t resolution_;
  int32_t pageNumber_ = 0;
  std::unique_ptr<Impl> impl_;
};
