// Colour values: TColor holds either an RGB value (0x00BBGGRR), a system colour
// (0x80000000 + the system colour index), or one of the two special values clNone and
// clDefault. Graphics code resolves system colours through its fixed colour table.
#pragma once

#include <cstdint>

using TColor = int32_t;

// Makes a TColor from an unsigned 32-bit pattern (system colours have the top bit set).
constexpr TColor MakeColor(uint32_t bits) {
  return static_cast<TColor>(bits);
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = clSilver;
constexpr TColor clDkGray = clGray;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

/// The flag that marks a system colour; the low byte is the system colour index.
constexpr uint32_t clSystemColor = 0x80000000u;

constexpr TColor clScrollBar = MakeColor(clSystemColor | 0);
constexpr TColor clBackground = MakeColor(clSystemColor | 1);
constexpr TColor clActiveCaption = MakeColor(clSystemColor | 2);
constexpr TColor clInactiveCaption = MakeColor(clSystemColor | 3);
constexpr TColor clMenu = MakeColor(clSystemColor | 4);
constexpr TColor clWindow = MakeColor(clSystemColor | 5);
constexpr TColor clWindowFrame = MakeColor(clSystemColor | 6);
constexpr TColor clMenuText = MakeColor(clSystemColor | 7);
constexpr TColor clWindowText = MakeColor(clSystemColor | 8);
constexpr TColor clCaptionText = MakeColor(clSystemColor | 9);
constexpr TColor clActiveBorder = MakeColor(clSystemColor | 10);
constexpr TColor clInactiveBorder = MakeColor(clSystemColor | 11);
constexpr TColor clAppWorkSpace = MakeColor(clSystemColor | 12);
constexpr TColor clHighlight = MakeColor(clSystemColor | 13);
constexpr TColor clHighlightText = MakeColor(clSystemColor | 14);
constexpr TColor clBtnFace = MakeColor(clSystemColor | 15);
constexpr TColor clBtnShadow = MakeColor(clSystemColor | 16);
constexpr TColor clGrayText = MakeColor(clSystemColor | 17);
constexpr TColor clBtnText = MakeColor(clSystemColor | 18);
constexpr TColor clInactiveCaptionText = MakeColor(clSystemColor | 19);
constexpr TColor clBtnHighlight = MakeColor(clSystemColor | 20);
constexpr TColor cl3DDkShadow = MakeColor(clSystemColor | 21);
constexpr TColor cl3DLight = MakeColor(clSystemColor | 22);
constexpr TColor clInfoText = MakeColor(clSystemColor | 23);
constexpr TColor clInfoBk = MakeColor(clSystemColor | 24);
constexpr TColor clHotLight = MakeColor(clSystemColor | 26);
constexpr TColor clGradientActiveCaption = MakeColor(clSystemColor | 27);
constexpr TColor clGradientInactiveCaption = MakeColor(clSystemColor | 28);
constexpr TColor clMenuHighlight = MakeColor(clSystemColor | 29);
constexpr TColor clMenuBar = MakeColor(clSystemColor | 30);

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

/// True for a system colour (clScrollBar .. clMenuBar and any other index).
constexpr bool IsSystemColor(TColor color) {
  return (static_cast<uint32_t>(color) & clSystemColor) != 0;
}
