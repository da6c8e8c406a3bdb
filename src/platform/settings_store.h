// The settings store: the program's per-user profile of sections and keys, as the
// framework's profile calls read and write it.
//
// The store is one INI file, "$XDG_CONFIG_HOME/Corvane/Corvane.ini" (or "~/.config/..."
// when XDG_CONFIG_HOME is not set), with each profile section as an INI group. Section and
// key names compare case-blind, as the registry's do. Numbers are stored as decimal text in
// the C locale. Every call opens the file afresh, so a changed XDG_CONFIG_HOME (as each test
// sets) is honoured and the calls are safe from any thread.
#pragma once

#include "platform/cstring.h"
#include "platform/win_types.h"

#include <string>

// The full path of the store's file, UTF-8.
std::string SettingsStorePath();

// The integer stored under section and key; defaultValue when it is missing or its text is
// not a whole decimal number.
int32_t GetProfileInt(const char16_t* section, const char16_t* key, int32_t defaultValue);

// The text stored under section and key; defaultValue (empty when null) when it is missing.
CString GetProfileString(const char16_t* section, const char16_t* key, const char16_t* defaultValue = nullptr);

// Stores an integer as its decimal text; TRUE when the store could be written.
BOOL WriteProfileInt(const char16_t* section, const char16_t* key, int32_t value);

// Stores text under section and key. A null value removes the key, and a null key removes
// the whole section. TRUE when the store could be written.
BOOL WriteProfileString(const char16_t* section, const char16_t* key, const char16_t* value);

// Reads a float stored as text: missing or empty text gives defaultValue, any other text its
// leading number in the C locale (0 when it does not start with one).
float GetProfileFloat(const char16_t* section, const char16_t* key, float defaultValue);

// Stores a float as its "%f" text.
void WriteProfileFloat(const char16_t* section, const char16_t* key, float value);
