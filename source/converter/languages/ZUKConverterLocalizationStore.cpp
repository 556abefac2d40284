#include "converter/languages/ZUKConverterLocalizationStore.h"

#include "converter/languages/LanguageTables.h"

void TZUKConverterLocalizationStore::FillLanguages(TStrings& languages) {
  RegisterLanguageTables();
  languages.Add("ENGLISH_COMMON;ENGLISH_CONVERTER");
  languages.Add("RUSSIAN_COMMON;RUSSIAN_CONVERTER");
}
