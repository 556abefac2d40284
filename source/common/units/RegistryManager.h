// The registry manager: picks the registry root under which the program keeps its settings
// and makes sure that the program's key exists. One is made at start-up.
#pragma once

#include <string>

#include "platform/core/Object.h"
#include "platform/core/Registry.h"

class TRegistryManager : public TObject {
 public:
  /// The program's key under the chosen root.
  static constexpr const char* kKeyPath = "Software\\ZUK Converter\\Manager";

  /// Chooses HKEY_LOCAL_MACHINE when its "Software" key opens with full access, else
  /// HKEY_CURRENT_USER, and creates the program's key there when it is missing (a failed
  /// creation is not reported).
  TRegistryManager();
  std::string ClassName() const override { return "TRegistryManager"; }

  HKEY RootKey() const { return root_key_; }

 private:
  static HKEY ChooseRootKey();
  void EnsureKey() const;

  HKEY root_key_;
};
