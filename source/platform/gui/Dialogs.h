// Standard dialogs: message boxes, and the open and save dialogs with the class library's
// filter strings ("Text files (*.txt)|*.txt|All files (*.*)|*.*").
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/graphics/GraphicsTypes.h"

class TWinControl;
class TStrings;

// Message box flags and results.
constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONWARNING = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;

/// Where a box goes: from the owner's window rectangle (screen coordinates; empty without a
/// visible owner) and the box's size as it is shown (frame included, text laid out), the
/// box's top-left corner.
using TMessageBoxPlacement = std::function<TPoint(const TRect& owner, TSize box)>;

/// Shows a modal box with the text, the caption, the icon of `flags` and one OK button, and
/// returns IDOK. Without `placement` the box is centred over the owner (over the screen when
/// there is none). Without a display the caption and the text go to standard error instead.
int MessageBox(TWinControl* owner, const std::string& text, const std::string& caption, uint32_t flags,
               const TMessageBoxPlacement& placement = nullptr);
/// The window rectangle of `owner` on the screen, frame included; empty when it has no
/// visible window.
TRect WindowRectOf(TWinControl* owner);

enum TOpenOption : uint32_t {
  ofReadOnly = 1u << 0,
  ofOverwritePrompt = 1u << 1,
  ofHideReadOnly = 1u << 2,
  ofAllowMultiSelect = 1u << 9,
  ofPathMustExist = 1u << 11,
  ofFileMustExist = 1u << 12,
  ofEnableSizing = 1u << 23,
};

/// One entry of a filter string: the description and its patterns ("*.rvf;*.txt").
struct TFilterEntry {
  std::string Description;
  std::string Patterns;
};
/// Splits "Name (*.ext)|*.ext|..." into entries; a trailing description without patterns is
/// dropped.
std::vector<TFilterEntry> ParseFilter(const std::string& filter);
/// `file_name` with `default_ext` (no dot) appended when it has no extension.
std::string ApplyDefaultExt(const std::string& fileName, const std::string& defaultExt);

class TOpenDialog : public TComponent {
 public:
  explicit TOpenDialog(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TOpenDialog"; }

  std::string Title;
  std::string Filter;
  /// 1-based index of the filter entry chosen first (and after Execute, the one used).
  int FilterIndex = 1;
  /// Extension (no dot) added to a chosen name that has none.
  std::string DefaultExt;
  std::string InitialDir;
  std::string FileName;
  uint32_t Options = ofHideReadOnly | ofEnableSizing;

  /// Runs the dialog; true when a file was chosen (FileName holds it).
  virtual bool Execute();

 protected:
  virtual bool Saving() const { return false; }
};

class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  std::string ClassName() const override { return "TSaveDialog"; }

 protected:
  bool Saving() const override { return true; }
};
