// Bad input never crashes the reader: it loads what it can or refuses the
// file with a one-line message, and what it loads can be measured and saved.

#include "CadTestSupport.h"

#include "acad/AcadError.h"
#include "cad/CadDocument.h"
#include "cad/Extents.h"
#include "cad/dxf/DxfLayerWriter.h"
#include "cad/dxf/DxfLoader.h"
#include "cad/dxf/DxfTokenizer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using cad::dxf::DxfFormatError;
using cad::dxf::loadDxf;

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// Loads `bytes`; true when loaded, false when refused. Any other outcome
/// (crash, other exception) fails the test. A loaded drawing is measured and
/// saved with every layer changed, and the result must load again.
bool loadsOrRefuses(const QByteArray& bytes, std::string* message = nullptr)
{
    try {
        cad::dxf::LoadedDrawing d = loadDxf(bytes);
        (void)cad::modelExtents(d.drawing);
        auto changed = d.drawing.layers;
        for (auto& l : changed) { l.on = !l.on; l.locked = !l.locked; }
        (void)loadDxf(cad::dxf::patchLayers(bytes, d.source, d.drawing.layers, changed, d.drawing.clayer,
                                            QStringLiteral("x")));
        return true;
    } catch (const DxfFormatError& e) {
        if (message) *message = e.what();
        EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << "message must be one line";
        return false;
    }
}

QByteArray dxf(const QStringList& pairs)
{
    QByteArray out;
    for (const QString& line : pairs)
        out += line.toUtf8() + '\n';
    return out;
}

QByteArray layerEntry(const QString& name, int flags = 0, int color = 7)
{
    return dxf({"0", "LAYER", "2", name, "70", QString::number(flags), "62", QString::number(color), "6", "Continuous"});
}

