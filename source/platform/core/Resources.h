// Resources embedded in the program at build time (see cmake/EmbedResources.cmake), found
// by name and type, and a stream that reads one of them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Streams.h"

/// Registers an embedded resource. Names and types compare case-insensitively.
void RegisterResource(const char* name, const char* type, const unsigned char* data, int64_t size);
/// True when a resource of that name and type is registered.
bool FindResource(const std::string& name, const std::string& type);

/// A read-only stream over an embedded resource; raises EResNotFound
/// ("Resource NAME not found") when there is none of that name and type.
class TResourceStream : public TBytesStream {
 public:
  TResourceStream(const std::string& name, const std::string& type);
};
