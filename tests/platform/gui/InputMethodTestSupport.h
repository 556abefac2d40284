// Delivers input-method text to a control's window the way the toolkit does, for tests of
// controls above the platform layer (they see no toolkit type).
#pragma once

#include <string>

class TWinControl;

namespace guitest {

/// Text being composed (not yet committed), shown by the control where it wants it.
void SendComposition(TWinControl& control, const std::u16string& preedit);
/// Text the input method commits.
void SendCommittedText(TWinControl& control, const std::u16string& text);
/// The user switches the keyboard to the input language of a locale ("ru_RU", "ko_KR").
void ChangeInputLanguage(const std::string& locale);

}  // namespace guitest
