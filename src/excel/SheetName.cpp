#include "SheetName.h"

#include <algorithm>

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

/// `name` with every character case-folded as a case-blind comparison folds
/// it: a pair of surrogates as one character, a lone surrogate as it is. Two
/// names compare equal ignoring case exactly when these are equal.
QString foldedCase(const QString& name)
{
    QString folded;
    folded.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            const char32_t wide = QChar::toCaseFolded(QChar::surrogateToUcs4(c, name.at(i + 1)));
            folded += QChar::fromUcs4(wide);
            ++i;
        } else {
            folded += c.toCaseFolded();
        }
    }
    return folded;
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
    return firstFreeSheetName(wanted, [&taken](const QString& candidate) { return !sheetNameTaken(candidate, taken); });
}

QString firstFreeSheetName(const QString& wanted, const std::function<bool(const QString&)>& isFree,
                           SheetNameClashes* clashes)
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

    if (isFree(base))
        return base;
    int* lastTaken = clashes ? &clashes->m_lastTaken[foldedCase(base)] : nullptr;
    for (int n = lastTaken ? std::max(2, *lastTaken + 1) : 2;; ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        QString stem = cutTo(base, kMaxSheetNameLength - int(suffix.size()));
        while (stem.endsWith(u'\''))
            stem.chop(1);
        if (isFree(stem + suffix)) {
            if (lastTaken)
                *lastTaken = n;
            return stem + suffix;
        }
    }
}

void SheetNameSet::add(const QString& name)
{
    ++m_uses[foldedCase(name)];
}

void SheetNameSet::remove(const QString& name)
{
    const auto it = m_uses.find(foldedCase(name));
    if (it != m_uses.end() && --*it == 0)
        m_uses.erase(it);
}

bool SheetNameSet::contains(const QString& name) const
{
    return m_uses.contains(foldedCase(name));
}

} // namespace excel
