#include "converter/ZUKUIStateForm.h"

#include "common/units/LocalizationStore.h"

void TZUKUIStateMainForm::AfterConstruction() {
  DoCreate();
  if (LocalizationStore) LocalizationStore->LocalizeForm(*this);
  AfterLocalize();
}
