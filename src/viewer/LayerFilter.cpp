#include "LayerFilter.h"

#include "acad/LayerWildcard.h"

#include <QItemSelection>
#include <QListWidget>
#include <QSignalBlocker>

namespace viewer {

QString layerFilterPattern(const QString& typed)
{
    // A literal holds no wildcard character, so wrapping it needs no escapes.
    if (acad::LayerWildcard(typed).isLiteral())
        return QLatin1Char('*') + typed + QLatin1Char('*');
    return typed;
}

QList<int> matchingEntries(const QString& typed, const QStringList& names)
{
    QList<int> entries;
    if (typed.isEmpty())
        return entries;
    const acad::LayerWildcard wildcard(layerFilterPattern(typed));
    for (int i = 0; i < names.size(); ++i) {
        if (wildcard.matches(names[i]))
            entries.append(i);
    }
    return entries;
}

void selectMatchingEntries(QListWidget& list, const QString& typed)
{
    if (typed.isEmpty())
        return;
    QStringList names;
    names.reserve(list.count());
    for (int i = 0; i < list.count(); ++i)
        names.append(list.item(i)->text());
    const QList<int> entries = matchingEntries(typed, names);

    QItemSelection selection;
    for (int entry : entries) {
        const QModelIndex index = list.model()->index(entry, 0);
        selection.select(index, index);
    }
    {
        // One change, not one per entry: the list's handling recolours every
        // tile and must not run three hundred times for three hundred layers.
        const QSignalBlocker once(list);
        if (!entries.isEmpty())
            list.setCurrentRow(entries.first(), QItemSelectionModel::NoUpdate);
        list.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    emit list.itemSelectionChanged();
}

} // namespace viewer
