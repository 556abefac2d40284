// The option bits every document item carries in one byte. The text helpers read
// rvioTwoByteText to tell UTF-16 item text (two bytes a character, low byte first) from
// 8-bit text.
#pragma once

#include <cstdint>

using TRVItemOptions = uint8_t;

constexpr TRVItemOptions rvioJoinsPrevious = 0x01;  // continues the line and paragraph of the previous item
constexpr TRVItemOptions rvioPageBreak = 0x02;      // a page break precedes the item
constexpr TRVItemOptions rvioLineBreak = 0x04;      // starts a new line inside the paragraph
constexpr TRVItemOptions rvioTwoByteText = 0x08;    // the text is UTF-16 held in a byte string
