// The program's global objects that live from start-up to shutdown: the registry manager.
#pragma once

#include <memory>

class TRegistryManager;

extern std::unique_ptr<TRegistryManager> RegistryManager;

/// Makes the registry manager (which ensures the program's key); freed by FinalizeZUKGlobal.
void InitializeZUKGlobal();
void FinalizeZUKGlobal();
