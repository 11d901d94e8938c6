// A file that ends before its EOF marker (cut off, half copied) loads as far
// as it goes, but never passes for a sound drawing: the document carries a
// warning that every command-line mode prints, and a drawing always has
// layer "0" and the linetype Continuous.

#include "CadTestSupport.h"

#include "acad/AcadError.h"
#include "cad/CadDocument.h"
#include "cad/dxf/DxfLoader.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

TEST(TruncatedDrawing, EveryCutOfThreeSamplesWarnsAndKeepsLayerZero)
{
    if (cadtest::samplesDir().isEmpty())
        GTEST_SKIP() << "KASANEMI_SAMPLES is not set: truncations were NOT checked";
    QTemporaryDir dir;
    QRandomGenerator rng(13);
    for (const char* sample : {"qcad_flange.dxf", "ezdxf_small_r13_dos932.dxf", "libredwg_example_2018.dxf"}) {
        const QByteArray whole = fileBytes(cadtest::samplesDir() + '/' + sample);
        ASSERT_FALSE(whole.isEmpty()) << sample;
        {
            // The whole file is sound.
            const QString path = dir.filePath("whole.dxf");
            ASSERT_TRUE(writeFile(path, whole));
            EXPECT_TRUE(cad::CadDocument::open(path)->loadWarning().isEmpty()) << sample;
        }
        for (int i = 0; i < 20; ++i) {
            const qsizetype cut = 40 + qsizetype(rng.bounded(quint32(whole.size() - 60)));
            SCOPED_TRACE(std::string(sample) + " cut at " + std::to_string(cut));
            const QString path = dir.filePath("cut.dxf");
            ASSERT_TRUE(writeFile(path, whole.left(cut)));
            std::unique_ptr<cad::CadDocument> doc;
            try {
                doc = cad::CadDocument::open(path);
            } catch (const acad::AcadError& e) {
                // A cut inside the first group may leave no drawing at all:
                // refused, with its message.
                EXPECT_FALSE(e.description().isEmpty());
                continue;
            }
            EXPECT_TRUE(doc->loadWarning().contains(QStringLiteral("行目で終わっていて、最後の EOF がありません")))
                << doc->loadWarning().toStdString();
            EXPECT_TRUE(doc->loadWarning().contains(QStringLiteral("cut.dxf")));
            EXPECT_GE(doc->drawing().findLayer(QStringLiteral("0")), 0);
            EXPECT_GE(doc->drawing().findLinetype(QStringLiteral("Continuous")), 0);
        }
    }
}

TEST(TruncatedDrawing, EveryCommandLineModeSaysSo)
{
    if (cadtest::samplesDir().isEmpty())
        GTEST_SKIP() << "KASANEMI_SAMPLES is not set";
    QTemporaryDir dir;
    const QByteArray whole = fileBytes(cadtest::samplesDir() + "/qcad_flange.dxf");
    const QString path = dir.filePath("half.dxf");
    ASSERT_TRUE(writeFile(path, whole.left(whole.size() / 2)));
    const QString bin = qEnvironmentVariable("KASANEMI_BIN") + "/kasanemi-cad";

    const auto inspect = cadtest::run(bin, {"--inspect", path});
    EXPECT_EQ(inspect.exitCode, 0);
    EXPECT_EQ(inspect.err.count('\n'), 1);
    EXPECT_TRUE(QString::fromUtf8(inspect.err).contains(QStringLiteral("warning: 「half.dxf」は "))) << inspect.err.toStdString();
    EXPECT_FALSE(QJsonDocument::fromJson(inspect.out).object().value("layers").toArray().isEmpty());

    const auto pictures = cadtest::run(bin, {"--pictures", path, dir.filePath("pictures")});
    EXPECT_EQ(pictures.exitCode, 0);
    EXPECT_TRUE(QString::fromUtf8(pictures.err).contains(QStringLiteral("warning: 「half.dxf」は "))) << pictures.err.toStdString();

    const auto workbook = cadtest::run(bin, {"--export-xlsx", path, dir.filePath("half.xlsx")});
    EXPECT_TRUE(QString::fromUtf8(workbook.err).contains(QStringLiteral("warning: 「half.dxf」は "))) << workbook.err.toStdString();
}

TEST(TruncatedDrawing, AFileWithoutLayerTableGetsLayerZeroThatCannotBeSavedChanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("bare.dxf");
    ASSERT_TRUE(writeFile(path, "0\nSECTION\n2\nENTITIES\n0\nPOINT\n8\n0\n10\n1\n20\n1\n0\nENDSEC\n0\nEOF\n"));
    auto doc = cad::CadDocument::open(path);
    EXPECT_TRUE(doc->loadWarning().isEmpty());
    ASSERT_EQ(doc->layerCount(), 1);
    EXPECT_EQ(doc->layer(0).name, QStringLiteral("0"));
    EXPECT_EQ(doc->layer(0).linetype, QStringLiteral("Continuous"));
    EXPECT_EQ(doc->drawing().linetypes, std::vector<QString>{QStringLiteral("Continuous")});
    EXPECT_EQ(doc->countOnLayers(QStringLiteral("0")), 1u);
    // Unchanged, it saves to the same bytes; a change of the added layer has
    // no entry to go into and is refused, the file untouched.
    EXPECT_NO_THROW(doc->save());
    const QByteArray before = fileBytes(path);
    doc->setLayerOn(0, false);
    try {
        doc->save();
        FAIL() << "a change of a layer the file lacks was saved silently";
    } catch (const acad::AcadError& e) {
        EXPECT_EQ(e.number(), acad::error::kHostFailure);
        EXPECT_TRUE(e.description().contains(QStringLiteral("画層テーブルにありません")));
    }
    EXPECT_EQ(fileBytes(path), before);
}

} // namespace
