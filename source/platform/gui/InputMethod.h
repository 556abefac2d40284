// What a control tells the input method and what it hears from it. When the user starts
// composing text the control receives WM_IME_STARTCOMPOSITION and may say where the
// composition is shown (the area and the caret) and in which font; when the input method
// commits text the control receives WM_IME_COMPOSITION with GCS_RESULTSTR and may take the
// text. Text that no control takes arrives as typed characters (WM_CHAR), one UTF-16 unit each.
// When the user switches the keyboard to another input language, the focused control receives
// WM_INPUTLANGCHANGE.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics/GraphicsTypes.h"

class TFont;
class TWinControl;

/// The keyboard's input language changed: WParam is the new language's character set,
/// LParam its language id.
constexpr uint32_t WM_INPUTLANGCHANGE = 0x0051;
/// Primary language of a language id (its low ten bits), e.g. LANG_KOREAN.
constexpr uint16_t PrimaryLangId(uint16_t LangId) {
  return LangId & 0x3FF;
}
constexpr uint16_t LANG_KOREAN = 0x12;

/// WM_IME_COMPOSITION's LParam bit: the input method has committed a result.
constexpr uint32_t GCS_RESULTSTR = 0x0800;

/// Where the input method shows the text being composed: Area bounds it and Caret is the
/// caret's rectangle, both in Control's client coordinates. Nothing without a window.
void SetCompositionForm(TWinControl& Control, const TRect& Area, const TRect& Caret);
/// The font the composition is shown in. Nothing without a window.
void SetCompositionFont(TWinControl& Control, const TFont& Font);
/// The form last set for Control; false when none was set.
bool GetCompositionForm(TWinControl& Control, TRect& Area, TRect& Caret);

/// The text just committed, while WM_IME_COMPOSITION with GCS_RESULTSTR is handled (empty
/// otherwise). Taking it keeps it from arriving again as typed characters.
std::u16string TakeCompositionResult();

/// The language id of the keyboard's input language (0x0409 English, 0x0412 Korean, ...), as
/// the input method reports it; 0 when its language has no id here.
uint16_t GetKeyboardLanguage();
/// The character set of the keyboard's code page (GetKeyboardCodePage; ANSI_CHARSET for 1252
/// and for a script no code page holds).
uint8_t GetKeyboardCharset();
