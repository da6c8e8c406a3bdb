// Conversions between the program's CString and Qt's QString at the widget boundary.
#pragma once

#include "platform/cstring.h"

#include <QString>

inline QString ToQString(const CString& text) { return QString::fromStdU16String(text.str()); }
inline CString ToCString(const QString& text) { return CString(text.toStdU16String()); }
