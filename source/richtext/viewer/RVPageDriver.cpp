// Cutting a formatted document into pages. Lines (runs of drawn pieces from one that starts
// a line) never straddle a page; a line taller than a page gets a page of its own. A picture
// alone on its line that may be split is cut into parts: its first part fills what is left
// of the page, each further part starts a page of its own, and what follows the last part
// is placed below it (the page's second Y).
#include "richtext/viewer/RVPageDriver.h"

#include <algorithm>

#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/PdfPrinter.h"
#include "richtext/core/RVError.h"
#include "richtext/core/RVItem.h"
#include "richtext/viewer/RVPrintableData.h"
#include "richtext/viewer/RVViewer.h"

namespace {

/// Millimetres as device pixels at Resolution pixels per inch.
int32_t MMToPixels(int32_t MM, int32_t Resolution) {
  return MulDiv(std::max(0, MM) * 10, Resolution, 254);
}

/// The pieces First..Last of one line and the document rows they cover.
struct TLine {
  int First = 0;
  int Last = 0;
  int32_t Top = 0;
  int32_t Bottom = 0;
};

TLine LineAt(const TRVDrawLines& Pieces, int First) {
  TLine line;
  line.First = First;
  line.Last = First;
  line.Top = Pieces[First]->Top;
  line.Bottom = Pieces[First]->Top + Pieces[First]->Height + Pieces[First]->ExtraSpaceBelow;
  for (int i = First + 1; i < Pieces.Count() && !Pieces[i]->FromNewLine; ++i) {
    line.Last = i;
    line.Top = std::min(line.Top, Pieces[i]->Top);
    line.Bottom = std::max(line.Bottom, Pieces[i]->Top + Pieces[i]->Height + Pieces[i]->ExtraSpaceBelow);
  }
  return line;
}

}  // namespace

TRVPageDriver::TRVPageDriver(TCustomRVViewer& Source)
    : Data_(std::make_unique<TCustomMainPtblRVData>(&Source)) {
  Data_->ShareItemsFrom(&Source.RVData());
}

TRVPageDriver::~TRVPageDriver() = default;

int TRVPageDriver::PageCount() const {
  return Data_->PageCount();
}

int TRVPageDriver::FormatPages(TCanvas& Canvas, int32_t PageWidth, int32_t PageHeight) {
  const int32_t ppiX = std::max(1, Canvas.GetDeviceCaps(LOGPIXELSX));
  const int32_t ppiY = std::max(1, Canvas.GetDeviceCaps(LOGPIXELSY));
  TCustomMainPtblRVData& data = *Data_;
  data.PrintableLeft = MMToPixels(LeftMarginMM, ppiX);
  data.PrintableTop = MMToPixels(TopMarginMM, ppiY);
  data.PrintableWidth = PageWidth - data.PrintableLeft - MMToPixels(RightMarginMM, ppiX);
  data.PrintableHeight = PageHeight - data.PrintableTop - MMToPixels(BottomMarginMM, ppiY);
  if (data.PrintableWidth <= 0 || data.PrintableHeight <= 0)
    throw ERVError("The page margins leave no room for the document");
  data.ColorMode = ColorMode;
  data.Prepare(&Canvas);
  data.Format(true);
  Paginate();
  return data.PageCount();
}

void TRVPageDriver::Paginate() {
  TCustomMainPtblRVData& data = *Data_;
  TCollection& pages = data.Pages();
  pages.Clear();
  const TRVDrawLines& pieces = data.DrawItems();
  const int32_t height = data.PrintableHeight;
  auto addPage = [&](int StartDrawItemNo, int32_t StartY, int StartPart, int32_t StartY2) {
    auto& page = static_cast<TRVPageInfo&>(*pages.Add());
    page.StartDrawItemNo = StartDrawItemNo;
    page.StartY = StartY;
    page.StartPart = StartPart;
    page.StartY2 = StartY2;
  };
  addPage(0, 0, 0, 0);
  int32_t pageStartY = 0;  // document Y shown at the top of the current page
  bool pageEmpty = true;
  for (int first = 0; first < pieces.Count();) {
    const TLine line = LineAt(pieces, first);
    first = line.Last + 1;
    const TCustomRVItemInfo* item = data.GetItem(pieces[line.First]->ItemNo);
    const bool firstOfItem = line.First == 0 || pieces[line.First - 1]->ItemNo != pieces[line.First]->ItemNo;
    if (!pageEmpty && firstOfItem && item->GetPageBreakBefore()) {
      addPage(line.First, line.Top, 0, line.Top);
      pageStartY = line.Top;
    }
    auto* split = line.First == line.Last ? dynamic_cast<TRVMultiDrawItemInfo*>(pieces[line.First]) : nullptr;
    if (line.Bottom - pageStartY <= height) {
      pageEmpty = false;
      continue;
    }
    if (split != nullptr && split->InitSplit()) {
      // The rows above the picture (its spacing) stay with its first part.
      const int32_t above = split->Height - split->PartsList()[0]->Height;
      const int32_t room = pageStartY + height - line.Top - above;
      if (!pageEmpty && !split->CanSplitAt(room)) {
        addPage(line.First, line.Top, 0, line.Top);
        pageStartY = line.Top;
      }
      int32_t available = pageStartY + height - line.Top - above;
      while (split->PartsList().Last()->Height > available && split->SplitAt(available)) {
        const int32_t partHeight = split->PartsList().Last()->Height;
        const int32_t afterY = line.Top + split->Height - partHeight;
        addPage(line.First, line.Top, split->PartsList().Count(), afterY);
        pageStartY = afterY;
        available = height;
      }
      pageEmpty = false;
      continue;
    }
    if (!pageEmpty) {
      addPage(line.First, line.Top, 0, line.Top);
      pageStartY = line.Top;
    }
    pageEmpty = false;
  }
}

void TRVPageDriver::DrawPage(int PageNo, TCanvas& Canvas) {
  Data_->DrawPage(PageNo, Canvas, false, false);
}

int TRVPageDriver::PrintToPDF(const std::string& FileName, int32_t Resolution) {
  TPdfPrinter printer(FileName, Resolution);
  printer.BeginDoc();
  // The printer's canvas goes with the document: the data must not keep it.
  struct TCanvasScope {
    TCustomMainPtblRVData& Data;
    ~TCanvasScope() { Data.Prepare(nullptr); }
  } canvasScope{*Data_};
  try {
    const int count = FormatPages(printer.Canvas(), printer.PageWidth(), printer.PageHeight());
    for (int pageNo = 1; pageNo <= count; ++pageNo) {
      if (pageNo > 1) printer.NewPage();
      DrawPage(pageNo, printer.Canvas());
    }
    printer.EndDoc();
    return count;
  } catch (...) {
    printer.Abort();
    throw;
  }
}
