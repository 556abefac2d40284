#include "converter/ZUKGlobal.h"

#include "common/units/RegistryManager.h"

std::unique_ptr<TRegistryManager> RegistryManager;

void InitializeZUKGlobal() {
  RegistryManager = std::make_unique<TRegistryManager>();
}

void FinalizeZUKGlobal() {
  RegistryManager.reset();
}
