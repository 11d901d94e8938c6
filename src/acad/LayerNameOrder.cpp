#include "LayerNameOrder.h"

namespace acad {

namespace {
/// What a word sort compares first: the name without hyphens and apostrophes.
QString wordSortKey(const QString& name)
{
    QString key = name;
    key.remove(QLatin1Char('-'));
    key.remove(QLatin1Char('\''));
    return key;
}
} // namespace

bool sortsBefore(const QString& a, const QString& b)
{
    const QString keyA = wordSortKey(a);
    const QString keyB = wordSortKey(b);
    const int folded = QString::compare(keyA, keyB, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    if (keyA != keyB)
        return keyA < keyB;
    return a < b;
}

} // namespace acad
