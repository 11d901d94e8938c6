#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QListWidget;

namespace viewer {

/// The wildcard pattern the filter box matches layer names with: what the
/// user typed, read by the host's layer-name wildcard rules, except that a
/// plain word without any wildcard stands for every name that contains it.
QString layerFilterPattern(const QString& typed);

/// The positions (0-based) of the names that match `typed`, in order; none
/// for an empty text.
QList<int> matchingEntries(const QString& typed, const QStringList& names);

/// Selects exactly the entries of `list` whose names match `typed`, the first
/// of them becoming the current entry, in one change of the selection, so the
/// list's own handling runs once as after a selection by hand (the grid
/// scrolls to the current entry, the selected tiles get the selected look).
/// An empty text changes nothing.
void selectMatchingEntries(QListWidget& list, const QString& typed);

} // namespace viewer
