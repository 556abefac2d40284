// Start-up of the editor library: registers the editor classes by name and installs the
// editor's hooks in the table code.
#pragma once

void RVRegisterEditor();
