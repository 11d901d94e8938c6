// The inspector's report: its per-layer counts come out in the object's own
// key order whatever order the entities name their layers in, with the same
// values as counting layer by layer; and the report of a drawing whose
// entities are counted and measured as they are read is the report of the
// drawing read whole, byte for byte.

#include "CadTestSupport.h"

#include "cad/CadDocument.h"
#include "cad/Extents.h"
#include "cad/cli/DrawingReport.h"
#include "cad/dxf/DxfLoader.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// A drawing whose entities use `layerOfEach` in that order (one LINE each).
QByteArray drawingUsing(const QStringList& layerOfEach)
{
    QByteArray text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1021\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (const QString& layer : layerOfEach)
        text += "0\nLINE\n8\n" + layer.toUtf8() + "\n10\n0\n20\n0\n11\n1\n21\n1\n";
    return text + "0\nENDSEC\n0\nEOF\n";
}

TEST(DrawingReport, CountsKeepTheObjectsKeyOrderAndValues)
{
    // Out of order on purpose: Japanese before ASCII, case variants (counted
    // together, as a layer name is matched without case), a name outside
    // the basic plane, a digit-only name.
    const QStringList names = {QStringLiteral("壁"),     QStringLiteral("wall"), QStringLiteral("Z"),
                               QStringLiteral("WALL"),   QStringLiteral("10"),   QStringLiteral("𠮷野家"),
                               QStringLiteral("ｱｲｳ"),    QStringLiteral("0"),    QStringLiteral("A-DOOR 5"),
                               QStringLiteral("A-DOOR-5"), QStringLiteral("壁"), QStringLiteral("wall")};
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("order.dxf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(drawingUsing(names));
    file.close();

    const auto document = cad::CadDocument::open(path);
    const QJsonObject report = cad::cli::drawingReport(*document);

    // What inserting the counts in the entities' order gives.
    QJsonObject expected;
    for (const QString& name : names) {
        qint64 sameName = 0;
        for (const QString& other : names)
            sameName += other.compare(name, Qt::CaseInsensitive) == 0;
        expected.insert(name, sameName);
    }
    EXPECT_EQ(QJsonDocument(report.value(QStringLiteral("counts")).toObject()).toJson(QJsonDocument::Compact),
              QJsonDocument(expected).toJson(QJsonDocument::Compact));
    EXPECT_EQ(report.value(QStringLiteral("total")).toInteger(), names.size());
}

QByteArray compact(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

/// The report of the drawing at `path` read whole, and read as a stream.
void expectSameReportBothWays(const QString& path)
{
    SCOPED_TRACE(path.toStdString());
    const auto whole = cad::CadDocument::open(path);
    QString warning;
    const QJsonObject streamed = cad::cli::inspectDrawing(path, &warning);
    EXPECT_EQ(compact(streamed), compact(cad::cli::drawingReport(*whole)));
    EXPECT_EQ(warning, whole->loadWarning());
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    return path;
}

// An insert with attributes used before its block is defined (the entities
// section first), a paper-space line far away, one text at two heights, and
// a POLYLINE whose vertices end the section.
const QByteArray kEntitiesBeforeBlocks =
    "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
    "0\nSECTION\n2\nENTITIES\n"
    "0\nINSERT\n8\nA\n2\nblk\n10\n100\n20\n50\n66\n1\n"
    "0\nATTRIB\n8\nB\n10\n100\n20\n60\n40\n2.5\n1\nATTR-TEXT\n2\nTAG\n"
    "0\nSEQEND\n8\nA\n"
    "0\nLINE\n8\nC\n10\n0\n20\n0\n11\n1\n21\n1\n"
    "0\nLINE\n8\nP\n67\n1\n10\n-500\n20\n-500\n11\n1000\n21\n1000\n"
    "0\nMTEXT\n8\nT\n10\n5\n20\n5\n40\n2.5\n1\nAB\\PCD\n"
    "0\nMTEXT\n8\nt\n10\n5\n20\n5\n40\n10\n1\nAB\\PCD\n"
    "0\nPOLYLINE\n8\nD\n66\n1\n70\n0\n"
    "0\nVERTEX\n8\nD\n10\n-20\n20\n3\n"
    "0\nVERTEX\n8\nD\n10\n7\n20\n-30\n";

TEST(DrawingReport, AStreamedDrawingReportsAsTheDrawingReadWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray blocks = "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nBLK\n10\n0\n20\n0\n70\n2\n"
                              "0\nCIRCLE\n8\n0\n10\n0\n20\n0\n40\n25\n0\nENDBLK\n0\nENDSEC\n";
    const QString complete = writeFile(dir, QStringLiteral("complete.dxf"),
                                       kEntitiesBeforeBlocks + "0\nSEQEND\n0\nENDSEC\n" + blocks + "0\nEOF\n");
    // Cut inside the polyline's vertices: what was read still counts.
    const QString cut = writeFile(dir, QStringLiteral("cut.dxf"), kEntitiesBeforeBlocks);
    ASSERT_FALSE(complete.isEmpty());
    ASSERT_FALSE(cut.isEmpty());
    expectSameReportBothWays(complete);
    expectSameReportBothWays(cut);

    // What both agree on is what the drawing holds: every entity counted (a
    // name matched without case counts both spellings), the
    // paper-space line left out of the extents, the block's circle around
    // the insert (defined after it) and the polyline's last vertex in them.
    const QJsonObject report = cad::cli::inspectDrawing(complete);
    EXPECT_EQ(report.value(QStringLiteral("total")).toInteger(), 6);
    EXPECT_EQ(compact(report.value(QStringLiteral("counts")).toObject()),
              QByteArray(R"({"A":1,"C":1,"D":1,"P":1,"T":2,"t":2})"));
    const QJsonArray extents = report.value(QStringLiteral("extents")).toArray();
    ASSERT_EQ(extents.size(), 4);
    EXPECT_DOUBLE_EQ(extents[0].toDouble(), -20);
    EXPECT_DOUBLE_EQ(extents[1].toDouble(), -30);
    EXPECT_DOUBLE_EQ(extents[2].toDouble(), 125);
    EXPECT_DOUBLE_EQ(extents[3].toDouble(), 75);
    EXPECT_EQ(cad::cli::inspectDrawing(cut).value(QStringLiteral("total")).toInteger(), 6);
}

TEST(DrawingReport, EverySampleReportsAlikeStreamedOrReadWhole)
{
    const QString dir = cadtest::samplesDir();
    if (dir.isEmpty())
        GTEST_SKIP() << "KASANEMI_SAMPLES is not set: the shared sample drawings were NOT checked";
    int checked = 0;
    for (const QString& sub : {QStringLiteral("."), QStringLiteral("generated"), QStringLiteral("../dwg")}) {
        const QDir folder(dir + '/' + sub);
        for (const QString& name : folder.entryList({QStringLiteral("*.dxf"), QStringLiteral("*.dwg")}, QDir::Files)) {
            const QString path = folder.filePath(name);
            // A sample the reader refuses is refused alike both ways.
            const qint32 refused = cadtest::errorOf([&] { cad::CadDocument::open(path); });
            if (refused != 0) {
                EXPECT_EQ(cadtest::errorOf([&] { cad::cli::inspectDrawing(path); }), refused) << name.toStdString();
                continue;
            }
            expectSameReportBothWays(path);
            ++checked;
        }
    }
    EXPECT_GE(checked, 35) << "sample folder " << dir.toStdString() << " is missing or incomplete";
}

TEST(DrawingReport, EachMTextIsMeasuredAtItsOwnSizeWhenItsTextRepeats)
{
    // The extents keep one box per text and size: the same text at another
    // height, width, spacing or attachment is laid out again.
    const auto mtext = [](const char* groups) {
        return QByteArray("0\nMTEXT\n8\n0\n10\n0\n20\n0\n1\nlong words to wrap\\Pnext\n") + groups;
    };
    const QByteArray variants[] = {mtext("40\n2.5\n"), mtext("40\n9\n"), mtext("40\n2.5\n41\n3\n"),
                                   mtext("40\n2.5\n44\n3\n"), mtext("40\n2.5\n71\n9\n")};
    const auto extentsOf = [](const QByteArray& entities) {
        const auto loaded = cad::dxf::loadDxf("0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n");
        return cad::modelExtents(loaded.drawing);
    };
    for (const QByteArray& first : variants)
        for (const QByteArray& second : variants) {
            const auto alone = extentsOf(second);
            const auto together = extentsOf(first + second);
            ASSERT_TRUE(alone && together);
            EXPECT_EQ(*together, extentsOf(first)->united(*alone)) << first.toStdString() << second.toStdString();
        }
}

} // namespace
