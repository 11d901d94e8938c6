#include "SheetName.h"

namespace excel {
namespace {

bool isRefusedChar(QChar c)
{
    static const QString refused = QStringLiteral("[]:*?/\\");
    return refused.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7f;
}

/// `text` cut to at most `length` code units without splitting a surrogate pair.
QString cutTo(const QString& text, int length)
{
    if (text.size() <= length)
        return text;
    if (length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

} // namespace

QString sheetNameProblem(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("empty sheet name");
    if (name.size() > kMaxSheetNameLength)
        return QStringLiteral("sheet name longer than 31 characters");
    for (QChar c : name)
        if (isRefusedChar(c))
            return QStringLiteral("sheet name with one of []:*?/\\ or a control character");
    if (name.startsWith(u'\'') || name.endsWith(u'\''))
        return QStringLiteral("sheet name starting or ending with an apostrophe");
    return {};
}

bool sheetNameTaken(const QString& name, const QStringList& taken)
{
    return taken.contains(name, Qt::CaseInsensitive);
}

QString safeSheetName(const QString& wanted, const QStringList& taken)
{
    QString base;
    base.reserve(wanted.size());
    for (QChar c : wanted)
        base.append(isRefusedChar(c) ? QChar(u'_') : c);
    while (base.startsWith(u'\''))
        base.remove(0, 1);
    while (base.endsWith(u'\''))
        base.chop(1);
    if (base.isEmpty())
        base = QStringLiteral("Sheet");
    base = cutTo(base, kMaxSheetNameLength);
    // Cutting may leave an apostrophe at the end again.
    while (base.endsWith(u'\''))
        base.chop(1);

    QString candidate = base;
    for (int n = 2; sheetNameTaken(candidate, taken) || candidate.isEmpty(); ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        QString stem = cutTo(base, kMaxSheetNameLength - int(suffix.size()));
        while (stem.endsWith(u'\''))
            stem.chop(1);
        candidate = stem + suffix;
    }
    return candidate;
}

} // namespace excel
