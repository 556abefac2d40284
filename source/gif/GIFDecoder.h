// The LZW decoder that turns a frame's image data (minimum code size byte, then data
// sub-blocks) into one colour index per pixel.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/core/Streams.h"

using TGIFWarningSink = std::function<void(const std::string& message)>;

/// Decodes the image data at the stream's position into `pixels` (`width` times `height`,
/// row by row, already filled with the background value), in interlaced row order when
/// asked. Data that ends early leaves the remaining pixels as they are; the stream is left
/// after the data's terminating 0 length byte (or at its end). Damaged codes decode on (a
/// code beyond the next free one as the next free one, an undefined code as prefix 0 and
/// suffix 0). Raises GIFException for a minimum code size outside 1..11 and for table
/// entries that damage has made into a loop. Returns the minimum code size (0 when the
/// stream ended before it).
int DecodeGIFPixels(TStream& stream, std::span<uint8_t> pixels, int32_t width, int32_t height,
                    bool interlaced, const TGIFWarningSink& warn);
