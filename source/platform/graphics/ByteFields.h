// Little-endian fields of picture files, read with a bounds check: a field that does not fit
// in the data raises EInvalidGraphic with the reader's message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/graphics/GraphicsTypes.h"

inline uint16_t ReadU16LE(std::span<const uint8_t> d, size_t at, const char* invalidMessage) {
  if (at > d.size() || d.size() - at < 2) throw EInvalidGraphic(invalidMessage);
  return static_cast<uint16_t>(d[at] | (d[at + 1] << 8));
}

inline uint32_t ReadU32LE(std::span<const uint8_t> d, size_t at, const char* invalidMessage) {
  if (at > d.size() || d.size() - at < 4) throw EInvalidGraphic(invalidMessage);
  return static_cast<uint32_t>(d[at]) | (static_cast<uint32_t>(d[at + 1]) << 8) |
         (static_cast<uint32_t>(d[at + 2]) << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}
