// Reading INI files ("[section]" lines followed by "name=value" lines) and the path of the
// INI file that sits beside the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Object.h"

/// A read-only view of an INI file, read once when the object is made. A missing or
/// unreadable file behaves as an empty one. Section and value names compare
/// case-insensitively; names and values are trimmed; lines starting with ";" or "#" are
/// comments; the first occurrence of a name in a section wins.
class TIniFile : public TObject {
 public:
  explicit TIniFile(std::string fileName);
  std::string ClassName() const override { return "TIniFile"; }

  const std::string& FileName() const { return file_name_; }
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view ident) const;
  /// The value, or `def` when the section or the name is missing.
  std::string ReadString(std::string_view section, std::string_view ident, std::string_view def) const;
  /// The value as a decimal (or "0x"/"$" hexadecimal) integer; `def` when it is missing or is
  /// no integer.
  int32_t ReadInteger(std::string_view section, std::string_view ident, int32_t def) const;

 private:
  struct Value {
    std::string name;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Value> values;
  };
  const Section* FindSection(std::string_view section) const;
  const Value* FindValue(std::string_view section, std::string_view ident) const;

  std::string file_name_;
  std::vector<Section> sections_;
};

/// The INI file beside the program: the program's path with the extension ".ini".
std::string ProgramIniFileName();
