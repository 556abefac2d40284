// zuk-converter: converts .zuk exam files to .zukm files, in a window or from the command line.
#include <string>
#include <vector>

#include "converter/MainFormUnit.h"
#include "converter/ProgramStartup.h"
#include "converter/ZUKGlobal.h"
#include "platform/core/Files.h"
#include "platform/gui/Application.h"

int main(int argc, char** argv) {
  OpenClosedStandardDescriptors();
  MakeStartupCalls();
  InitializeZUKGlobal();
  int exitCode = 0;
  {
    TApplication application;
    // Ctrl+C, kill or the end of the session while a conversion runs leave no partial target
    // and no picture folder behind.
    application.EndOnSignals();
    SetProgramArguments(std::vector<std::string>(argv + 1, argv + argc));
    TMainForm* form = application.CreateForm<TMainForm>();
    form->WindowNeedsDisplay = true;
    application.Run();
    exitCode = form->ExitCode();
  }
  FinalizeZUKGlobal();
  return exitCode;
}
