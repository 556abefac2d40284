// TRVPageDriver: prints a viewer's document on the pages of a printer. It formats the
// document at the printer's resolution inside the page margins, cuts it into pages at line
// boundaries (page breaks start a page; pictures that may be split continue on the next
// pages), and draws each page through the printable document data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "richtext/core/RVFuncs.h"

class TCanvas;
class TCustomMainPtblRVData;
class TCustomRVViewer;

class TRVPageDriver {
 public:
  /// A driver for the document of Source (which must outlive the driver).
  explicit TRVPageDriver(TCustomRVViewer& Source);
  ~TRVPageDriver();
  TRVPageDriver(const TRVPageDriver&) = delete;
  TRVPageDriver& operator=(const TRVPageDriver&) = delete;

  /// Formats the document for Canvas, whose pages are PageWidth x PageHeight device
  /// pixels, and fills the page list; answers the page count (at least 1). ERVError when
  /// the margins leave no room on the page. Canvas is used until the next FormatPages, and
  /// the pages hold while the document is not changed.
  int FormatPages(TCanvas& Canvas, int32_t PageWidth, int32_t PageHeight);
  int PageCount() const;
  /// Draws page PageNo (1-based) of the last FormatPages on Canvas.
  void DrawPage(int PageNo, TCanvas& Canvas);
  /// Prints the whole document into a PDF file of A4 pages at Resolution dots per inch;
  /// answers the page count. A failure leaves no file behind.
  int PrintToPDF(const std::string& FileName, int32_t Resolution = 300);

  /// The printable document (pages, drawn pieces) of the last FormatPages.
  TCustomMainPtblRVData& Data() { return *Data_; }

  /// Page margins in millimetres.
  int32_t LeftMarginMM = 20;
  int32_t TopMarginMM = 20;
  int32_t RightMarginMM = 20;
  int32_t BottomMarginMM = 20;
  TRVColorMode ColorMode = 1;

 private:
  void Paginate();

  std::unique_ptr<TCustomMainPtblRVData> Data_;
};
