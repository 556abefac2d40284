// Placeholders of what is not built yet; each goes when its real definition lands.
#include "richtext/core/RVError.h"
#include "richtext/editor/RVERVData.h"

void TRVEditRVData::ApplyStyleConversion(int) {
  throw ERVError("not built yet");
}
