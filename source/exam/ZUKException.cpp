#include "exam/ZUKException.h"

#include "common/units/LocalizationStore.h"

std::string ZUKLocalizedText(const std::string& key) {
  return LocalizedText(key);
}
