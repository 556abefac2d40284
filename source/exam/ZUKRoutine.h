// The clean-up that turns the rich-text HTML writer's body markup into what the mobile exam
// player shows well: paragraphs made only of a non-breaking space become line breaks, font
// sizes and empty FONT wrappers go, and leading blanks after the opening tags of a line stay
// visible as non-breaking spaces.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Streams.h"

/// Splits `text` into lines; CR, LF and CR LF each end a line, and a last line without an end
/// counts when it is not empty.
std::vector<std::string> SplitHTMLLines(std::string_view text);

/// Applies the five clean-up rules to one line (case-insensitively): an empty DIV holding one
/// "&nbsp;" becomes "<BR>"; every "&nbsp;" becomes a blank; "<FONT size=N" loses its first
/// size digit and the attribute; a FONT element without attributes and without inner tags is
/// replaced by its content; blanks right after the line's leading tags become "&nbsp;" each.
std::string CleanUpHTMLLine(std::string_view line);

/// The HTML `text` cleaned line by line with CleanUpHTMLLine; every line ends with CR LF.
std::string CleanUpHTMLText(std::string_view text);
/// The same into `out`, which is emptied first; a caller that cleans many texts keeps the
/// string's memory from one to the next. `text` must not lie in `out`.
void CleanUpHTMLText(std::string_view text, std::string& out);

/// Rewrites the HTML in `html` with CleanUpHTMLText.
void CleanUpHTML(TStream& html);
