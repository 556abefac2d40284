// Small helpers the parts of the RTF reader share.
#pragma once

#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>

/// Rounds to the nearest integer, halves to even.
inline int32_t RVRTFRound(double Value) {
  return static_cast<int32_t>(std::nearbyint(Value));
}

/// The text without leading and trailing blanks and control characters.
inline std::string RVRTFTrim(const std::string& S) {
  size_t b = 0, e = S.size();
  while (b < e && static_cast<unsigned char>(S[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(S[e - 1]) <= ' ') --e;
  return S.substr(b, e - b);
}

/// ASCII lower case (font names compare without regard to case).
inline std::string RVRTFLowerCase(std::string S) {
  for (char& c : S) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return S;
}
