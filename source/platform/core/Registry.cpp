#include "platform/core/Registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/core/SysUtils.h"

namespace {
constexpr const char* kStoreName = "zuk-registry";
// The values of a key live in this file inside the key's folder.
constexpr const char* kValueFile = ".values";
constexpr int64_t kMaxValueFileSize = 1024 * 1024;

std::mutex& OverrideLock() {
  static std::mutex lock;
  return lock;
}

std::map<HKEY, std::string>& Overrides() {
  static std::map<HKEY, std::string> overrides;
  return overrides;
}

std::string UserConfigFolder() {
  const std::string xdg = GetEnvironmentVariable("XDG_CONFIG_HOME");
  if (!xdg.empty() && xdg[0] == '/') return xdg;
  std::string home = GetEnvironmentVariable("HOME");
  if (home.empty()) {
    const passwd* user = getpwuid(getuid());
    if (user != nullptr && user->pw_dir != nullptr) home = user->pw_dir;
  }
  return home + "/.config";
}

unsigned FolderMode(HKEY root) {
  return root == HKEY_LOCAL_MACHINE ? 0755 : 0700;
}

/// Creates a folder and its missing parents.
bool ForceFolder(const std::string& folder, unsigned mode) {
  if (folder.empty()) return false;
  if (DirectoryExists(folder)) return true;
  const size_t slash = folder.find_last_of('/');
  if (slash != std::string::npos && slash > 0) ForceFolder(folder.substr(0, slash), mode);
  return CreateDir(folder, mode) || DirectoryExists(folder);
}

bool WantsWrite(uint32_t access) {
  return (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
}

bool Granted(const std::string& folder, uint32_t access) {
  int mode = R_OK | X_OK;
  if (WantsWrite(access)) mode |= W_OK;
  return ::access(folder.c_str(), mode) == 0;
}

std::string Escape(const std::string& s) {
  std::string out;
  for (const char c : s) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    switch (s[++i]) {
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      case '0':
        out += '\0';
        break;
      default:
        out += s[i];
    }
  }
  return out;
}

struct ValueLine {
  char type;
  std::string name;
  std::string value;
};

std::vector<ValueLine> LoadValues(const std::string& fileName) {
  std::vector<ValueLine> values;
  if (!FileExists(fileName)) return values;
  TStringList lines;
  try {
    TFileStream stream(fileName, fmOpenRead);
    if (stream.Size() > kMaxValueFileSize) return values;
    lines.LoadFromStream(stream);
  } catch (const Exception&) {
    return values;
  }
  for (int i = 0; i < lines.Count(); ++i) {
    const std::string line = lines[i];
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab1 != 1 || tab2 == std::string::npos) continue;
    values.push_back(ValueLine{line[0], Unescape(std::string_view(line).substr(2, tab2 - 2)),
                               Unescape(std::string_view(line).substr(tab2 + 1))});
  }
  return values;
}
}  // namespace

std::string RegistryRootFolder(HKEY root) {
  {
    std::lock_guard<std::mutex> guard(OverrideLock());
    auto it = Overrides().find(root);
    if (it != Overrides().end()) return it->second;
  }
  const std::string base = root == HKEY_LOCAL_MACHINE ? std::string("/etc/xdg") : UserConfigFolder();
  return base + "/" + kStoreName;
}

void SetRegistryRootFolder(HKEY root, const std::string& folder) {
  std::lock_guard<std::mutex> guard(OverrideLock());
  if (folder.empty())
    Overrides().erase(root);
  else
    Overrides()[root] = ExcludeTrailingPathDelimiter(folder);
}

void TRegistry::SetRootKey(HKEY root) {
  CloseKey();
  root_ = root;
}

