// The converter's language tables: the text resources ENGLISH_COMMON, ENGLISH_CONVERTER,
// RUSSIAN_COMMON and RUSSIAN_CONVERTER (type "TEXT") embedded in the program.
#pragma once

/// Registers the four language tables as resources; calling it again does nothing.
void RegisterLanguageTables();
