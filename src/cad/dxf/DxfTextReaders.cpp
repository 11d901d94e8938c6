// The readers of text: TEXT, ATTRIB (with appendAttribute, which hangs it on
// its INSERT), ATTDEF and MTEXT.

#include "DxfEntityReader.h"
#include "DxfGroupValues.h"

#include <cmath>

namespace cad::dxf {

namespace {

/// Group codes belong to the subclass they appear in: an attribute of R2018
/// carries an AcDbXrecord whose own groups (70 among them) say nothing about
/// the text.
class SubclassFilter {
public:
    bool textGroup(const Group& g)
    {
        if (g.code == 100)
            m_inXrecord = trimmedName(g.value) == "AcDbXrecord";
        return !m_inXrecord;
    }

private:
    bool m_inXrecord = false;
};

} // namespace

TextGeom DxfEntityReader::readTextGeom(const EntityGroups& in, bool attribute)
{
    TextGeom t;
    SubclassFilter filter;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        if (!filter.textGroup(g))
            continue;
        switch (g.code) {
        case 10: setX(t.insert, g); break;
        case 20: setY(t.insert, g); break;
        case 11: setX(t.alignPoint, g); break;
        case 21: setY(t.alignPoint, g); break;
        case 40: t.height = g.toDouble(); break;
        case 41: t.widthFactor = g.toDouble(); break;
        case 50: t.rotation = g.toDouble(); break;
        case 51: t.oblique = std::isfinite(g.toDouble()) ? std::clamp(g.toDouble(), -85.0, 85.0) : 0; break;
        case 71: t.generation = std::int8_t(g.toInt() & 6); break;
        case 72: t.hAlign = std::int8_t(clampInt(g.toInt(), 0, 5)); break;
        // ATTRIB and ATTDEF keep their vertical alignment in group 74, TEXT in 73.
        case 73: if (!attribute) t.vAlign = std::int8_t(clampInt(g.toInt(), 0, 3)); break;
        case 74: if (attribute) t.vAlign = std::int8_t(clampInt(g.toInt(), 0, 3)); break;
        case 1: t.text = m_text.decode(g.value); break;
        }
    }
    return t;
}

Geometry DxfEntityReader::readText(EntityGroups& in)
{
    return readTextGeom(in, false);
}

Geometry DxfEntityReader::readAttribute(EntityGroups& in)
{
    return readTextGeom(in, true);
}

Geometry DxfEntityReader::readAttributeDefinition(EntityGroups& in)
{
    TextGeom t = readTextGeom(in, true);
    // A definition shows its tag.
    for (const Group& g : in.all)
        if (g.code == 2) { t.text = m_text.decode(g.value); break; }
    return t;
}

void DxfEntityReader::appendAttribute(Entity& insert, const std::vector<Group>& gs)
{
    SubclassFilter filter;
    for (size_t i = 1; i < gs.size(); ++i)
        if (filter.textGroup(gs[i]) && gs[i].code == 70 && (gs[i].toInt() & 1))
            return; // invisible attribute
    if (!insert.attributes)
        insert.attributes = std::make_shared<AttributeList>();
    insert.attributes->push_back(read(gs));
}

Geometry DxfEntityReader::readMText(EntityGroups& in)
{
    MTextGeom m;
    QByteArray raw;
    bool hasDirection = false;
    QPointF direction;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        switch (g.code) {
        case 10: setX(m.insert, g); break;
        case 20: setY(m.insert, g); break;
        case 11: setX(direction, g); hasDirection = true; break;
        case 21: setY(direction, g); break;
        case 40: m.height = g.toDouble(); break;
        case 41: m.width = g.toDouble(); break;
        case 50: m.rotation = g.toDouble(); break;
        case 71: m.attachment = std::int8_t(clampInt(g.toInt(), 1, 9)); break;
        case 1: case 3: raw.append(g.value.data(), qsizetype(g.value.size())); break;
        case 230: m.mirrored = g.toDouble() < 0; break;
        }
    }
    // The insertion point and the direction are in world coordinates; the
    // rotation is in the object coordinate system, whose x runs along -X
    // when it is seen from below. Either way a text seen from below is
    // mirrored, and its frame is built mirrored (mtextFrame).
    if (hasDirection && (direction.x() != 0 || direction.y() != 0)) {
        const double degrees = std::atan2(direction.y(), direction.x()) * 180 / kPi;
        m.rotation = m.mirrored ? 180 - degrees : degrees;
    }
    m.text = m_text.decode(std::string_view(raw.constData(), size_t(raw.size())));
    return m;
}

} // namespace cad::dxf