std::string TRegistry::KeyFolder(const std::string& key, std::string* path) const {
  std::string resolved = (!key.empty() && key[0] == '\\') || !open_ ? std::string() : current_path_;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    const std::string part = key.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    // A key name becomes one folder name: nothing that would leave or split the folder.
    if (part == "." || part == ".." || part.rfind(kValueFile, 0) == 0 ||
        part.find('/') != std::string::npos || part.find('\0') != std::string::npos)
      return std::string();
    if (!resolved.empty()) resolved += '\\';
    resolved += part;
  }
  if (path) *path = resolved;
  return RegistryRootFolder(root_) +
         (resolved.empty() ? "" : "/" + StringReplace(resolved, "\\", "/", ReplaceFlag::ReplaceAll));
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string path;
  const std::string folder = KeyFolder(key, &path);
  if (folder.empty()) return false;
  if (!DirectoryExists(folder) && !(canCreate && ForceFolder(folder, FolderMode(root_)))) return false;
  if (!Granted(folder, access_)) return false;
  CloseKey();
  open_ = true;
  open_access_ = access_;
  current_path_ = path;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  const uint32_t saved = access_;
  access_ = KEY_READ;
  const bool ok = OpenKey(key, false);
  access_ = saved;
  return ok;
}

bool TRegistry::CreateKey(const std::string& key) {
  const std::string folder = KeyFolder(key);
  return !folder.empty() && ForceFolder(folder, FolderMode(root_));
}

bool TRegistry::KeyExists(const std::string& key) const {
  const std::string folder = KeyFolder(key);
  return !folder.empty() && DirectoryExists(folder);
}

void TRegistry::CloseKey() {
  open_ = false;
  open_access_ = 0;
  current_path_.clear();
}

void TRegistry::CheckOpen() const {
  if (!open_) throw ERegistryException("No registry key is open");
}

std::string TRegistry::ValueFileName() const {
  return KeyFolder("") + "/" + kValueFile;
}

bool TRegistry::ReadValue(const std::string& name, char& type, std::string& value) const {
  CheckOpen();
  for (const ValueLine& v : LoadValues(ValueFileName())) {
    if (SameText(v.name, name)) {
      type = v.type;
      value = v.value;
      return true;
    }
  }
  return false;
}

void TRegistry::WriteValue(const std::string& name, char type, const std::string& value) {
  CheckOpen();
  if ((open_access_ & KEY_SET_VALUE) == 0) throw ERegistryException("Failed to set data for '" + name + "'");
  std::vector<ValueLine> values = LoadValues(ValueFileName());
  bool replaced = false;
  for (ValueLine& v : values) {
    if (SameText(v.name, name)) {
      v = ValueLine{type, name, value};
      replaced = true;
    }
  }
  if (!replaced) values.push_back(ValueLine{type, name, value});
  std::string text;
  for (const ValueLine& v : values)
    text += std::string(1, v.type) + "\t" + Escape(v.name) + "\t" + Escape(v.value) + "\n";
  // Written beside the file and renamed over it, so that a reader never sees half a file.
  const std::string file = ValueFileName();
  const std::string temp = file + ".new";
  try {
    TFileStream out(temp, fmCreate);
    out.WriteBuffer(text);
  } catch (const Exception&) {
    DeleteFile(temp);
    throw ERegistryException("Failed to set data for '" + name + "'");
  }
  if (std::rename(temp.c_str(), file.c_str()) != 0) {
    DeleteFile(temp);
    throw ERegistryException("Failed to set data for '" + name + "'");
  }
}

bool TRegistry::ValueExists(const std::string& name) const {
  char type = 0;
  std::string value;
  return ReadValue(name, type, value);
}

std::string TRegistry::ReadString(const std::string& name) const {
  char type = 0;
  std::string value;
  if (!ReadValue(name, type, value)) return std::string();
  if (type != 'S') throw ERegistryException("Invalid data type for '" + name + "'");
  return value;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  WriteValue(name, 'S', value);
}

int32_t TRegistry::ReadInteger(const std::string& name) const {
  char type = 0;
  std::string value;
  int32_t result = 0;
  if (!ReadValue(name, type, value) || type != 'D' || !TryStrToInt(value, result))
    throw ERegistryException("Invalid data type for '" + name + "'");
  return result;
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
  WriteValue(name, 'D', IntToStr(value));
}
