// The program's own picture resources, drawn in code and registered as embedded resources
// on first use: the bitmap "RV_BAD_PICTURE" (type "BITMAP", a packed DIB) shown in place of
// a picture that cannot be read, the hand cursor "RV_JUMP_CURSOR" (type "CURSOR", a CUR file
// with its hot spot) shown over hyperlinks, and the arrows "RV_SELECTROW_CURSOR" and
// "RV_SELECTCOL_CURSOR" for choosing table rows and columns.
#pragma once

#include <string>

class TIcon;

/// Registers the resources (once; later calls do nothing).
void RegisterGraphicResources();
/// Loads the cursor resource `name` (type "CURSOR") into `cursor`; EResNotFound when there
/// is none.
void LoadCursorResource(const std::string& name, TIcon& cursor);
