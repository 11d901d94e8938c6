#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace app {

/// The two encodings the program's text files come in: UTF-8, or the
/// Japanese Windows code page 932 (Shift_JIS with Microsoft's extensions)
/// that files written on the original platform use.
enum class TextFileEncoding { Utf8, Cp932 };

/// True when `bytes` are valid UTF-8 throughout (plain ASCII is).
bool isValidUtf8(const QByteArray& bytes);

/// The encoding a file's bytes are read with: UTF-8 when they start with a
/// UTF-8 byte-order mark or are valid UTF-8, otherwise code page 932.
TextFileEncoding detectEncoding(const QByteArray& bytes);

/// Decodes a whole file's bytes by detectEncoding; a UTF-8 byte-order mark is
/// dropped. Bytes that code page 932 cannot map become U+FFFD.
QString decodeTextFile(const QByteArray& bytes);

/// Decodes a whole file's bytes: UTF-8 when they start with a UTF-8
/// byte-order mark (which is dropped), else `withoutBom`.
QString decodeTextFile(const QByteArray& bytes, TextFileEncoding withoutBom);

/// Decodes bytes known to be in `encoding` (no byte-order mark handling).
QString decodeText(const QByteArray& bytes, TextFileEncoding encoding);

/// Encodes text; nullopt when a character has no code in `encoding`, so that
/// nothing is ever written with characters silently replaced.
std::optional<QByteArray> encodeText(const QString& text, TextFileEncoding encoding);

} // namespace app
