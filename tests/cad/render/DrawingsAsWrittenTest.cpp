// Drawings written the way CAD programs write them, with what they state
// about colour, direction and order: solid hatches carrying an unused
// gradient record, hatch edges past 360 degrees and clockwise, MTEXT seen
// from below, multileader text frames, attributes with an xrecord of their
// own, a layer's true colour, gradients and the stored draw order.

#include "DrawingBuilder.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/PictureFrame.h"
#include "cad/render/RecordingBackend.h"
#include "cad/render/WmfBackend.h"
#include "metafile/WmfPicture.h"
#include "metafile/WmfWriter.h"

#include <QImage>
#include <QPainter>

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>

using cad::render::DrawingFrontend;
using cad::render::RecordingBackend;
using testing_render::DrawingBuilder;
using testing_render::dxfDrawing;
using testing_render::record;
using testing_render::shapes;

namespace {

constexpr QRgb red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF;

/// A square HATCH 0..10 on layer A (red), ByLayer, with the given groups
/// after its boundary (fill and gradient groups).
QStringList squareHatch(const QStringList& solidFlag, const QStringList& after, const QString& handle = "30")
{
    QStringList h{"0", "HATCH", "5", handle, "8", "A", "100", "AcDbHatch", "10", "0", "20", "0", "30", "0",
                  "210", "0", "220", "0", "230", "1", "2", "SOLID"};
    h << solidFlag << "71" << "0" << "91" << "1" << "92" << "3" << "72" << "0" << "73" << "1" << "93" << "4";
    for (const auto& [x, y] : {std::pair{"0", "0"}, {"10", "0"}, {"10", "10"}, {"0", "10"}})
        h << "10" << x << "20" << y;
    h << "97" << "0" << "75" << "0" << "76" << "1" << "98" << "0" << after;
    return h;
}

double shoelace(const std::vector<QPointF>& loop)
{
    double area = 0;
    for (size_t i = 0; i < loop.size(); ++i) {
        const QPointF a = loop[i], b = loop[(i + 1) % loop.size()];
        area += a.x() * b.y() - b.x() * a.y();
    }
    return std::abs(area) / 2;
}

} // namespace

TEST(DrawingsAsWritten, SolidHatchWithAnInactiveGradientRecordKeepsItsOwnColour)
{
    // CAD programs write every solid hatch with a gradient record whose
    // group 450 is 0; its colours (blue, yellow) are not the fill's.
    const QStringList inactive{"450", "0", "451", "0", "460", "0", "461", "0", "452", "0", "462", "1",
                               "453", "2", "463", "0", "63", "5", "421", "255",
                               "463", "1", "63", "2", "421", "16776960", "470", "LINEAR"};
    const auto all = record(dxfDrawing(squareHatch({"70", "1"}, inactive))).all();
    ASSERT_EQ(shapes<RecordingBackend::Fill>(all).size(), 1u);
    EXPECT_EQ(all.front().style.colour, red);
}

TEST(DrawingsAsWritten, ActiveGradientIsDrawnAsBandsFromItsFirstToItsSecondColour)
{
    const QStringList linear{"450", "1", "451", "0", "460", "0", "461", "0", "452", "0", "462", "1",
                             "453", "2", "463", "0", "63", "5", "421", "255",
                             "463", "1", "63", "3", "421", "65280", "470", "LINEAR"};
    const auto all = record(dxfDrawing(squareHatch({"70", "1"}, linear))).all();
    const auto fills = shapes<RecordingBackend::Fill>(all);
    ASSERT_GT(fills.size(), 8u);
    // Left to right (angle 0) from blue to green, covering the square once.
    EXPECT_GT(qBlue(all.front().style.colour), 200);
    EXPECT_LT(qGreen(all.front().style.colour), 60);
    EXPECT_GT(qGreen(all.back().style.colour), 200);
    double area = 0;
    for (const auto& fill : fills)
        for (const auto& loop : fill.loops)
            area += shoelace(loop);
    EXPECT_NEAR(area, 100, 0.5);
}

