// Helpers shared by the style-sheet tests: byte-string builders for property-list fixtures
// and property-list round trips through the component streaming.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/core/ComponentStreaming.h"
#include "platform/core/Streams.h"

namespace rvstyletest {

inline std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

/// A short string: one length byte and the bytes.
inline std::string Short(std::string_view s) {
  return static_cast<char>(s.size()) + std::string(s);
}

/// A property name followed by a vaString value.
inline std::string StringProp(std::string_view name, std::string_view value) {
  return Short(name) + Bytes({0x06}) + Short(value);
}

/// A property name followed by a vaIdent value.
inline std::string IdentProp(std::string_view name, std::string_view ident) {
  return Short(name) + Bytes({0x07}) + Short(ident);
}

inline std::string WriteList(TPersistent& object) {
  TMemoryStream stream;
  WritePropertyList(stream, object);
  return stream.DataString();
}

inline void ReadList(const std::string& bytes, TPersistent& object) {
  TMemoryStream stream(bytes);
  ReadPropertyList(stream, object);
}

inline bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

}  // namespace rvstyletest
