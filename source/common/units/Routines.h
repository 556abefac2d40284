// General routines: freeing an object held in a variable, the TEMP folder and the program's
// private working folders inside it, emptying a folder tree and listing a folder's files.
// The converter prepares a working folder around each rich-text export, lets the HTML writer
// put the page's images there, lists and reads them, and deletes them again.
#pragma once

#include <memory>
#include <string>

#include "platform/core/Exceptions.h"
#include "platform/core/Strings.h"

ZUK_DECLARE_EXCEPTION(ETempFolderError, Exception)

class TWinControl;

/// The window that owns message boxes: the active form, else the application's main form;
/// null when there is neither.
TWinControl* GetOwnerWindow();

/// Frees the object held in `object`; the variable is empty before the object's destructor
/// runs. An empty variable is left alone.
template <typename T>
void FreeObjectAndNil(std::unique_ptr<T>& object) {
  std::unique_ptr<T> doomed(object.release());
}

/// The system TEMP folder: $TMPDIR when it is set and names a folder, else "/tmp" (no
/// trailing delimiter).
std::string GetTempFolder();

/// The program's private folder inside TEMP ("zuk-<uid>"), made with mode 0700 when it is
/// missing. Raises ETempFolderError unless it is a real folder (not a symbolic link) owned by
/// the user.
std::string GetPrivateTempFolder();

/// The working folder `name` inside the private folder, with a trailing delimiter: its files
/// are deleted when it exists, it is created (mode 0700) when it does not. Raises
/// ETempFolderError when the folder cannot be created or is not a real folder of the user's
/// own, and when `name` is not a plain folder name.
std::string PrepareTempFolder(const std::string& name);

/// Deletes every file of a folder tree, keeping the folders; subfolders whose names start
/// with "." are left untouched. Never follows a symbolic link (links are removed, not
/// entered). Failures are skipped.
void DeleteFolderFiles(const std::string& folder);

/// Appends folder + name for every regular file of the folder whose name does not start with
/// ".", sorted by name (case-insensitively, then by bytes). Subfolders, symbolic links and
/// other entries are not listed. A missing folder lists nothing.
void ListFolderEntries(const std::string& folder, TStrings& list);
