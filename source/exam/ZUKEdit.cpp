#include "exam/ZUKEdit.h"

TZUKEdit::TZUKEdit(TComponent* AOwner) : TRVEdit(AOwner) {
  RVFOptions |= rvfoConvUnknownStylesToZero;
  RTFOptions |= rvrtfSaveStyleSheet;
}

void RegisterZUKEdit() {
  RegisterClass<TZUKEdit>("TZUKEdit");
}
