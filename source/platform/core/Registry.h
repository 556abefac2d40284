// The settings registry: a tree of keys under two roots, kept in folders. HKEY_CURRENT_USER
// lives under $XDG_CONFIG_HOME (default ~/.config), HKEY_LOCAL_MACHINE under /etc/xdg, each in a
// folder "zuk-registry". A key is a folder; the values of a key live in one small file inside
// it. Key paths are written with backslashes ("Software\Maker\Program").
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/Object.h"

using HKEY = uint32_t;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr uint32_t KEY_SET_VALUE = 0x0002;
constexpr uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr uint32_t KEY_READ = 0x20019;
constexpr uint32_t KEY_WRITE = 0x20006;
constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;

/// The folder that holds the keys of a root.
std::string RegistryRootFolder(HKEY root);
/// Moves a root to another folder; "" restores the default. Meant for tests.
void SetRegistryRootFolder(HKEY root, const std::string& folder);

/// Opens, creates and tests keys of one root, and reads and writes the values of the open key.
/// A key opens only with the access asked for: write access (KEY_SET_VALUE or
/// KEY_CREATE_SUB_KEY) needs a key folder that the user may write.
class TRegistry : public TObject {
 public:
  /// Root HKEY_CURRENT_USER, access KEY_ALL_ACCESS.
  TRegistry() : TRegistry(KEY_ALL_ACCESS) {}
  explicit TRegistry(uint32_t access) : access_(access) {}
  ~TRegistry() override { CloseKey(); }
  std::string ClassName() const override { return "TRegistry"; }

  HKEY RootKey() const { return root_; }
  /// Changes the root; an open key is closed.
  void SetRootKey(HKEY root);
  uint32_t Access() const { return access_; }
  void SetAccess(uint32_t access) { access_ = access; }

  /// Opens a key (relative to the open key unless it starts with a backslash), creating it
  /// with any missing parents when `can_create` is true. False when it does not exist and may
  /// not be created, when its name is not valid, or when the access asked for is not granted.
  bool OpenKey(const std::string& key, bool canCreate);
  /// Opens an existing key with KEY_READ access.
  bool OpenKeyReadOnly(const std::string& key);
  /// Creates a key with any missing parents; true when it exists afterwards.
  bool CreateKey(const std::string& key);
  bool KeyExists(const std::string& key) const;
  void CloseKey();
  /// The open key's path from the root (without a leading backslash), "" when none is open.
  const std::string& CurrentPath() const { return current_path_; }
  bool HasCurrentKey() const { return open_; }

  /// Values of the open key. Reading raises ERegistryException when no key is open; writing
  /// also when the key was opened without KEY_SET_VALUE or the value file cannot be written.
  bool ValueExists(const std::string& name) const;
  /// "" when the value does not exist.
  std::string ReadString(const std::string& name) const;
  void WriteString(const std::string& name, const std::string& value);
  /// Raises ERegistryException when the value does not exist or is no integer.
  int32_t ReadInteger(const std::string& name) const;
  void WriteInteger(const std::string& name, int32_t value);

 private:
  /// The key's folder, or "" when the key name is not valid.
  std::string KeyFolder(const std::string& key, std::string* path = nullptr) const;
  void CheckOpen() const;
  std::string ValueFileName() const;
  bool ReadValue(const std::string& name, char& type, std::string& value) const;
  void WriteValue(const std::string& name, char type, const std::string& value);

  HKEY root_ = HKEY_CURRENT_USER;
  uint32_t access_;
  bool open_ = false;
  uint32_t open_access_ = 0;
  std::string current_path_;
};
