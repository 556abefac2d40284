// The export view over the program's hidden viewer control: the converter's rich-text parts
// go through the same viewer the main window owns.
#pragma once

#include "exam/ZUKExportView.h"

class TCustomRVViewer;

class TZUKViewerExportView : public TZUKExportView {
 public:
  /// `viewer` is not owned and must outlive the view; its Style is the sheet parts use.
  explicit TZUKViewerExportView(TCustomRVViewer& viewer) : viewer_(viewer) {}

  TRVStyle* GetStyle() const override;
  void SetColor(TColor color) override;
  bool LoadRVFFromStream(TStream& stream) override;
  TRVFWarnings GetRVFWarnings() const override;
  const TRVFPictureReport& GetRVFPictureReport() const override;
  bool SaveHTMLToStream(TStream& stream, const std::string& path, const std::string& title,
                        const std::string& imagesPrefix, TRVHTMLSaveOptions options) override;
  const std::vector<TRVHTMLImageFile>& PictureFiles() const override;
  const TRVHTMLImageFileError& PictureFileError() const override;

 private:
  TCustomRVViewer& viewer_;
};
