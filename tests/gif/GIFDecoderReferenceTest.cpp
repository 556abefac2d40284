// The fast LZW decoder against the simple reference decoder: for valid data, damaged data
// and noise they must give the same pixels, the same warnings in the same order, the same
// error, and leave the stream at the same place.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "GIFReferenceDecoder.h"
#include "gif/GIFEncoder.h"
#include "gif/GIFItems.h"

namespace {

struct Outcome {
  std::vector<uint8_t> pixels;
  std::vector<std::string> warnings;
  std::string error;
  int result = -1;
  int64_t position = 0;

  bool operator==(const Outcome&) const = default;
};

using Decoder = int (*)(TStream&, std::span<uint8_t>, int32_t, int32_t, bool, const TGIFWarningSink&);

Outcome Decode(Decoder decoder, const std::string& data, int32_t width, int32_t height, bool interlaced) {
  Outcome outcome;
  outcome.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xEE);
  TMemoryStream stream(data);
  const TGIFWarningSink warn = [&](const std::string& message) { outcome.warnings.push_back(message); };
  try {
    outcome.result = decoder(stream, outcome.pixels, width, height, interlaced, warn);
  } catch (const GIFException& e) {
    outcome.error = e.Message();
  }
  outcome.position = stream.Position();
  return outcome;
}

std::string Encode(const std::vector<uint8_t>& pixels, int bits, int32_t width, int32_t height, bool runs) {
  TMemoryStream out;
  EncodeGIFPixels(out, runs ? 1 : 0, bits, 1 << bits, pixels.data(), false, height, width,
                  [](const std::string&) {});
  return out.DataString();
}

void ExpectSameOutcome(const std::string& data, int32_t width, int32_t height, bool interlaced) {
  const Outcome fast = Decode(DecodeGIFPixels, data, width, height, interlaced);
  const Outcome reference = Decode(DecodeGIFPixelsReference, data, width, height, interlaced);
  EXPECT_EQ(fast.error, reference.error);
  EXPECT_EQ(fast.warnings, reference.warnings);
  EXPECT_EQ(fast.result, reference.result);
  // After an error the caller rewinds the stream, so only a finished decode must agree on
  // where it left the stream.
  if (reference.error.empty()) {
    EXPECT_EQ(fast.position, reference.position);
  }
  EXPECT_TRUE(fast.pixels == reference.pixels);
}

TEST(GIFDecoderAgainstReference, ValidDamagedAndTruncatedDataDecodeAlike) {
  std::mt19937 rng(5103);
  for (int round = 0; round < 300; ++round) {
    const int bits = 1 + static_cast<int>(rng() % 8);
    const int32_t width = 1 + static_cast<int32_t>(rng() % 70);
    const int32_t height = 1 + static_cast<int32_t>(rng() % 40);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    uint8_t current = 0;
    const bool smooth = rng() % 2;
    for (auto& p : pixels) {
      if (!smooth || rng() % 9 == 0) current = static_cast<uint8_t>(rng() % (1u << bits));
      p = current;
    }
    const std::string data = Encode(pixels, bits, width, height, rng() % 4 == 0);
    // Decoded with its own size, with another size (the data ends early or too late), and
    // interlaced; then damaged by flipping bytes and by cutting it short.
    SCOPED_TRACE(testing::Message() << "round " << round);
    ExpectSameOutcome(data, width, height, false);
    ExpectSameOutcome(data, width + 3, height, round % 2 == 0);
    ExpectSameOutcome(data, std::max(1, width / 2), height, true);
    std::string damaged = data;
    for (int flips = 0; flips < 3; ++flips)
      damaged[1 + rng() % (damaged.size() - 1)] = static_cast<char>(rng());
    ExpectSameOutcome(damaged, width, height, false);
    ExpectSameOutcome(data.substr(0, 1 + rng() % data.size()), width, height, round % 3 == 0);
  }
}

TEST(GIFDecoderAgainstReference, NoiseAfterAnyMinimumCodeSizeDecodesAlike) {
  std::mt19937 rng(1011);
  for (int round = 0; round < 300; ++round) {
    std::string data(1, static_cast<char>(rng() % 13));
    const size_t blocks = rng() % 4;
    for (size_t b = 0; b < blocks; ++b) {
      const size_t length = rng() % 256;
      data += static_cast<char>(length);
      for (size_t i = 0; i < length; ++i) data += static_cast<char>(rng());
    }
    if (rng() % 2) data += '\0';
    data += "tail";
    SCOPED_TRACE(testing::Message() << "round " << round);
    ExpectSameOutcome(data, 1 + static_cast<int32_t>(rng() % 300), 1 + static_cast<int32_t>(rng() % 20),
                      rng() % 2);
  }
}

}  // namespace
