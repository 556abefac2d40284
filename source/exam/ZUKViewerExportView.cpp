#include "exam/ZUKViewerExportView.h"

#include "richtext/viewer/RVRVData.h"
#include "richtext/viewer/RVViewer.h"

TRVStyle* TZUKViewerExportView::GetStyle() const {
  return viewer_.Style();
}

void TZUKViewerExportView::SetColor(TColor color) {
  viewer_.SetColor(color);
}

bool TZUKViewerExportView::LoadRVFFromStream(TStream& stream) {
  return viewer_.LoadRVFFromStream(stream);
}

TRVFWarnings TZUKViewerExportView::GetRVFWarnings() const {
  return viewer_.RVFWarnings;
}

const TRVFPictureReport& TZUKViewerExportView::GetRVFPictureReport() const {
  return viewer_.RVData().GetRVFPictureReport();
}

bool TZUKViewerExportView::SaveHTMLToStream(TStream& stream, const std::string& path,
                                            const std::string& title, const std::string& imagesPrefix,
                                            TRVHTMLSaveOptions options) {
  return viewer_.SaveHTMLToStream(stream, path, title, imagesPrefix, options);
}

const std::vector<TRVHTMLImageFile>& TZUKViewerExportView::PictureFiles() const {
  return viewer_.HTMLImageFiles();
}

const TRVHTMLImageFileError& TZUKViewerExportView::PictureFileError() const {
  return viewer_.HTMLImageFileError();
}
