// Private to the platform layer: the locale name by which a Qt locale travels the input
// language's road. Nothing above the platform layer includes this file.
#pragma once

#include <QLocale>
#include <string>

/// "language_Script_TERRITORY" ("sr_Latn_RS"): the script stays in the name because it
/// decides the code page of a language written in more than one; empty for the C locale.
std::string InputLanguageNameOf(const QLocale& locale);
