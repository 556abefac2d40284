// TMetafileCanvas: a canvas whose drawing is recorded into a metafile, as an enhanced metafile
// or as a Windows metafile as the metafile's Enhanced says. Figures and text stay figures and
// text (so another program scales them cleanly); pictures become device-independent bitmaps.
#pragma once

#include "platform/graphics/Canvas.h"

class TMetafile;

class TMetafileCanvas : public TCanvas {
 public:
  /// Records drawing over the metafile's current size in pixels; the recording replaces the
  /// metafile's picture when the canvas is freed. `metafile` must outlive the canvas.
  explicit TMetafileCanvas(TMetafile& metafile);
  ~TMetafileCanvas() override;
  std::string ClassName() const override { return "TMetafileCanvas"; }

 private:
  TMetafile& metafile_;
};
