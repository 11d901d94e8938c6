#include "SortedNames.h"

#include <QListWidget>

#include <algorithm>

namespace viewer {

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
