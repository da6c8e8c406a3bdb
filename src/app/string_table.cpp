// The operator texts of the program: the language's table, searched by resource number.
#include "app/string_table.h"

#include "app/string_entries.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<int32_t> g_language{kLanguageChinese};

// The text of id in table, or null.
const char16_t* Find(std::span<const StringEntry> table, uint32_t id)
{
    auto it = std::lower_bound(table.begin(), table.end(), id,
                               [](const StringEntry& e, uint32_t key) { return e.id < key; });
    return it != table.end() && it->id == id ? it->text : nullptr;
}

}  // namespace

void SetStringLanguage(int32_t language) { g_language.store(language); }

CString LoadResString(uint32_t id)
{
    const int32_t language = g_language.load();
    const std::span<const StringEntry> table = language == kLanguageChinese ? ChineseStrings()
                                               : language == kLanguageThai  ? ThaiStrings()
                                                                            : EnglishStrings();
    const char16_t* text = Find(table, id);
    if (!text) text = Find(ChineseStrings(), id);
    return text ? CString(text) : CString();
}
