// Conversions between the program's CString and Qt's QString at the widget boundary.
#pragma once

#include "app/string_table.h"
#include "platform/cstring.h"

#include <QString>

inline QString ToQString(const CString& text) { return QString::fromStdU16String(text.str()); }
inline CString ToCString(const QString& text) { return CString(text.toStdU16String()); }
// The operator text of resource number id in the chosen language.
inline QString ResText(uint32_t id) { return ToQString(LoadResString(id)); }
