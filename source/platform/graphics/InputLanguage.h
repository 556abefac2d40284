// The current input language: what the input method says the user types in, and the code
// page that 8-bit text typed in it is read with.
#pragma once

#include <cstdint>
#include <string>

/// The locale name of the input method's language ("ru_RU"); the desktop's locale when the
/// input method does not name one; empty when neither names a language.
std::string GetInputLanguageName();
/// The code page of the input language, through the same locale table as the ANSI code page;
/// the ANSI code page when the language has no name.
uint32_t GetKeyboardCodePage();
