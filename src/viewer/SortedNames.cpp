#include "SortedNames.h"

#include <QListWidget>

#include <algorithm>

namespace viewer {

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

acad::NameList sortThroughList(QListWidget& sortList, const acad::NameList& names)
{
    // The names are sorted first and then added in order: the same result as
    // inserting each at its place, without a search per insertion.
    QStringList sorted = names.mid(1);
    std::stable_sort(sorted.begin(), sorted.end(), sortsBefore);
    sortList.clear();
    sortList.addItems(sorted);

    acad::NameList result = acad::emptyNameList();
    result.reserve(sortList.count() + 1);
    for (int p = 0; p < sortList.count(); ++p)
        result.append(sortList.item(p)->text());
    return result;
}

} // namespace viewer
