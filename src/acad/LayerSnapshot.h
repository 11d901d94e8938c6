#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace acad {

/// Booleans as the program stores and passes them: 16-bit, True = -1, False = 0.
using VbBool = qint16;
constexpr VbBool vbTrue = -1;
constexpr VbBool vbFalse = 0;
constexpr VbBool toVb(bool b) { return b ? vbTrue : vbFalse; }

/// A layer-name list: element 0 exists and stays empty; names occupy elements
/// 1 .. size() - 1, so size() - 1 is the number of names. Layer lists,
/// the linetype list and the names passed to the export all use it.
using NameList = QStringList;

/// A list with only the empty element 0.
inline NameList emptyNameList() { return NameList{QString()}; }
/// The number of names in a layer-name list (its upper bound).
inline qint32 nameCount(const NameList& list) { return list.isEmpty() ? 0 : qint32(list.size() - 1); }

/// One layer's properties as read from the host, fields in the host's order.
struct LayerSnapshot {
    QString sLayerName;
    VbBool bLayerOn = vbFalse;
    VbBool bAllViewportFreaze = vbFalse;
    VbBool bLock = vbFalse;
    qint32 lnColor = 0;
    QString sLineType;
    qint32 lnLineWeight = 0;
    QString sPlotStyleName;
    VbBool bPlottable = vbFalse;
    VbBool bNewViewportFreaze = vbFalse;
};

/// A layer's name and whether it is on, as the layer lists read them.
struct LayerOnState {
    QString name;
    bool on = false;
};

} // namespace acad
