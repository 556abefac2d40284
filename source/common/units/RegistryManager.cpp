#include "common/units/RegistryManager.h"

TRegistryManager::TRegistryManager() : root_key_(ChooseRootKey()) {
  EnsureKey();
}

HKEY TRegistryManager::ChooseRootKey() {
  TRegistry registry(KEY_ALL_ACCESS);
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  return registry.OpenKey("Software", false) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

void TRegistryManager::EnsureKey() const {
  TRegistry registry;
  registry.SetRootKey(root_key_);
  if (!registry.KeyExists(kKeyPath)) registry.CreateKey(kKeyPath);
}
