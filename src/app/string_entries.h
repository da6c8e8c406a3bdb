// The three tables of operator texts, each sorted by resource number (app/string_table_*.cpp).
#pragma once

#include <cstdint>
#include <span>

struct StringEntry {
    uint32_t id;
    const char16_t* text;
};

// True when every entry's number is above the one before it: sorted, and no number twice.
template <size_t N>
constexpr bool IsSortedByUniqueId(const StringEntry (&table)[N])
{
    for (size_t i = 1; i < N; ++i)
        if (table[i - 1].id >= table[i].id) return false;
    return true;
}

std::span<const StringEntry> ChineseStrings();
std::span<const StringEntry> EnglishStrings();
std::span<const StringEntry> ThaiStrings();
