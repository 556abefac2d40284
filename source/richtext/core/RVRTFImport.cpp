#include "richtext/core/RVRTFImport.h"

std::function<void(TGraphic* Graphic)> RVAfterImportGraphic;

namespace {
TRVRTFReaderPropertiesFactory& factory() {
  static TRVRTFReaderPropertiesFactory f;
  return f;
}
}  // namespace

void RVRegisterRTFReaderPropertiesFactory(TRVRTFReaderPropertiesFactory Factory) {
  factory() = std::move(Factory);
}

std::unique_ptr<TRVCustomRTFReaderProperties> RVCreateRTFReaderProperties() {
  return factory() ? factory()() : nullptr;
}
