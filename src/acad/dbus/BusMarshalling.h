#pragma once

// How the structured types of the interface travel on the bus:
// - a layer record as (sbbbisisbb), the fields in the record's order,
//   Booleans as D-Bus Booleans;
// - a layer write as (ssv): the layer name, the property's member name
//   ("LayerOn", "Freeze", "Lock", "Linetype") and the value (a Boolean, or
//   the linetype name as text). A property name the host does not know
//   arrives as LayerProperty::Unknown and is refused as that write.

#include "acad/LayerSnapshot.h"
#include "acad/LayerWrites.h"

#include <QDBusArgument>
#include <QList>
#include <QMetaType>

QDBusArgument& operator<<(QDBusArgument& argument, const acad::LayerSnapshot& record);
const QDBusArgument& operator>>(const QDBusArgument& argument, acad::LayerSnapshot& record);

QDBusArgument& operator<<(QDBusArgument& argument, const acad::LayerWrite& write);
const QDBusArgument& operator>>(const QDBusArgument& argument, acad::LayerWrite& write);

Q_DECLARE_METATYPE(acad::LayerSnapshot)
Q_DECLARE_METATYPE(acad::LayerWrite)
