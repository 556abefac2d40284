// The seam between documents and the RTF reader, which lives in a layer above them: the
// viewer and the editor own their RTF reading options through this base, and the RTF
// library installs the factory that makes the real options object at start-up.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/Classes.h"

class TCustomRVData;
class TGraphic;
class TStream;

class TRVCustomRTFReaderProperties : public TPersistent {
 public:
  std::string ClassName() const override { return "TRVCustomRTFReaderProperties"; }
  /// Reads the RTF stream into RVData before item Index; Index answers the last item made
  /// (-1 when none). Answers the reader's result code, 0 for success. Never raises.
  virtual uint8_t ReadRTF(TStream& Stream, TCustomRVData* RVData, int& Index) = 0;

  /// Put in front of relative hyperlink targets and picture file names.
  std::string BasePath;
};

using TRVRTFReaderPropertiesFactory = std::function<std::unique_ptr<TRVCustomRTFReaderProperties>()>;

/// Called with every picture the RTF reader makes, before it is delivered; empty by default.
extern std::function<void(TGraphic* Graphic)> RVAfterImportGraphic;

/// Installs the factory of RVCreateRTFReaderProperties (the RTF library's start-up call).
void RVRegisterRTFReaderPropertiesFactory(TRVRTFReaderPropertiesFactory Factory);
/// New RTF reading options; null when no RTF reader is linked into the program.
std::unique_ptr<TRVCustomRTFReaderProperties> RVCreateRTFReaderProperties();
