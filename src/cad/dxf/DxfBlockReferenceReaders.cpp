// The readers of entities that show a block: INSERT, DIMENSION (its
// anonymous block) and ACAD_TABLE, and VIEWPORT (a view, not drawn).

#include "DxfEntityReader.h"
#include "DxfGroupValues.h"

#include <cmath>

namespace cad::dxf {

Geometry DxfEntityReader::readInsert(EntityGroups& in)
{
    InsertGeom insert;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        switch (g.code) {
        case 2: insert.block = nameId(g.value); break;
        case 10: setX(insert.insert, g); break;
        case 20: setY(insert.insert, g); break;
        case 41: insert.scaleX = g.toDouble(); break;
        case 42: insert.scaleY = g.toDouble(); break;
        case 50: insert.rotation = g.toDouble(); break;
        case 70: insert.columns = std::uint16_t(clampInt(g.toInt(), 1, 65535)); break;
        case 71: insert.rows = std::uint16_t(clampInt(g.toInt(), 1, 65535)); break;
        case 44: insert.columnSpacing = g.toDouble(); break;
        case 45: insert.rowSpacing = g.toDouble(); break;
        }
    }
    return insert;
}

Geometry DxfEntityReader::readDimension(EntityGroups& in)
{
    DimensionGeom d;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        switch (g.code) {
        case 2: d.block = nameId(g.value); break;
        case 10: setX(d.definitionPoint, g); break;
        case 20: setY(d.definitionPoint, g); break;
        case 11: setX(d.textMidPoint, g); break;
        case 21: setY(d.textMidPoint, g); break;
        case 1: d.text = m_text.decode(g.value); break;
        }
    }
    return d;
}

/// A table looks like its anonymous block, inserted at its point.
Geometry DxfEntityReader::readTable(EntityGroups& in)
{
    InsertGeom insert;
    QPointF direction;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        switch (g.code) {
        case 2: if (insert.block == kNoName) insert.block = nameId(g.value); break;
        case 10: setX(insert.insert, g); break;
        case 20: setY(insert.insert, g); break;
        case 11: setX(direction, g); break;
        case 21: setY(direction, g); break;
        }
    }
    if (!direction.isNull())
        insert.rotation = std::atan2(direction.y(), direction.x()) * 180 / kPi;
    return insert;
}

Geometry DxfEntityReader::readViewport(EntityGroups& in)
{
    ViewportGeom v;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        switch (g.code) {
        case 10: setX(v.center, g); break;
        case 20: setY(v.center, g); break;
        case 40: v.width = g.toDouble(); break;
        case 41: v.height = g.toDouble(); break;
        }
    }
    return v;
}

} // namespace cad::dxf
