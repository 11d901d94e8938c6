#pragma once

#include <QString>
#include <ostream>

/// Failure messages show texts as text, not as rows of bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
