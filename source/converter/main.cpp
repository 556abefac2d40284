// zuk-converter: converts .zuk exam files to .zukm files, in a window or from the command line.
#include <string>
#include <vector>

#include "converter/MainFormUnit.h"
#include "converter/ZUKGlobal.h"
#include "converter/languages/LanguageTables.h"
#include "gif/GIFImage.h"
#include "platform/gui/Application.h"
#include "richtext/viewer/RVViewer.h"

int main(int argc, char** argv) {
  InitializeZUKGlobal();
  RegisterLanguageTables();
  RegisterGIFImage();
  RVRegisterViewerClasses();
  int exitCode = 0;
  {
    TApplication application;
    SetProgramArguments(std::vector<std::string>(argv + 1, argv + argc));
    TMainForm* form = application.CreateForm<TMainForm>();
    application.Run();
    exitCode = form->ExitCode();
  }
  FinalizeZUKGlobal();
  return exitCode;
}
