// The small types the HTML writers share with the items and the document data: the option
// set of both writers, the places the host may add its own HTML to, the output formats an
// embedded control is asked for, and the cache entry that lets one image file serve every
// item that shows the same image during one export.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/Colors.h"
#include "platform/core/Object.h"
#include "richtext/core/RVClasses.h"

class TCustomImageList;
class TGraphic;

/// Options of the HTML writers (bits).
using TRVHTMLSaveOptions = uint16_t;
constexpr TRVHTMLSaveOptions rvhoReuseImageFiles =
    0x0001;                                          // an existing writable image file may be overwritten
constexpr TRVHTMLSaveOptions rvhoHeadOnly = 0x0002;  // the head part only
constexpr TRVHTMLSaveOptions rvhoBodyOnly = 0x0004;  // the body part only
constexpr TRVHTMLSaveOptions rvhoTailOnly = 0x0008;  // the tail part only
constexpr TRVHTMLSaveOptions rvhoNoDefaultFont = 0x0010;    // no markup of text style 0
constexpr TRVHTMLSaveOptions rvhoNoImageBorders = 0x0020;   // images get "border=0"
constexpr TRVHTMLSaveOptions rvhoImageSizes = 0x0040;       // images always get width and height
constexpr TRVHTMLSaveOptions rvhoBreakColorCSS = 0x0080;    // coloured lines get a CSS colour
constexpr TRVHTMLSaveOptions rvhoCheckpointNames = 0x0100;  // named checkpoints keep their names
constexpr TRVHTMLSaveOptions rvhoMarkersAsText = 0x0200;    // list markers as text, not HTML lists

/// Where the host's extra HTML goes (TCustomRVData::SaveHTMLExtra).
enum TRVHTMLSaveArea : uint8_t {
  rvhsaHead = 0,           // inside HEAD
  rvhsaBodyAttribute = 1,  // inside the BODY tag
  rvhsaBodyStart = 2,      // at the start of the body
  rvhsaPageEnd = 3,        // before the end of the page
};

/// The output an embedded control is asked for (TCustomRVData::SaveComponentToFile).
enum TRVSaveFormat : uint8_t { rvsaveText = 0, rvsaveHTML = 1, rvsaveRTF = 2 };

/// One image file written for an image-list image, a list picture or a bullet during one
/// export; the writers look an image up here before writing it again.
class TRVHTMLBulletInfo : public TObject {
 public:
  std::string ClassName() const override { return "TRVHTMLBulletInfo"; }

  std::string FileName;  // the location written into "src"
  TCustomImageList* ImageList = nullptr;
  int32_t ImageIndex = 0;
  TColor BackColor = clNone;  // the colour the image was painted on
  TGraphic* Graphic = nullptr;
};

using TRVHTMLBulletList = TRVList<TRVHTMLBulletInfo>;

/// A picture file an HTML export wrote: its path and the bytes written into it.
struct TRVHTMLImageFile {
  std::string FileName;
  std::string Bytes;
};

/// A picture file an HTML export could not write: its path and the errno value (0 when the
/// system gave no reason). An empty path: no picture file failed; then Reason, when not empty,
/// says why a picture could not be made into a file's bytes ("Picture is too large (...)").
struct TRVHTMLImageFileError {
  std::string FileName;
  int SystemError = 0;
  std::string Reason;
};