QByteArray tables(const QByteArray& layers)
{
    return dxf({"0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "LAYER"}) + layers
        + dxf({"0", "ENDTAB", "0", "ENDSEC"});
}

TEST(DxfRobustness, GarbageAndBinaryFilesAreRefusedWithOneLine)
{
    std::string message;
    EXPECT_FALSE(loadsOrRefuses(QByteArray(), &message));
    EXPECT_FALSE(loadsOrRefuses("hello world\nthis is text\n", &message));
    EXPECT_FALSE(message.empty());
    EXPECT_FALSE(loadsOrRefuses(QByteArray("AutoCAD Binary DXF\r\n\x1a\0", 22) + QByteArray(100, '\x01'), &message));
    EXPECT_NE(message.find("binary"), std::string::npos);
    QRandomGenerator rng(42);
    for (int i = 0; i < 200; ++i) {
        QByteArray noise(int(rng.bounded(2000)), '\0');
        for (char& c : noise) c = char(rng.bounded(256));
        loadsOrRefuses(noise);
    }
}

TEST(DxfRobustness, EveryTruncationOfARealDrawingLoadsOrIsRefused)
{
    if (cadtest::samplesDir().isEmpty())
        GTEST_SKIP() << "KASANEMI_SAMPLES is not set: truncations were NOT checked";
    const QByteArray whole = fileBytes(cadtest::samplesDir() + "/ezdxf_small_r13_dos932.dxf");
    ASSERT_FALSE(whole.isEmpty());
    for (qsizetype cut = 0; cut < whole.size(); cut += 97)
        loadsOrRefuses(whole.left(cut));
    // A file cut after its tables keeps the layers read so far.
    const qsizetype blocks = whole.indexOf("BLOCKS");
    ASSERT_GT(blocks, 0);
    EXPECT_TRUE(loadsOrRefuses(whole.left(blocks)));
    EXPECT_EQ(loadDxf(whole.left(blocks)).drawing.layers.size(), 3u);
}

TEST(DxfRobustness, HugeAndUnreadableNumbersDoNotPoisonTheDrawing)
{
    const QByteArray text = tables(layerEntry("L", 99999999, -2147483648LL))
        + dxf({"0", "SECTION", "2", "ENTITIES",
               "0", "LINE", "8", "L", "10", "1e999", "20", "nan", "11", "1.5e308", "21", "-1.5e308",
               "0", "CIRCLE", "8", "L", "10", "abc", "20", "2", "40", "inf",
               "0", "LINE", "8", "L", "10", "1", "20", "2", "11", "3", "21", "4",
               "0", "LWPOLYLINE", "8", "L", "90", "99999999", "10", "1", "42", "1e300",
               "0", "INSERT", "8", "L", "2", "none", "70", "65535", "71", "65535", "44", "1e300",
               "0", "ENDSEC", "0", "EOF"});
    ASSERT_TRUE(loadsOrRefuses(text));
    const auto d = loadDxf(text);
    EXPECT_EQ(d.drawing.entities.size(), 5u);
    const auto box = cad::modelExtents(d.drawing);
    ASSERT_TRUE(box.has_value());
    EXPECT_TRUE(std::isfinite(box->left()) && std::isfinite(box->right()));
    EXPECT_TRUE(d.drawing.layers[0].frozen);
}

TEST(DxfRobustness, MissingSectionsDuplicatesAndControlCharacters)
{
    // Only entities: no header, no tables.
    const QByteArray onlyEntities = dxf({"0", "SECTION", "2", "ENTITIES", "0", "POINT", "10", "1", "20", "1",
                                         "0", "ENDSEC", "0", "EOF"});
    const auto a = loadDxf(onlyEntities);
    ASSERT_EQ(a.drawing.layers.size(), 1u); // layer "0", added as a CAD's recovery does
    EXPECT_EQ(a.drawing.layers[0].name, QStringLiteral("0"));
    ASSERT_EQ(a.drawing.entities.size(), 1u);
    EXPECT_EQ(a.drawing.names.name(a.drawing.entities[0].layer), QStringLiteral("0"));

    // Duplicate layer names stay as the table holds them; lookups take the first.
    const auto b = loadDxf(tables(layerEntry("A", 0, 1) + layerEntry("a", 1, 2)));
    ASSERT_EQ(b.drawing.layers.size(), 3u); // and "0" at the end
    EXPECT_EQ(b.drawing.findLayer(QStringLiteral("A")), 0);

    // A control character in a name survives decoding and saving.
    const auto c = loadDxf(tables(layerEntry(QStringLiteral("bad\x01name"))));
    ASSERT_EQ(c.drawing.layers.size(), 2u);
    EXPECT_EQ(c.drawing.layers[0].name, QStringLiteral("bad\x01name"));

    // Stray groups, an unknown section and no EOF.
    EXPECT_TRUE(loadsOrRefuses(dxf({"0", "SECTION", "2", "WHATEVER", "5", "x", "0", "ENDSEC",
                                   "0", "SECTION", "2", "ENTITIES", "0", "VERTEX", "0", "SEQEND",
                                   "0", "ATTRIB", "8", "x"})));
    // A group code that is not a number.
    std::string message;
    EXPECT_FALSE(loadsOrRefuses(dxf({"0", "SECTION", "2", "ENTITIES", "zero", "LINE"}), &message));
    EXPECT_NE(message.find("line 5"), std::string::npos) << message;
}

TEST(DxfRobustness, SelfInsertingBlocksAndHugeArraysStayCheap)
{
    const QByteArray text = dxf({"0", "SECTION", "2", "BLOCKS",
                                 "0", "BLOCK", "2", "LOOP", "10", "0", "20", "0",
                                 "0", "LINE", "10", "0", "20", "0", "11", "1", "21", "1",
                                 "0", "INSERT", "2", "loop", "10", "1", "20", "0",
                                 "0", "ENDBLK", "0", "ENDSEC",
                                 "0", "SECTION", "2", "ENTITIES",
                                 "0", "INSERT", "2", "LOOP", "10", "0", "20", "0",
                                 "70", "65535", "71", "65535", "44", "2", "45", "3",
                                 "0", "ENDSEC", "0", "EOF"});
    QElapsedTimer timer;
    timer.start();
    const auto d = loadDxf(text);
    const auto box = cad::modelExtents(d.drawing);
    EXPECT_LT(timer.elapsed(), 5000);
    ASSERT_TRUE(box.has_value());
    // The array's far corner cell reaches column 65534 × 2 and row 65534 × 3.
    EXPECT_GE(box->right(), 65534.0 * 2);
    EXPECT_GE(box->bottom(), 65534.0 * 3);
}

TEST(DxfRobustness, TenThousandLayersLoadAndCount)
{
    QByteArray layers;
    QByteArray entities;
    for (int i = 0; i < 10000; ++i) {
        layers += layerEntry(QStringLiteral("L%1").arg(i), i % 8, 1 + i % 255);
        entities += dxf({"0", "POINT", "8", QStringLiteral("L%1").arg(i), "10", "0", "20", "0"});
    }
    const QByteArray text = tables(layers) + dxf({"0", "SECTION", "2", "ENTITIES"}) + entities
        + dxf({"0", "ENDSEC", "0", "EOF"});
    QTemporaryDir dir;
    const QString path = dir.filePath("many.dxf");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    auto doc = cad::CadDocument::open(path);
    ASSERT_EQ(doc->layerCount(), 10001); // "0" added at the end
    EXPECT_EQ(doc->countOnLayers(QStringLiteral("L9999")), 1u);
    EXPECT_EQ(doc->countOnLayers(QStringLiteral("L1###")), 1000u);
    EXPECT_EQ(doc->countOnLayers(QStringLiteral("*")), 10000u);
}

TEST(DxfRobustness, DamagedSampleLoadsWithItsEntitiesOnLayerZero)
{
    if (cadtest::samplesDir().isEmpty())
        GTEST_SKIP() << "KASANEMI_SAMPLES is not set";
    auto doc = cad::CadDocument::open(cadtest::samplesDir() + "/ezdxf_recover01_damaged.dxf");
    EXPECT_EQ(doc->layerCount(), 1);
    EXPECT_EQ(doc->layer(0).name, QStringLiteral("0"));
    EXPECT_EQ(doc->countOnLayers(QStringLiteral("0")), 1504u);
}

TEST(DxfRobustness, UnreadableFilesAreReportedAsHostFailures)
{
    QTemporaryDir dir;
    try {
        cad::CadDocument::open(dir.filePath("missing.dxf"));
        FAIL() << "a missing file loaded";
    } catch (const acad::AcadError& e) {
        EXPECT_EQ(e.number(), acad::error::kHostFailure);
        EXPECT_TRUE(e.description().contains("missing.dxf"));
    }
}

TEST(DxfRobustness, InspectRefusesABadDrawingWithExitCodeTwo)
{
    const QString bin = qEnvironmentVariable("KASANEMI_BIN") + "/kasanemi-cad";
    QTemporaryDir dir;
    const QString bad = dir.filePath("bad.dxf");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a drawing\n\x01\x02\n");
    f.close();
    const auto r = cadtest::run(bin, {"--inspect", bad});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    const auto ok = cadtest::run(bin, {"--inspect", QStringLiteral(KASANEMI_CAD_TESTDATA "/layers_r2000.dxf")});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    const QJsonObject report = QJsonDocument::fromJson(ok.out).object();
    const QStringList keys{"clayer",    "codepage",  "counts", "extents", "layers",
                           "left_out", "linetypes", "total",  "version"};
    EXPECT_EQ(report.keys(), keys);
    EXPECT_EQ(report.value("total").toInt(), 5);
    EXPECT_TRUE(report.value("left_out").toArray().isEmpty());

    // What the reader leaves out is listed once a kind, with the reason.
    const auto solid = cadtest::run(bin, {"--inspect", QStringLiteral(KASANEMI_CAD_TESTDATA "/../corpus/pictures-as-written.dxf")});
    ASSERT_EQ(solid.exitCode, 0) << solid.err.toStdString();
    const QJsonArray leftOut = QJsonDocument::fromJson(solid.out).object().value("left_out").toArray();
    ASSERT_EQ(leftOut.size(), 1);
    EXPECT_EQ(leftOut[0].toObject().value("kind").toString(), "3DSOLID");
    EXPECT_EQ(leftOut[0].toObject().value("count").toInt(), 1);
    EXPECT_FALSE(leftOut[0].toObject().value("reason").toString().isEmpty());
}

TEST(DxfRobustness, KeptFuzzInputsLoadOrAreRefused)
{
    const QDir corpus(QStringLiteral(KASANEMI_CAD_TESTDATA "/../corpus"));
    for (const QString& name : corpus.entryList(QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        loadsOrRefuses(fileBytes(corpus.filePath(name)));
    }
}

} // namespace
