// Helpers of the editor tests: the application object every control test needs, and an
// editor on a style sheet of its own.
#pragma once

#include <memory>

#include "platform/gui/Application.h"
#include "richtext/core/RVStyle.h"
#include "richtext/editor/RVEdit.h"

namespace editortest {

/// The application object, made on first use and kept to the end of the program.
inline TApplication& App() {
  static TApplication* app = new TApplication();
  return *app;
}

/// An editor on its own style sheet, without a window.
struct TEditorFixture {
  TEditorFixture() {
    App();
    Editor.SetStyle(&Sheet);
  }
  TRVEditRVData& Data() { return Editor.EditRVData(); }

  TRVStyle Sheet;
  TRVEdit Editor;
};

}  // namespace editortest
