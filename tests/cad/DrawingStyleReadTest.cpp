// What the reader keeps of how a drawing looks: linetype patterns and scales,
// lineweights and their display switch, the pattern lines, island style and
// gradient colour of hatches, and MPOLYGON.

#include "cad/dxf/DxfLoader.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

using namespace cad;

dxf::LoadedDrawing drawing(const QStringList& header, const QStringList& tables, const QStringList& entities)
{
    QStringList all{"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1015"};
    all << header << "0" << "ENDSEC";
    all << "0" << "SECTION" << "2" << "TABLES" << tables << "0" << "ENDSEC";
    all << "0" << "SECTION" << "2" << "ENTITIES" << entities << "0" << "ENDSEC" << "0" << "EOF";
    return dxf::loadDxf(all.join('\n').toUtf8() + '\n');
}

} // namespace

TEST(DrawingStyleRead, LinetypePatternsScalesAndLineweights)
{
    const auto d = drawing({"9", "$LTSCALE", "40", "2.5", "9", "$LWDEFAULT", "370", "35", "9", "$LWDISPLAY", "290", "1"},
                           {"0", "TABLE", "2", "LTYPE", "70", "3",
                            "0", "LTYPE", "2", "Continuous", "70", "0", "3", "Solid", "72", "65", "73", "0", "40", "0",
                            "0", "LTYPE", "2", "DASHDOT", "70", "0", "72", "65", "73", "4", "40", "1.0",
                            "49", "0.5", "74", "0", "49", "-0.25", "74", "0", "49", "0", "74", "0", "49", "-0.25", "74", "0",
                            // a complex linetype: a text at the end of its first gap
                            "0", "LTYPE", "2", "GAS", "70", "0", "72", "65", "73", "3", "40", "1.0",
                            "49", "0.5", "74", "0", "49", "-0.2", "74", "2", "75", "0", "340", "11", "46", "0.1",
                            "50", "0", "44", "-0.1", "45", "-0.05", "9", "GAS", "49", "-0.3", "74", "0",
                            "0", "ENDTAB"},
                           {"0", "LINE", "8", "0", "6", "DASHDOT", "48", "0.5", "370", "50", "10", "0", "20", "0", "11", "1", "21", "0",
                            "0", "LINE", "8", "0", "6", "ByBlock", "370", "-2", "10", "0", "20", "0", "11", "1", "21", "0",
                            "0", "LWPOLYLINE", "8", "0", "90", "2", "70", "129", "10", "0", "20", "0", "10", "1", "20", "0"});
    const Drawing& dr = d.drawing;
    EXPECT_DOUBLE_EQ(dr.linetypeScale, 2.5);
    EXPECT_EQ(dr.defaultLineweight, 35);
    EXPECT_TRUE(dr.lineweightDisplay);
    ASSERT_EQ(dr.linetypes.size(), 3u);
    ASSERT_EQ(dr.linetypePatterns.size(), 3u);
    EXPECT_TRUE(dr.linetypePatterns[0].empty());
    EXPECT_EQ(dr.linetypePatterns[1].elements, (std::vector<double>{0.5, -0.25, 0, -0.25}));
    EXPECT_TRUE(dr.linetypePatterns[1].texts.empty());
    EXPECT_EQ(dr.linetypePatterns[2].elements, (std::vector<double>{0.5, -0.2, -0.3}));
    ASSERT_EQ(dr.linetypePatterns[2].texts.size(), 1u);
    const LinetypeText& gas = dr.linetypePatterns[2].texts[0];
    EXPECT_EQ(gas.text, "GAS");
    EXPECT_EQ(gas.element, 1u); // at the end of the first gap
    EXPECT_DOUBLE_EQ(gas.height, 0.1);
    EXPECT_EQ(gas.offset, QPointF(-0.1, -0.05));
    EXPECT_FALSE(gas.absolute);

    ASSERT_EQ(dr.entities.size(), 3u);
    EXPECT_EQ(dr.names.name(dr.entities[0].linetype), "DASHDOT");
    EXPECT_FLOAT_EQ(dr.entities[0].linetypeScale, 0.5f);
    EXPECT_EQ(dr.entities[0].lineweight, 50);
    EXPECT_EQ(dr.entities[1].lineweight, lineweight::kByBlock);
    EXPECT_EQ(dr.entities[1].linetype == kNoName ? QString() : dr.names.name(dr.entities[1].linetype), "ByBlock");
    const auto& polyline = std::get<PolylineGeom>(dr.entities[2].geometry);
    EXPECT_TRUE(polyline.closed);
    EXPECT_TRUE(polyline.continuousPattern);
}

