#pragma once

#include "TextEncoding.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace app {

/// The text of a Windows private-profile (INI) file, read and changed the way
/// the platform's profile functions do it:
/// - "[section]" lines open sections; "key=value" lines hold values; section
///   and key names compare case-insensitively; the first match wins;
/// - names and values are trimmed of blanks; a value enclosed in matching
///   single or double quotes loses them; lines starting with ';' are comments;
/// - a change rewrites only the one line it touches (or adds one), so every
///   other line keeps its bytes, its encoding and its line ending.
/// The file's encoding is decided once from its bytes (UTF-8 or code page 932).
class PrivateProfile {
public:
    explicit PrivateProfile(const QByteArray& fileContent = {});

    /// The value of `key` in `section`, or nullopt when there is no such key.
    std::optional<QString> value(const QString& section, const QString& key) const;

    /// Sets `key` in `section` to `text`, adding the key (at the end of its
    /// section) or the section (at the end of the file) when missing.
    /// Refuses (false, nothing changed) names or text that would break the
    /// file's structure (line breaks, NUL, '=' in a key, ']' in a section,
    /// empty names), or text the file's encoding cannot hold.
    bool setValue(const QString& section, const QString& key, const QString& text);

    QByteArray content() const;

private:
    struct Line {
        QByteArray bytes;  // without its terminator
        QByteArray eol;    // "\r\n", "\n", "\r", or empty on a last line without one
    };
    struct Location {
        qsizetype sectionLine = -1;  // the section's header line
        qsizetype keyLine = -1;      // the key's line, when found
        qsizetype lastEntryLine = -1;  // last non-blank line of the section
    };

    Location locate(const QString& section, const QString& key) const;
    QString decoded(const Line& line) const;
    QByteArray defaultEol() const;

    QList<Line> m_lines;
    TextFileEncoding m_encoding;
    QByteArray m_bom;
};

/// The platform's integer reading of a profile value: leading blanks, an
/// optional sign, then decimal digits up to the first other character; no
/// digits give 0; values beyond 32 bits are clamped to INT32_MIN or
/// INT32_MAX, as the documented C library reads (atoi, strtol) do.
qint32 profileInteger(const QString& text);

} // namespace app
