// The converter's localisation store: English (language 0) and Russian (language 1), each made
// of a common table and the converter's own table.
#pragma once

#include <string>

#include "common/units/LocalizationStore.h"

/// Made with TLocalizationStore::Create<TZUKConverterLocalizationStore>().
class TZUKConverterLocalizationStore : public TLocalizationStore {
 public:
  std::string ClassName() const override { return "TZUKConverterLocalizationStore"; }

 protected:
  friend class TLocalizationStore;
  TZUKConverterLocalizationStore() = default;
  void FillLanguages(TStrings& languages) override;
};