TEST(DrawingsAsWritten, HatchEdgesPast360DegreesAndClockwiseJoinInTheirOwnDirection)
{
    // A square whose lower side is a clockwise half ellipse (stored, as CAD
    // programs do, with its angles mirrored and past 360 degrees), and a
    // circle arc edge from 348.7 to 472.9 degrees closed by a chord.
    QStringList h{"0", "HATCH", "8", "A", "100", "AcDbHatch", "10", "0", "20", "0", "30", "0", "2", "SOLID",
                  "70", "1", "71", "0", "91", "2",
                  "92", "1", "93", "4",
                  "72", "1", "10", "-5", "20", "5", "11", "5", "21", "5",
                  "72", "1", "10", "5", "20", "5", "11", "5", "21", "0",
                  "72", "3", "10", "0", "20", "0", "11", "5", "21", "0", "40", "1", "50", "360", "51", "540",
                  "73", "0",
                  "72", "1", "10", "-5", "20", "0", "11", "-5", "21", "5", "97", "0",
                  "92", "1", "93", "2",
                  "72", "2", "10", "40", "20", "0", "40", "5", "50", "348.7", "51", "472.9", "73", "1",
                  "72", "1"};
    const double s = 348.7 * M_PI / 180, e = 472.9 * M_PI / 180;
    h << "10" << QString::number(40 + 5 * std::cos(e)) << "20" << QString::number(5 * std::sin(e)) << "11"
      << QString::number(40 + 5 * std::cos(s)) << "21" << QString::number(5 * std::sin(s)) << "97" << "0"
      << "75" << "0" << "76" << "1" << "98" << "0";
    const auto fills = shapes<RecordingBackend::Fill>(record(dxfDrawing(h)).all());
    ASSERT_EQ(fills.size(), 1u);
    ASSERT_EQ(fills[0].loops.size(), 2u);
    // Rectangle 10 x 5 and the half disc below it; a joined edge running
    // backwards would cross the square and take area away.
    EXPECT_NEAR(shoelace(fills[0].loops[0]), 50 + M_PI * 25 / 2, 0.1);
    const double sweep = e - s;
    EXPECT_NEAR(shoelace(fills[0].loops[1]), 25.0 / 2 * (sweep - std::sin(sweep)), 0.05);
}

TEST(DrawingsAsWritten, HatchEdgeAnglesOfAHostileFileEndTheirLoop)
{
    // An elliptic edge from 1e300 degrees: adding a turn at a time to its
    // end would never reach it (the reader once hung on this).
    const QStringList h{"0", "HATCH", "8", "A", "2", "SOLID", "70", "1", "91", "1", "92", "1", "93", "1",
                        "72", "3", "10", "0", "20", "0", "11", "5", "21", "0", "40", "0.5", "50", "1e300",
                        "51", "0", "73", "1", "97", "0", "75", "0", "76", "1", "98", "0"};
    const cad::Drawing d = dxfDrawing(h);
    ASSERT_EQ(d.entities.size(), 1u);
    EXPECT_FALSE(std::get<cad::HatchGeom>(d.entities[0].geometry).loops.empty());
}

TEST(DrawingsAsWritten, MTextSeenFromBelowIsMirroredAboutItsInsertionPoint)
{
    QStringList m{"0", "MTEXT", "8", "A", "100", "AcDbMText", "10", "10", "20", "0", "30", "0", "40", "2",
                  "41", "0", "71", "1", "1", "AB", "210", "0", "220", "0", "230", "-1"};
    const auto runs = shapes<cad::render::TextRun>(record(dxfDrawing(m)).all());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_TRUE(runs[0].mirrored);
    // The text runs from x = 10 towards -x, not over what lies right of it.
    EXPECT_NEAR(runs[0].position.x(), 10, 1e-9);
    EXPECT_NEAR(std::remainder(runs[0].rotationDegrees, 360), 0, 1e-9);
    // With a direction in world coordinates the text runs along it, mirrored.
    m << "11" << "0" << "21" << "1" << "31" << "0";
    const auto turned = shapes<cad::render::TextRun>(record(dxfDrawing(m)).all());
    ASSERT_EQ(turned.size(), 1u);
    EXPECT_TRUE(turned[0].mirrored);
    EXPECT_NEAR(std::remainder(turned[0].rotationDegrees, 360), -90, 1e-9);
}

