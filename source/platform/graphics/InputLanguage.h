// The current input language: what the input method says the user types in, and the code
// page that 8-bit text typed in it is read with.
#pragma once

#include <cstdint>
#include <string>

/// The locale name of the input language ("ru_RU", "sr_Latn_RS"): the one the keyboard was
/// last switched to, else the input method's; the desktop's locale name as the environment
/// gives it when the input method names no language or only the desktop's; empty when none
/// is known.
std::string GetInputLanguageName();
/// Records the language the keyboard was switched to; empty goes back to the input method's.
void SetInputLanguageName(const std::string& name);
/// The default ANSI code page of the input language (LocaleAnsiCodePage): 0 for a language
/// that no ANSI code page writes (Hindi, Georgian, ...); the ANSI code page when the language
/// has no name.
uint32_t GetKeyboardCodePage();
