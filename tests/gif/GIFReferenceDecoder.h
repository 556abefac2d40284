// A deliberately simple LZW decoder with the contract of DecodeGIFPixels, used by the tests
// as the gold standard for the fast one.
#pragma once

#include "gif/GIFDecoder.h"

int DecodeGIFPixelsReference(TStream& stream, std::span<uint8_t> pixels, int32_t width, int32_t height,
                             bool interlaced, const TGIFWarningSink& warn);
