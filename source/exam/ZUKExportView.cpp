#include "exam/ZUKExportView.h"

#include "richtext/core/RVBack.h"
#include "richtext/core/RVStyle.h"

namespace {

/// A top-level document that formats with the view's sheet.
class TExportRVData : public TCustomRVData {
 public:
  explicit TExportRVData(TRVStyle& style) : style_(style) {}
  ~TExportRVData() override { Clear(); }
  std::string ClassName() const override { return "TExportRVData"; }
  TRVStyle* GetRVStyle() const override { return &style_; }

  TRVBackground Background{true};

 private:
  TRVStyle& style_;
};

constexpr int32_t kViewerMargin = 5;

TExportRVData& ExportData(TCustomRVData& data) {
  return static_cast<TExportRVData&>(data);
}

}  // namespace

TZUKDocumentExportView::TZUKDocumentExportView(TRVStyle& style)
    : style_(&style), data_(std::make_unique<TExportRVData>(style)) {}

TZUKDocumentExportView::~TZUKDocumentExportView() = default;

bool TZUKDocumentExportView::LoadRVFFromStream(TStream& stream) {
  TColor color = color_;
  const bool ok = data_->LoadRVFFromStream(stream, color, &ExportData(*data_).Background, nullptr);
  color_ = color;
  return ok;
}

TRVFWarnings TZUKDocumentExportView::GetRVFWarnings() const {
  return data_->GetRVFReadWarnings();
}

bool TZUKDocumentExportView::SaveHTMLToStream(TStream& stream, const std::string& path,
                                              const std::string& title, const std::string& imagesPrefix,
                                              TRVHTMLSaveOptions options) {
  int imageCounter = 0;
  return data_->SaveHTMLToStream(stream, path, title, imagesPrefix, options, EffectiveColor(), imageCounter,
                                 kViewerMargin, kViewerMargin, kViewerMargin, kViewerMargin,
                                 &ExportData(*data_).Background, nullptr);
}

TColor TZUKDocumentExportView::EffectiveColor() const {
  return color_ != clNone ? color_ : style_->Color;
}
