#include "converter/languages/LanguageTables.h"

// Defined by the resource file that the build generates for this library.
void zuk_link_resources_zuk_languages();

void RegisterLanguageTables() {
  zuk_link_resources_zuk_languages();
}
