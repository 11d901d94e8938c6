#include "BusMarshalling.h"

QDBusArgument& operator<<(QDBusArgument& argument, const acad::LayerSnapshot& record)
{
    argument.beginStructure();
    argument << record.sLayerName << bool(record.bLayerOn) << bool(record.bAllViewportFreaze)
             << bool(record.bLock) << record.lnColor << record.sLineType << record.lnLineWeight
             << record.sPlotStyleName << bool(record.bPlottable) << bool(record.bNewViewportFreaze);
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, acad::LayerSnapshot& record)
{
    bool on = false, frozen = false, locked = false, plottable = false, newViewportFrozen = false;
    argument.beginStructure();
    argument >> record.sLayerName >> on >> frozen >> locked >> record.lnColor >> record.sLineType
        >> record.lnLineWeight >> record.sPlotStyleName >> plottable >> newViewportFrozen;
    argument.endStructure();
    record.bLayerOn = acad::toVb(on);
    record.bAllViewportFreaze = acad::toVb(frozen);
    record.bLock = acad::toVb(locked);
    record.bPlottable = acad::toVb(plottable);
    record.bNewViewportFreaze = acad::toVb(newViewportFrozen);
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const acad::LayerWrite& write)
{
    argument.beginStructure();
    argument << write.layer << acad::layerPropertyName(write.property) << QDBusVariant(write.value);
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, acad::LayerWrite& write)
{
    QString property;
    QDBusVariant value;
    argument.beginStructure();
    argument >> write.layer >> property >> value;
    argument.endStructure();
    write.property = acad::layerPropertyNamed(property);
    write.value = value.variant();
    return argument;
}