TEST(DrawingsAsWritten, MultileaderTextFrameIsDrawnRoundItsText)
{
    const QStringList leader{"0", "MULTILEADER", "8", "B", "100", "AcDbMLeader", "300", "CONTEXT_DATA{",
                             "40", "1", "10", "10", "20", "10", "30", "0", "41", "2", "140", "2", "145", "0.5",
                             "290", "1", "304", "Note", "12", "12", "22", "10", "32", "0", "13", "1", "23", "0",
                             "33", "0", "42", "0", "43", "0", "171", "1", "301", "}", "340", "1A", "170", "1",
                             "172", "2", "292", "1"};
    const auto all = record(dxfDrawing(leader)).all();
    const auto runs = shapes<cad::render::TextRun>(all);
    ASSERT_EQ(runs.size(), 1u);
    const auto lines = shapes<RecordingBackend::Polyline>(all);
    ASSERT_EQ(lines.size(), 1u);
    // A closed box (written open with its first corner again, as closed polylines are).
    ASSERT_TRUE(lines[0].closed || lines[0].points.front() == lines[0].points.back());
    ASSERT_GE(lines[0].points.size(), 4u);
    QRectF box;
    for (const QPointF& p : lines[0].points)
        box |= QRectF(p, QSizeF(1e-9, 1e-9));
    // The frame clears the text's top left corner (12, 10) by the landing gap.
    EXPECT_NEAR(box.left(), 11.5, 1e-6);
    EXPECT_NEAR(box.bottom(), 10.5, 1e-6);
    EXPECT_TRUE(box.contains(runs[0].position));
    EXPECT_GT(box.width(), 2 * 2); // "Note" is wider than two text heights
}

TEST(DrawingsAsWritten, AttributeXrecordGroupsDoNotHideTheAttribute)
{
    const QStringList insert{"0", "INSERT", "8", "A", "66", "1", "2", "B1", "10", "0", "20", "0",
                             "0", "ATTRIB", "8", "A", "100", "AcDbText", "10", "1", "20", "1", "40", "1",
                             "1", "shown", "100", "AcDbAttribute", "280", "0", "2", "TAG", "70", "0",
                             "100", "AcDbXrecord", "280", "1", "70", "1",
                             "0", "ATTRIB", "8", "A", "100", "AcDbText", "10", "1", "20", "3", "40", "1",
                             "1", "hidden", "100", "AcDbAttribute", "2", "TAG2", "70", "1",
                             "0", "SEQEND"};
    const QStringList block{"0", "BLOCK", "2", "B1", "70", "2", "10", "0", "20", "0", "0", "ENDBLK"};
    const auto runs = shapes<cad::render::TextRun>(record(dxfDrawing(insert, block)).all());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, "shown");
}

TEST(DrawingsAsWritten, LayerTrueColourColoursItsByLayerEntities)
{
    QStringList layers = testing_render::standardLayers();
    layers << "0" << "LAYER" << "2" << "G" << "70" << "0" << "62" << "1" << "420" << "65280" << "6"
           << "Continuous";
    const QStringList lines{"0", "LINE", "8", "G", "10", "0", "20", "0", "11", "1", "21", "0",
                            "0", "LINE", "8", "G", "62", "5", "10", "0", "20", "1", "11", "1", "21", "1"};
    const auto all = record(dxfDrawing(lines, {}, {}, layers)).all();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].style.colour, green); // ByLayer: the layer's true colour, not its palette red
    EXPECT_EQ(all[1].style.colour, blue);  // its own colour wins
}

