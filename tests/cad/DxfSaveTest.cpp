// Saving writes back only the changed layer entries and $CLAYER: another
// reader (ezdxf) sees the new states, and every other byte stays as it was.

#include "CadTestSupport.h"

#include "acad/AcadError.h"
#include "cad/CadDocument.h"
#include "cad/dxf/DxfLoader.h"
#include "cad/dxf/DxfText.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// The bytes with the given layer entries and the $CLAYER value cut out.
QByteArray withoutLayerEntries(const QString& path, const std::vector<int>& layers)
{
    const cad::dxf::LoadedDrawing loaded = cad::dxf::loadDxfFile(path);
    const QByteArray bytes = readAll(path);
    std::vector<std::pair<qsizetype, qsizetype>> cuts;
    for (int i : layers)
        cuts.emplace_back(loaded.source.layerEntries[size_t(i)].begin, loaded.source.layerEntries[size_t(i)].end);
    if (loaded.source.clayerValue)
        cuts.emplace_back(loaded.source.clayerValue->valueBegin, loaded.source.clayerValue->valueEnd);
    std::sort(cuts.begin(), cuts.end());
    QByteArray out;
    qsizetype pos = 0;
    for (const auto& [b, e] : cuts) {
        out += bytes.mid(pos, b - pos);
        pos = e;
    }
    return out + bytes.mid(pos);
}

/// Layer states as ezdxf reads them: name -> [on, frozen, locked, linetype], plus $CLAYER.
QJsonObject ezdxfView(const QString& path)
{
    const char* script = R"(
import json, sys
from ezdxf import recover
doc, auditor = recover.readfile(sys.argv[1])
out = {"clayer": doc.header.get("$CLAYER"), "layers": {}}
for l in doc.layers:
    out["layers"][l.dxf.name] = [l.is_on(), l.is_frozen(), l.is_locked(), l.dxf.linetype]
print(json.dumps(out))
)";
    const auto r = cadtest::run(cadtest::python(), {QStringLiteral("-c"), QString::fromUtf8(script), path});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return QJsonDocument::fromJson(r.out).object();
}

class DxfSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        if (cadtest::samplesDir().isEmpty())
            GTEST_SKIP() << "KASANEMI_SAMPLES is not set: saving was NOT checked against the samples";
    }
    QString copyOf(const QString& sample)
    {
        const QString path = dir.filePath(QFileInfo(sample).fileName());
        EXPECT_TRUE(QFile::copy(cadtest::samplesDir() + '/' + sample, path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(DxfSave, ChangedLayersReachAnotherReaderAndNothingElseChanges)
{
    // Shift_JIS names, R2000: every change must be re-encoded in CP932.
    const QString path = copyOf(QStringLiteral("generated/gen_50L_5k_R2000.dxf"));
    const QByteArray before = readAll(path);
    auto doc = cad::CadDocument::open(path);
    const int n = doc->layerCount();
    ASSERT_GT(n, 10);
    // Pick layers by position, passing over the current one (it cannot be
    // frozen); remember which ones change.
    std::vector<int> picks;
    for (int i = 2; int(picks.size()) < 5; ++i)
        if (i != doc->currentLayer())
            picks.push_back(i);
    const int off = picks[0], frozen = picks[1], locked = picks[2], retyped = picks[3], current = picks[4];
    const int oldCurrent = doc->currentLayer();
    doc->setLayerOn(off, !doc->layer(off).on);
    doc->setLayerFrozen(frozen, !doc->layer(frozen).frozen);
    doc->setLayerLocked(locked, !doc->layer(locked).locked);
    const QString newType = doc->layer(retyped).linetype.compare(QLatin1String("DASHED"), Qt::CaseInsensitive) == 0
        ? QStringLiteral("Continuous") : QStringLiteral("DASHED");
    doc->setLayerLinetype(retyped, newType);
    if (doc->layer(current).frozen)
        doc->setLayerFrozen(current, false);
    doc->setCurrentLayer(current);
    const std::vector<cad::LayerRecord> expected(doc->drawing().layers);
    const QString expectedClayer = doc->layer(current).name;
    ASSERT_NO_THROW(doc->save());

    const QJsonObject view = ezdxfView(path);
    EXPECT_EQ(view.value("clayer").toString(), expectedClayer);
    const QJsonObject layers = view.value("layers").toObject();
    for (const cad::LayerRecord& l : expected) {
        SCOPED_TRACE(l.name.toStdString());
        const QJsonArray s = layers.value(l.name).toArray();
        ASSERT_EQ(s.size(), 4);
        EXPECT_EQ(s[0].toBool(), l.on);
        EXPECT_EQ(s[1].toBool(), l.frozen);
        EXPECT_EQ(s[2].toBool(), l.locked);
        EXPECT_EQ(s[3].toString().compare(l.linetype, Qt::CaseInsensitive), 0);
    }

    // Outside the changed entries and the $CLAYER value, byte for byte the same.
    const QString original = dir.filePath(QStringLiteral("original.dxf"));
    QFile o(original);
    ASSERT_TRUE(o.open(QIODevice::WriteOnly));
    o.write(before);
    o.close();
    std::vector<int> changed{off, frozen, locked, retyped, current, oldCurrent};
    EXPECT_EQ(withoutLayerEntries(path, changed), withoutLayerEntries(original, changed));

    // And our own reader gives back exactly what was saved.
    auto again = cad::CadDocument::open(path);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(again->layer(i).name, expected[size_t(i)].name);
        EXPECT_EQ(again->layer(i).on, expected[size_t(i)].on);
        EXPECT_EQ(again->layer(i).frozen, expected[size_t(i)].frozen);
        EXPECT_EQ(again->layer(i).locked, expected[size_t(i)].locked);
        EXPECT_EQ(again->layer(i).linetype, expected[size_t(i)].linetype);
        EXPECT_EQ(again->layer(i).color, expected[size_t(i)].color);
    }
}

TEST_F(DxfSave, UnchangedDrawingSavesToTheSameBytes)
{
    const QString path = copyOf(QStringLiteral("netdxf_sample_R2018_crlf.dxf"));
    const QByteArray before = readAll(path);
    auto doc = cad::CadDocument::open(path);
    doc->setLayerOn(1, !doc->layer(1).on);
    doc->setLayerOn(1, !doc->layer(1).on); // changed and changed back
    doc->save();
    EXPECT_EQ(readAll(path), before);
}

TEST_F(DxfSave, R12PaddedValuesKeepTheirShape)
{
    const QString path = copyOf(QStringLiteral("libredwg_example_r12.dxf"));
    auto doc = cad::CadDocument::open(path);
    doc->setLayerOn(1, false);
    doc->setLayerLocked(1, true);
    doc->save();
    const QJsonObject view = ezdxfView(path);
    const QJsonArray s = view.value("layers").toObject().value(doc->layer(1).name).toArray();
    ASSERT_EQ(s.size(), 4);
    EXPECT_FALSE(s[0].toBool());
    EXPECT_TRUE(s[2].toBool());
}

TEST_F(DxfSave, AFileChangedOnDiskIsNotOverwrittenUnlessForced)
{
    const QString path = copyOf(QStringLiteral("qcad_layer_blue_off.dxf"));
    auto doc = cad::CadDocument::open(path);
    doc->setLayerOn(2, true);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("999\r\nedited by someone else\r\n");
    }
    const QByteArray theirs = readAll(path);
    try {
        doc->save();
        FAIL() << "save overwrote a file changed on disk";
    } catch (const acad::AcadError& e) {
        EXPECT_EQ(e.number(), acad::error::kHostFailure);
    }
    EXPECT_EQ(readAll(path), theirs);
    doc->save(true);
    EXPECT_TRUE(cad::CadDocument::open(path)->layer(2).on);
}

TEST_F(DxfSave, SaveAsWritesANewFileAndLeavesTheOriginal)
{
    const QString path = copyOf(QStringLiteral("qcad_layer_0_frozen.dxf"));
    const QByteArray before = readAll(path);
    auto doc = cad::CadDocument::open(path);
    doc->setLayerFrozen(0, false);
    const QString copy = dir.filePath(QStringLiteral("copy.dxf"));
    doc->saveAs(copy);
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(doc->fullName(), QFileInfo(copy).absoluteFilePath());
    EXPECT_FALSE(cad::CadDocument::open(copy)->layer(0).frozen);
}

TEST(DxfSaveNew, ANewDrawingSavedAsIsReadableByAnotherReader)
{
    QTemporaryDir dir;
    cad::CadDocument doc;
    doc.setLayerLocked(0, true);
    const QString path = dir.filePath(QStringLiteral("新規.dxf"));
    doc.saveAs(path);
    const QJsonObject view = ezdxfView(path);
    EXPECT_EQ(view.value("clayer").toString(), QStringLiteral("0"));
    EXPECT_TRUE(view.value("layers").toObject().value("0").toArray()[2].toBool());
    EXPECT_EQ(doc.name(), QStringLiteral("新規.dxf"));
}

TEST(DxfText, NamesRoundTripThroughTheFileEncoding)
{
    cad::dxf::DxfText sjis(cad::dxf::encodingFor(QStringLiteral("AC1015"), QStringLiteral("ANSI_932")));
    EXPECT_EQ(sjis.encoding(), QByteArray("CP932"));
    for (const QString& name : {QStringLiteral("壁"), QStringLiteral("設備-電気"), QStringLiteral("Ätzung"),
                                QStringLiteral("한국"), QStringLiteral("a\\U+b"), QStringLiteral("tab\there")}) {
        const QByteArray bytes = sjis.encode(name);
        EXPECT_FALSE(bytes.contains('\n'));
        EXPECT_FALSE(bytes.contains('\t'));
        EXPECT_EQ(sjis.decode(std::string_view(bytes.constData(), size_t(bytes.size()))), name);
    }
    // Hangul is not in CP932: written as an escape, never as '?'.
    EXPECT_TRUE(sjis.encode(QStringLiteral("한")).startsWith("\\U+"));
    cad::dxf::DxfText utf8(cad::dxf::encodingFor(QStringLiteral("AC1032"), QStringLiteral("ANSI_932")));
    EXPECT_EQ(utf8.encode(QStringLiteral("壁")), QStringLiteral("壁").toUtf8());
    EXPECT_EQ(cad::dxf::encodingFor(QStringLiteral("AC1012"), QStringLiteral("dos932")), QByteArray("CP932"));
    EXPECT_EQ(cad::dxf::encodingFor(QStringLiteral("AC1015"), QStringLiteral("ANSI_1251")), QByteArray("windows-1251"));
    EXPECT_EQ(cad::dxf::encodingFor(QString(), QString()), QByteArray("windows-1252"));
}

} // namespace
