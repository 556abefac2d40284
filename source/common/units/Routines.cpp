#include "common/units/Routines.h"

#include <unistd.h>

#include "common/units/LocalizationStore.h"
#include "platform/core/Files.h"
#include "platform/core/SysUtils.h"
#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"

namespace {
/// Why the private folder cannot be used, as the system words it or in the user's language.
std::string PrivateFolderReason(int error) {
  if (error == kNotARealFolder) return LocalizedText("NOT_A_REAL_FOLDER");
  if (error == kOwnedByAnotherUser) return LocalizedText("FOLDER_OF_ANOTHER_USER");
  return SysErrorMessage(error);
}

std::string CheckedPrivateFolder(const std::string& path) {
  int error = 0;
  if (!EnsurePrivateFolder(path, error))
    throw ETempFolderError(
        Format(LocalizedText("CANNOT_USE_TEMP_FOLDER"), {path, PrivateFolderReason(error)}));
  return path;
}

bool IsPlainFolderName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}
}  // namespace

std::string GetTempFolder() {
  return SystemTempFolder();
}

std::string GetPrivateTempFolder() {
  return CheckedPrivateFolder(GetTempFolder() + "/zuk-" + std::to_string(geteuid()));
}

std::string PrepareTempFolder(const std::string& name) {
  if (!IsPlainFolderName(name))
    throw ETempFolderError(Format("Invalid temporary folder name \"%s\"", {name}));
  const std::string path = GetPrivateTempFolder() + "/" + name;
  const bool existed = FileGetAttr(path) != -1;
  CheckedPrivateFolder(path);
  if (existed) DeleteFolderFiles(path);
  return path + "/";
}

void DeleteFolderFiles(const std::string& folder) {
  DeleteFilesInTree(folder, [](const std::string& name) { return name[0] != '.'; });
}

void ListFolderEntries(const std::string& folder, TStrings& list) {
  const std::string prefix = IncludeTrailingPathDelimiter(folder);
  for (const TFolderEntry& e : ListFolder(folder))
    if (e.kind == TFolderEntryKind::File && e.name[0] != '.') list.Add(prefix + e.name);
}

TWinControl* GetOwnerWindow() {
  if (Application == nullptr) return nullptr;
  TCustomForm* form = Screen().ActiveForm();
  if (form == nullptr) form = Application->MainForm();
  return form;
}
