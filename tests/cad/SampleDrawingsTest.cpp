// Every shared sample drawing, and drawings generated from a few seeds, must
// give the same layer table, linetypes, current layer and per-layer counts as
// the independent reader (ezdxf) reports, and model-space extents close to it.

#include "CadTestSupport.h"

#include "cad/CadDocument.h"
#include "cad/Extents.h"
#include "cad/cli/DrawingReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QJsonObject readJson(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

/// Compares our report of `dxfPath` with an oracle report; failures name the file.
void compareWithOracle(const QString& dxfPath, const QJsonObject& oracle, double extentsTolerance)
{
    SCOPED_TRACE(dxfPath.toStdString());
    std::unique_ptr<cad::CadDocument> doc;
    ASSERT_NO_THROW(doc = cad::CadDocument::open(dxfPath));
    const QJsonObject ours = cad::cli::drawingReport(*doc);

    for (const char* key : {"version", "codepage", "clayer"})
        EXPECT_EQ(ours.value(key), oracle.value(key)) << key;
    // A file without layer "0" or the linetype Continuous (the damaged
    // sample has no tables) gets them added at the end of its tables.
    QJsonArray ourLayers = ours.value("layers").toArray();
    const QJsonArray theirLayers = oracle.value("layers").toArray();
    QJsonArray ourLinetypes = ours.value("linetypes").toArray();
    const QJsonArray theirLinetypes = oracle.value("linetypes").toArray();
    if (ourLayers.size() == theirLayers.size() + 1 && ourLayers.last()["name"] == QStringLiteral("0"))
        ourLayers.removeLast();
    if (ourLinetypes.size() == theirLinetypes.size() + 1 && ourLinetypes.last() == QStringLiteral("Continuous"))
        ourLinetypes.removeLast();
    EXPECT_EQ(ourLinetypes, theirLinetypes);

    ASSERT_EQ(ourLayers.size(), theirLayers.size());
    for (qsizetype i = 0; i < ourLayers.size(); ++i)
        EXPECT_EQ(ourLayers[i].toObject(), theirLayers[i].toObject())
            << "layer " << i << ": " << QJsonDocument(ourLayers[i].toObject()).toJson().toStdString();

    // The oracle counts entities by the layer name they write; with no two
    // names differing only in case, Select by that exact name finds the same.
    EXPECT_EQ(ours.value("counts").toObject(), oracle.value("counts").toObject());
    EXPECT_EQ(ours.value("total").toInteger(), oracle.value("total").toInteger());

    // Where we measure differently on purpose: the oracle lays MTEXT out in
    // its columns (we take the reference width).
    const QString base = QFileInfo(dxfPath).completeBaseName();
    if (base == QLatin1String("ezdxf_columns_R2007"))
        return;
    const QJsonValue theirBox = oracle.value("extents");
    const QJsonValue ourBox = ours.value("extents");
    if (theirBox.isArray()) {
        ASSERT_TRUE(ourBox.isArray());
        const QJsonArray a = ourBox.toArray(), b = theirBox.toArray();
        const double size = std::max(b[2].toDouble() - b[0].toDouble(), b[3].toDouble() - b[1].toDouble());
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(a[k].toDouble(), b[k].toDouble(), extentsTolerance * size) << "extents[" << k << "]";
    }
}

TEST(SampleDrawings, AgreeWithTheIndependentReader)
{
    const QString dir = cadtest::samplesDir();
    if (dir.isEmpty())
        GTEST_SKIP() << "KASANEMI_SAMPLES is not set: the shared sample drawings were NOT checked";
    QStringList oracles;
    for (const QString& sub : {QString(), QStringLiteral("generated")})
        for (const QString& name : QDir(dir + '/' + sub).entryList({QStringLiteral("*.oracle.json")}, QDir::Files))
            oracles << QDir(dir + '/' + sub).filePath(name);
    ASSERT_GE(oracles.size(), 20) << "sample folder " << dir.toStdString() << " is missing or incomplete";
    for (const QString& oraclePath : oracles) {
        const QString dxf = oraclePath.chopped(int(QStringLiteral(".oracle.json").size())) + QStringLiteral(".dxf");
        // Extents: the oracle bounds curves by their Bézier control points and
        // texts by a rough font model, so allow a few percent of the size.
        compareWithOracle(dxf, readJson(oraclePath), 0.05);
    }
}

TEST(SampleDrawings, GeneratedDrawingsAgreeWithTheIndependentReader)
{
    const QString tools = cadtest::toolsDir();
    if (tools.isEmpty())
        GTEST_SKIP() << "KASANEMI_SHARED is not set: generated drawings were NOT checked";
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    struct Case { int seed; const char* version; int layers; int entities; };
    for (const Case& c : {Case{3, "R2000", 12, 300}, Case{4, "R2000", 20, 400}, Case{5, "R2018", 30, 500}}) {
        const QString out = scratch.filePath(QStringLiteral("gen_%1.dxf").arg(c.seed));
        const auto gen = cadtest::run(cadtest::python(),
                                      {tools + "/gen_dxf.py", "--layers", QString::number(c.layers), "--entities",
                                       QString::number(c.entities), "--seed", QString::number(c.seed),
                                       "--version", c.version, "--out", out});
        ASSERT_EQ(gen.exitCode, 0) << gen.err.toStdString();
        const auto oracle = cadtest::run(cadtest::python(), {tools + "/dxf_oracle.py", out});
        ASSERT_EQ(oracle.exitCode, 0) << oracle.err.toStdString();
        compareWithOracle(out, QJsonDocument::fromJson(oracle.out).object(), 0.05);
    }
}

} // namespace
