#include "exam/ZUKExportView.h"

#include "platform/core/Streams.h"
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
  /// The picture files of the running export, and the one it could not write.
  std::vector<TRVHTMLImageFile> PictureFiles;
  TRVHTMLImageFileError PictureFileError;

  void HTMLImageFileWritten(const std::string& FileName, const TMemoryStream& Bytes) override {
    PictureFiles.push_back({FileName, Bytes.DataString()});
  }
  void HTMLImageFileFailed(const TRVHTMLImageFileError& Error) override { PictureFileError = Error; }

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

const TRVFPictureReport& TZUKDocumentExportView::GetRVFPictureReport() const {
  return data_->GetRVFPictureReport();
}

bool TZUKDocumentExportView::SaveHTMLToStream(TStream& stream, const std::string& path,
                                              const std::string& title, const std::string& imagesPrefix,
                                              TRVHTMLSaveOptions options) {
  int imageCounter = 0;
  ExportData(*data_).PictureFiles.clear();
  ExportData(*data_).PictureFileError = {};
  return data_->SaveHTMLToStream(stream, path, title, imagesPrefix, options, EffectiveColor(), imageCounter,
                                 kViewerMargin, kViewerMargin, kViewerMargin, kViewerMargin,
                                 &ExportData(*data_).Background, nullptr);
}

const std::vector<TRVHTMLImageFile>& TZUKDocumentExportView::PictureFiles() const {
  return ExportData(*data_).PictureFiles;
}

const TRVHTMLImageFileError& TZUKDocumentExportView::PictureFileError() const {
  return ExportData(*data_).PictureFileError;
}

TColor TZUKDocumentExportView::EffectiveColor() const {
  return color_ != clNone ? color_ : style_->Color;
}