TEST(DrawingsAsWritten, WhiteInkIsBlackOnThePicture)
{
    // Colour 7, colour 255 and a white true colour would all vanish on the
    // white picture (and on a tile's light ground).
    const QStringList lines{"0", "LINE", "8", "0", "62", "7", "10", "0", "20", "0", "11", "1", "21", "0",
                            "0", "LINE", "8", "0", "62", "255", "10", "0", "20", "1", "11", "1", "21", "1",
                            "0", "LINE", "8", "0", "420", "16777215", "10", "0", "20", "2", "11", "1", "21", "2",
                            "0", "LINE", "8", "0", "62", "254", "10", "0", "20", "3", "11", "1", "21", "3"};
    const auto all = record(dxfDrawing(lines)).all();
    ASSERT_EQ(all.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(all[size_t(i)].style.colour, 0xFF000000u) << i;
    EXPECT_EQ(all[3].style.colour, qRgb(214, 214, 214)); // light grey stays itself
}

TEST(DrawingsAsWritten, StoredDrawOrderPutsOutlinesOverTheFill)
{
    // The outline comes first in the file; the sort table moves the fill
    // (handle 31) before it (sort handle 2F), as "send to back" does.
    QStringList entities{"0", "LWPOLYLINE", "5", "30", "330", "1F", "8", "A", "90", "4", "70", "1",
                         "10", "0", "20", "0", "10", "10", "20", "0", "10", "10", "20", "10", "10", "0", "20", "10"};
    QStringList hatch = squareHatch({"70", "1"}, {}, "31");
    hatch.insert(4, "330");
    hatch.insert(5, "1F");
    entities << hatch;
    const QStringList tables{"0", "TABLE", "2", "BLOCK_RECORD", "0", "BLOCK_RECORD", "5", "1F", "2",
                             "*Model_Space", "0", "ENDTAB"};
    const QStringList objects{"0", "SORTENTSTABLE", "5", "40", "330", "41", "100", "AcDbSortentsTable",
                              "330", "1F", "331", "31", "5", "2F"};
    // The block record table goes after the layer table; the helper ends it.
    QStringList layers = testing_render::standardLayers();
    layers << "0" << "ENDTAB" << tables.mid(0, tables.size() - 2);
    const auto all = record(dxfDrawing(entities, {}, objects, layers)).all();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<RecordingBackend::Fill>(all[0].shape));
    EXPECT_TRUE(std::holds_alternative<RecordingBackend::Polyline>(all[1].shape));
    // Without the table: file order.
    const auto unsorted = record(dxfDrawing(entities, {}, {}, layers)).all();
    ASSERT_EQ(unsorted.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<RecordingBackend::Polyline>(unsorted[0].shape));
}

TEST(DrawingsAsWritten, SymbolsNoCodePageHoldsAreDrawnAndEachScriptGetsItsCharacterSet)
{
    // The diameter sign, Hebrew and a Vietnamese letter in one text.
    DrawingBuilder b;
    cad::TextGeom t;
    t.text = QString::fromUtf8("∅80 שלום Ơ");
    t.height = 5;
    t.insert = {-40, 0};
    b.add(b.entity("0", t, cad::EntityType::Text));
    const auto frame = cad::render::PictureFrame::forWorld(QRectF(-50, -20, 100, 40));
    metafile::WmfWriter writer(frame.logical, frame.unitsPerInch);
    cad::render::WmfBackend backend(writer, frame);
    cad::render::DrawingFrontend(b.drawing(), frame.tolerance()).drawModelSpace(backend);
    const QByteArray bytes = writer.finish();
    // Hebrew in code page 1255, then Ơ in code page 1258; nothing left to '?'.
    EXPECT_TRUE(bytes.contains("\xF9\xEC\xE5\xED"));
    EXPECT_TRUE(bytes.contains("80 "));
    EXPECT_TRUE(bytes.contains("\xD5"));
    EXPECT_FALSE(bytes.contains("?80"));
    // The diameter sign is no character of any set: its glyph's outline
    // fills the first character's place (x -40 to -37, y 0 to 5: the frame
    // has a margin of 2% a side, 9.6 pixels a unit).
    const QImage image = testing_render::playedOnWhite(bytes, QSize(1000, 400));
    ASSERT_FALSE(image.isNull());
    int ink = 0;
    for (int y = 152; y < 200; ++y)
        for (int x = 115; x < 144; ++x)
            ink += qGray(image.pixel(x, y)) < 128;
    EXPECT_GT(ink, 20);
}

TEST(DrawingsAsWritten, WhatIsLeftOutIsNotedByKindOnce)
{
    const QStringList entities{"0", "3DSOLID", "8", "A", "0", "3DSOLID", "8", "A",
                               "0", "INSERT", "8", "A", "2", "MISSING", "10", "0", "20", "0"};
    const cad::Drawing d = dxfDrawing(entities);
    ASSERT_EQ(d.readNotes.entries().size(), 1u);
    EXPECT_EQ(d.readNotes.entries()[0].kind, "3DSOLID");
    EXPECT_EQ(d.readNotes.entries()[0].count, 2u);
    RecordingBackend recording;
    DrawingFrontend frontend(d, 0.001);
    frontend.drawModelSpace(recording);
    bool undefinedBlock = false;
    for (const auto& e : frontend.notes().entries())
        undefinedBlock |= e.kind == "INSERT" && e.reason.contains("MISSING");
    EXPECT_TRUE(undefinedBlock);
}
