// The converter's own style sheet: the 17 text styles, 17 paragraph styles and 5 list
// styles that its viewer formats every rich-text part with, before an exam's styles are
// appended after the first 17 text and paragraph styles.
#pragma once

class TCustomImageList;
class TRVStyle;

/// Number of text and of paragraph styles the converter's sheet defines itself.
constexpr int RVMainStyleCount = 17;

/// Replaces the styles of `sheet` with the converter's: text, paragraph and list styles,
/// a tab of 4 spaces and the inactive selection colours. `bulletImages` is the image list of
/// the image-list bullets (may be null).
void RVBuildMainStyle(TRVStyle& sheet, TCustomImageList* bulletImages);
