// The settings store over a QSettings INI file, with the registry's case-blind names.
#include "platform/settings_store.h"

#include "platform/number_parse.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <charconv>
#include <cstdlib>

namespace {

QString ToQt(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }

CString FromQt(const QString& text)
{
    return CString(std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
}

// Finds the stored spelling of name among names, ignoring case; name itself when absent.
QString StoredName(const QStringList& names, const QString& name)
{
    for (const QString& n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
    return name;
}

// Opens the store; the folder is made when missing so that writes can succeed.
class Store {
public:
    Store() : settings_(QString::fromStdString(SettingsStorePath()), QSettings::IniFormat)
    {
        QDir().mkpath(QFileInfo(settings_.fileName()).absolutePath());
    }

    // Enters the group of section under its stored spelling.
    void EnterSection(const QString& section) { settings_.beginGroup(StoredName(settings_.childGroups(), section)); }
    QString KeyName(const QString& key) { return StoredName(settings_.childKeys(), key); }
    QSettings& settings() { return settings_; }

    // Writes the file now and reports whether that worked.
    BOOL Commit()
    {
        settings_.sync();
        return settings_.status() == QSettings::NoError ? TRUE : FALSE;
    }

private:
    QSettings settings_;
};

// Reads the text under section and key; false when the key is missing.
bool ReadText(const char16_t* section, const char16_t* key, QString& out)
{
    if (!section || !key) return false;
    Store store;
    store.EnterSection(ToQt(section));
    QString name = store.KeyName(ToQt(key));
    if (!store.settings().contains(name)) return false;
    QVariant value = store.settings().value(name);
    // An unquoted "a,b" in a hand-edited file reads as a list: take it back as its text.
    out = value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(',')) : value.toString();
    return true;
}

}  // namespace

std::string SettingsStorePath()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    return base + "/Corvane/Corvane.ini";
}

int32_t GetProfileInt(const char16_t* section, const char16_t* key, int32_t defaultValue)
{
    QString text;
    if (!ReadText(section, key, text)) return defaultValue;
    std::string ascii = text.trimmed().toStdString();
    int32_t value = 0;
    auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || end != ascii.data() + ascii.size() || ascii.empty()) return defaultValue;
    return value;
}

CString GetProfileString(const char16_t* section, const char16_t* key, const char16_t* defaultValue)
{
    QString text;
    if (!ReadText(section, key, text)) return CString(defaultValue ? defaultValue : u"");
    return FromQt(text);
}

BOOL WriteProfileInt(const char16_t* section, const char16_t* key, int32_t value)
{
    std::u16string text;
    for (char c : std::to_string(value)) text += static_cast<char16_t>(c);
    return WriteProfileString(section, key, text.c_str());
}

BOOL WriteProfileString(const char16_t* section, const char16_t* key, const char16_t* value)
{
    if (!section) return FALSE;
    Store store;
    if (!key) {
        store.settings().remove(StoredName(store.settings().childGroups(), ToQt(section)));
        return store.Commit();
    }
    store.EnterSection(ToQt(section));
    QString name = store.KeyName(ToQt(key));
    if (value)
        store.settings().setValue(name, ToQt(value));
    else
        store.settings().remove(name);
    store.settings().endGroup();
    return store.Commit();
}

float GetProfileFloat(const char16_t* section, const char16_t* key, float defaultValue)
{
    CString text = GetProfileString(section, key, u"");
    if (text.IsEmpty()) return defaultValue;
    return NarrowToFloat(CLocaleAtof(std::u16string_view(text.str())));
}

void WriteProfileFloat(const char16_t* section, const char16_t* key, float value)
{
    CString text;
    text.Format(u"%f", value);
    WriteProfileString(section, key, text.GetString());
}
