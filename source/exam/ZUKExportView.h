// What the mobile writer needs of the view that turns one rich-text part into HTML: the style
// sheet the parts are read with, the view's colour, reading RVF and writing body HTML with its
// pictures as files. The program's hidden viewer control provides these operations; until it
// takes this place, TZUKDocumentExportView does the same work on the document core's data.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/Colors.h"
#include "richtext/core/CRVData.h"
#include "richtext/core/RVHTMLTypes.h"

class TRVStyle;
class TStream;

class TZUKExportView {
 public:
  virtual ~TZUKExportView() = default;

  /// The sheet that parts are read and written with; the exam's styles are loaded into it.
  virtual TRVStyle* GetStyle() const = 0;
  /// The view's own colour; clNone means the sheet's colour.
  virtual void SetColor(TColor color) = 0;
  /// Clears the view and reads an RVF document from the stream's position; false for a
  /// stream that could not be read whole.
  virtual bool LoadRVFFromStream(TStream& stream) = 0;
  /// What the last read had to leave out or replace (pictures, controls, styles).
  virtual TRVFWarnings GetRVFWarnings() const = 0;
  /// The pictures the last read met, and the first that could not be made.
  virtual const TRVFPictureReport& GetRVFPictureReport() const = 0;
  /// Writes the document as HTML, its pictures as files named from `imagesPrefix` in the
  /// folder `path`; false when something could not be written.
  virtual bool SaveHTMLToStream(TStream& stream, const std::string& path, const std::string& title,
                                const std::string& imagesPrefix, TRVHTMLSaveOptions options) = 0;
  /// The picture files the last SaveHTMLToStream wrote, with their bytes, in the order it
  /// wrote them.
  virtual const std::vector<TRVHTMLImageFile>& PictureFiles() const = 0;
  /// The picture file the last SaveHTMLToStream could not write (an empty name when none).
  virtual const TRVHTMLImageFileError& PictureFileError() const = 0;
};

/// The export view over the document core's data, with the viewer's defaults: RVF styles
/// merged into the sheet, no background read from the stream, margins of 5 pixels.
class TZUKDocumentExportView : public TZUKExportView {
 public:
  /// `style` is not owned and must outlive the view.
  explicit TZUKDocumentExportView(TRVStyle& style);
  ~TZUKDocumentExportView() override;

  TRVStyle* GetStyle() const override { return style_; }
  void SetColor(TColor color) override { color_ = color; }
  bool LoadRVFFromStream(TStream& stream) override;
  TRVFWarnings GetRVFWarnings() const override;
  const TRVFPictureReport& GetRVFPictureReport() const override;
  bool SaveHTMLToStream(TStream& stream, const std::string& path, const std::string& title,
                        const std::string& imagesPrefix, TRVHTMLSaveOptions options) override;
  const std::vector<TRVHTMLImageFile>& PictureFiles() const override;
  const TRVHTMLImageFileError& PictureFileError() const override;

  /// The document last read.
  TCustomRVData& Document() const { return *data_; }

 private:
  /// The colour pictures are painted on: the view's, else the sheet's.
  TColor EffectiveColor() const;

  TRVStyle* style_;
  TColor color_ = clNone;
  std::unique_ptr<TCustomRVData> data_;
};
