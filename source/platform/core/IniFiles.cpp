#include "platform/core/IniFiles.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/core/SysUtils.h"

namespace {
// An INI file is a small settings file; anything larger is not read.
constexpr int64_t kMaxIniFileSize = 16 * 1024 * 1024;
}  // namespace

TIniFile::TIniFile(std::string fileName) : file_name_(std::move(fileName)) {
  if (!FileExists(file_name_)) return;
  TStringList lines;
  try {
    TFileStream stream(file_name_, fmOpenRead);
    if (stream.Size() > kMaxIniFileSize) return;
    lines.LoadFromStream(stream);
  } catch (const Exception&) {
    return;  // unreadable: no values
  }
  Section* current = nullptr;
  for (int i = 0; i < lines.Count(); ++i) {
    const std::string line = Trim(lines[i]);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      if (close == std::string::npos) continue;
      sections_.push_back(Section{Trim(std::string_view(line).substr(1, close - 1)), {}});
      current = &sections_.back();
      continue;
    }
    const size_t eq = line.find('=');
    if (current == nullptr || eq == std::string::npos) continue;
    current->values.push_back(
        Value{Trim(std::string_view(line).substr(0, eq)), Trim(std::string_view(line).substr(eq + 1))});
  }
}

const TIniFile::Section* TIniFile::FindSection(std::string_view section) const {
  for (const Section& s : sections_)
    if (SameText(s.name, section)) return &s;
  return nullptr;
}

const TIniFile::Value* TIniFile::FindValue(std::string_view section, std::string_view ident) const {
  // A section may appear more than once; its parts are searched in file order.
  for (const Section& s : sections_) {
    if (!SameText(s.name, section)) continue;
    for (const Value& v : s.values)
      if (SameText(v.name, ident)) return &v;
  }
  return nullptr;
}

bool TIniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const {
  return FindValue(section, ident) != nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view def) const {
  const Value* v = FindValue(section, ident);
  return v ? v->value : std::string(def);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view ident, int32_t def) const {
  const Value* v = FindValue(section, ident);
  return v ? StrToIntDef(v->value, def) : def;
}

std::string ProgramIniFileName() {
  const std::string program = GetModuleFileName();
  return program.empty() ? std::string() : ChangeFileExt(program, ".ini");
}
