#pragma once

// How a layer record travels on the bus: the structure (sbbbisisbb) with the
// fields in the record's order, Booleans as D-Bus Booleans.

#include "acad/LayerSnapshot.h"

#include <QDBusArgument>
#include <QList>
#include <QMetaType>

QDBusArgument& operator<<(QDBusArgument& argument, const acad::LayerSnapshot& record);
const QDBusArgument& operator>>(const QDBusArgument& argument, acad::LayerSnapshot& record);

Q_DECLARE_METATYPE(acad::LayerSnapshot)
