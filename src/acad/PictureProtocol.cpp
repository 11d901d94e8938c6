#include "PictureProtocol.h"

#include <QCryptographicHash>

namespace acad {
namespace {

bool isUnsafe(char16_t c)
{
    if (c < 0x20 || c == 0x7F)
        return true;
    switch (c) {
    case '/': case '\\': case '<': case '>': case ':': case '"': case '|':
    case '?': case '*': case '%':
        return true;
    default:
        return false;
    }
}

QString escaped(QChar c)
{
    QString out;
    for (unsigned char byte : QString(c).toUtf8())
        out += QStringLiteral("%%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    return out;
}

/// The number of UTF-16 units at the front of `text` whose UTF-8 form fits
/// in `maxBytes`, found in one pass (a character of a surrogate pair counts
/// two bytes a half; a lone half is written as three bytes, U+FFFD).
qsizetype utf8Prefix(const QString& text, qsizetype maxBytes)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        qsizetype width = c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
            width = 2;
        else if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(text[i - 1].unicode()))
            width = 2;
        if (bytes + width > maxBytes)
            return i;
        bytes += width;
    }
    return text.size();
}

} // namespace

QString pictureFileName(const QString& layerName)
{
    QString base;
    base.reserve(layerName.size());
    for (QChar c : layerName)
        base += isUnsafe(c.unicode()) ? escaped(c) : QString(c);

    // "." and ".." name folders; Windows drops a trailing dot or space.
    if (base == QLatin1String(".") || base == QLatin1String(".."))
        base = QString(base.size(), QLatin1Char('.')).replace(QLatin1String("."), QLatin1String("%2E"));
    while (!base.isEmpty() && (base.endsWith(QLatin1Char('.')) || base.endsWith(QLatin1Char(' ')))) {
        const QChar last = base.back();
        base.chop(1);
        base += escaped(last);
    }
    if (base.isEmpty())
        base = QStringLiteral("%00");

    constexpr int kMaxBytes = 240;
    if (base.toUtf8().size() > kMaxBytes) {
        const QByteArray hash = QCryptographicHash::hash(layerName.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
        QString cut = base.left(utf8Prefix(base, kMaxBytes - hash.size() - 1));
        if (!cut.isEmpty() && cut.back().isHighSurrogate())
            cut.chop(1);
        base = cut + QLatin1Char('~') + QString::fromLatin1(hash);
    }
    return base + QStringLiteral(".wmf");
}

// An empty folder (the program's folders could not be named) gives an empty
// path, never one at the root of the file system.
QString workFolderIn(const QString& parentFolder)
{
    return parentFolder.isEmpty() ? QString() : parentFolder + u'/' + kWorkFolderName;
}

QString systemFolderIn(const QString& workFolder)
{
    return workFolder.isEmpty() ? QString() : workFolder + u'/' + kSystemFolderName;
}

} // namespace acad