TEST(DrawingStyleRead, HatchPatternLinesIslandStyleAndGradient)
{
    const QStringList square{"92", "1", "72", "0", "73", "1", "93", "4", "10", "0", "20", "0", "10", "10", "20", "0",
                             "10", "10", "20", "10", "10", "0", "20", "10", "97", "0"};
    QStringList hatch{"0", "HATCH", "8", "0", "2", "ANSI31", "70", "0", "91", "2"};
    hatch << square;
    hatch[11] = "3"; // flags: external, polyline
    hatch << "92" << "18" << "72" << "0" << "73" << "1" << "93" << "3" << "10" << "2" << "20" << "2" << "10" << "4"
          << "20" << "2" << "10" << "3" << "20" << "4" << "97" << "0";
    hatch << "75" << "1" << "76" << "1" << "52" << "45" << "41" << "1" << "77" << "0" << "78" << "2"
          << "53" << "45" << "43" << "0" << "44" << "0" << "45" << "-2.2" << "46" << "2.2" << "79" << "0"
          << "53" << "135" << "43" << "1" << "44" << "0.5" << "45" << "0" << "46" << "3" << "79" << "2" << "49"
          << "1.5" << "49" << "-0.5" << "98" << "0";
    const QStringList gradient{"0", "HATCH", "8", "0", "2", "SOLID", "70", "1", "91", "1",
                               "92", "1", "93", "1", "72", "1", "10", "0", "20", "0", "11", "1", "21", "0",
                               "97", "0", "75", "0", "76", "1", "98", "0", "450", "1", "451", "0", "452", "0",
                               "453", "2", "460", "0", "461", "0", "463", "0", "63", "5", "421", "16711680",
                               "463", "1", "63", "2", "421", "65280", "470", "LINEAR"};
    const QStringList mpolygon{"0", "MPOLYGON", "8", "0", "70", "1", "10", "0", "20", "0", "30", "0",
                               "2", "SOLID", "71", "1", "91", "1",
                               "92", "0", "72", "1", "73", "1", "93", "3", "10", "0", "20", "0", "42", "0",
                               "10", "5", "20", "0", "42", "0.5", "10", "5", "20", "5", "42", "0",
                               "75", "0", "76", "1", "63", "3", "11", "0", "21", "0", "99", "0"};
    const auto d = drawing({}, {}, hatch + gradient + mpolygon);
    ASSERT_EQ(d.drawing.entities.size(), 3u);
    const auto& h = std::get<HatchGeom>(d.drawing.entities[0].geometry);
    EXPECT_FALSE(h.solidFill);
    EXPECT_EQ(h.style, 1);
    ASSERT_EQ(h.loops.size(), 2u);
    EXPECT_EQ(h.loops[0].flags, 3);
    EXPECT_EQ(h.loops[1].flags, 18); // outermost, polyline
    ASSERT_EQ(h.patternLines.size(), 2u);
    EXPECT_DOUBLE_EQ(h.patternLines[0].angleDegrees, 45);
    EXPECT_EQ(h.patternLines[0].offset, QPointF(-2.2, 2.2));
    EXPECT_TRUE(h.patternLines[0].dashes.empty());
    EXPECT_EQ(h.patternLines[1].base, QPointF(1, 0.5));
    EXPECT_EQ(h.patternLines[1].dashes, (std::vector<double>{1.5, -0.5}));

    const auto& g = std::get<HatchGeom>(d.drawing.entities[1].geometry);
    EXPECT_TRUE(g.gradient);
    EXPECT_EQ(g.fillColour, 0xFF0000); // the first of the two colours
    EXPECT_EQ(g.fillColourIndex, 5);

    EXPECT_EQ(d.drawing.entities[2].type, EntityType::MPolygon);
    const auto& m = std::get<HatchGeom>(d.drawing.entities[2].geometry);
    EXPECT_TRUE(m.solidFill); // from group 71; its 70 is a version number
    EXPECT_EQ(m.fillColourIndex, 3);
    ASSERT_EQ(m.loops.size(), 1u);
    ASSERT_EQ(m.loops[0].vertices.size(), 3u);
    EXPECT_DOUBLE_EQ(m.loops[0].vertices[1].bulge, 0.5);
}

TEST(DrawingStyleRead, MirroredHatchMirrorsItsPatternLines)
{
    const auto d = drawing({}, {},
                           {"0", "HATCH", "8", "0", "2", "USER", "70", "0", "210", "0", "220", "0", "230", "-1", "91", "1",
                            "92", "3", "72", "0", "73", "1", "93", "3", "10", "0", "20", "0", "10", "1", "20", "0",
                            "10", "1", "20", "1", "97", "0", "75", "0", "76", "0", "52", "30", "41", "1", "77", "0",
                            "78", "1", "53", "30", "43", "2", "44", "1", "45", "0.5", "46", "1", "79", "0", "98", "0"});
    const auto& h = std::get<HatchGeom>(d.drawing.entities.at(0).geometry);
    ASSERT_EQ(h.patternLines.size(), 1u);
    EXPECT_DOUBLE_EQ(h.patternLines[0].angleDegrees, 150);
    EXPECT_EQ(h.patternLines[0].base, QPointF(-2, 1));
    EXPECT_EQ(h.patternLines[0].offset, QPointF(-0.5, 1));
    EXPECT_EQ(h.loops[0].vertices[1].pos, QPointF(-1, 0));
}
