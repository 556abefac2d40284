// Screen cursors: the cursor numbers controls and hyperlinks refer to (TCursor), their
// names in form resources, and the process-wide table that maps a number to a cursor image
// (filled by whoever registers a cursor, such as a rich-text style sheet for its jump cursor).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/core/Identifiers.h"

class TIcon;

/// A cursor number: the built-in cursors are 0 and below, application cursors above 0.
using TCursor = int16_t;

constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

/// Cursor names as form resources write them (crDefault ... crSizeAll).
TIdentMap CursorIdents();

/// Puts `image` into the screen cursor table under `cursor`, replacing what was there
/// (null removes the entry).
void SetScreenCursor(TCursor cursor, std::shared_ptr<const TIcon> image);
/// The image registered under `cursor`, or null.
std::shared_ptr<const TIcon> GetScreenCursor(TCursor cursor);
