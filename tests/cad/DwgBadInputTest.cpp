// DWG files the converter cannot turn into a drawing: each gives one
// description naming the file and the reason, and nothing is loaded. Also
// what a DWG drawing allows: Save is refused (nothing here writes DWG), Save
// As writes DXF.

#include "CadTestSupport.h"

#include "acad/AcadError.h"
#include "cad/CadDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString dwgSample(const QString& name)
{
    return qEnvironmentVariable("KASANEMI_SHARED") + QStringLiteral("/samples/dwg/") + name;
}

/// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value) : m_name(name), m_old(qgetenv(name)),
                                                                   m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment() { m_had ? void(qputenv(m_name, m_old)) : void(qunsetenv(m_name)); }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

class DwgBadInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        if (!QFile::exists(dwgSample(QStringLiteral("libredwg_sample_2000.dwg"))))
            GTEST_SKIP() << "KASANEMI_SHARED/samples/dwg not found";
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = work.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QByteArray sampleBytes(const QString& name)
    {
        QFile file(dwgSample(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    /// The description CadDocument::open fails with (empty when it opened).
    QString refusal(const QString& path)
    {
        try {
            cad::CadDocument::open(path);
        } catch (const acad::AcadError& failure) {
            EXPECT_EQ(failure.number(), acad::error::kHostFailure);
            EXPECT_FALSE(failure.description().contains(u'\n')) << "one line";
            return failure.description();
        }
        return QString();
    }

    QTemporaryDir work;
};

TEST_F(DwgBadInputTest, FilesTheLibraryRefusesOrCrashesOnNameTheFileAndTheReason)
{
    QByteArray newer = sampleBytes(QStringLiteral("libredwg_example_2018.dwg"));
    newer.replace(0, 6, "AC1040");
    const struct {
        QString file;
        QByteArray bytes;
        QString reason;
    } cases[] = {
        {QStringLiteral("empty.dwg"), {}, QStringLiteral("the file is empty")},
        {QStringLiteral("notes.dwg"), "these are notes, not a drawing\n", QStringLiteral("not a DWG file")},
        {QStringLiteral("cut.dwg"), sampleBytes(QStringLiteral("libredwg_example_2000.dwg")).left(20000),
         QStringLiteral("LibreDWG error 2048")},
        {QStringLiteral("newer.dwg"), newer, QStringLiteral("newer than the library reads (AC1040")},
    };
    for (const auto& c : cases) {
        const QString description = refusal(write(c.file, c.bytes));
        EXPECT_TRUE(description.startsWith(c.file + QStringLiteral(": "))) << description.toStdString();
        EXPECT_TRUE(description.contains(QStringLiteral("LibreDWG が読み込めませんでした"))) << description.toStdString();
        EXPECT_TRUE(description.contains(c.reason)) << description.toStdString();
    }
    // A real R2004 file the library crashes on.
    const QString crash = refusal(dwgSample(QStringLiteral("libredwg_example_2004.dwg")));
    EXPECT_TRUE(crash.startsWith(QStringLiteral("libredwg_example_2004.dwg: "))) << crash.toStdString();
    EXPECT_TRUE(crash.contains(QStringLiteral("異常終了しました（the library crashed while reading it (RuntimeError")))
        << crash.toStdString();
}

TEST_F(DwgBadInputTest, AConversionOverItsTimeOrMemoryLimitIsStopped)
{
    const QString drawing = dwgSample(QStringLiteral("libredwg_example_2000.dwg"));
    {
        // Node.js alone takes longer than this to start.
        ScopedEnvironment limit("KASANEMI_DWG_TIME_LIMIT_MS", "20");
        const QString description = refusal(drawing);
        EXPECT_EQ(description, QStringLiteral("libredwg_example_2000.dwg: 変換が制限時間 0.02 秒を超えたため中止しました"));
    }
    {
        // The library's module alone needs more.
        ScopedEnvironment limit("KASANEMI_DWG_MEMORY_LIMIT_MB", "40");
        const QString description = refusal(drawing);
        EXPECT_EQ(description, QStringLiteral("libredwg_example_2000.dwg: 変換がメモリの上限 40 MB を超えたため中止しました"));
    }
}

TEST_F(DwgBadInputTest, MissingNodeOrPackageSaysWhichAndHowToInstallIt)
{
    const QString drawing = dwgSample(QStringLiteral("libredwg_sample_2000.dwg"));
    {
        ScopedEnvironment node("KASANEMI_NODE", work.filePath(QStringLiteral("no-node")).toUtf8());
        const QString description = refusal(drawing);
        EXPECT_TRUE(description.contains(QStringLiteral("Node.js が見つかりません"))) << description.toStdString();
        EXPECT_TRUE(description.contains(QStringLiteral("apt-get install nodejs"))) << description.toStdString();
    }
    {
        // The converter without its node_modules beside it.
        QDir().mkpath(work.filePath(QStringLiteral("bare/lib")));
        const QString script = work.filePath(QStringLiteral("bare/kasanemi-dwg-converter.mjs"));
        ASSERT_TRUE(QFile::copy(qEnvironmentVariable("KASANEMI_DWG_CONVERTER"), script));
        ScopedEnvironment converter("KASANEMI_DWG_CONVERTER", script.toUtf8());
        const QString description = refusal(drawing);
        EXPECT_TRUE(description.contains(QStringLiteral("@mlightcad/libredwg-web がインストールされていません")))
            << description.toStdString();
        EXPECT_TRUE(description.contains(work.filePath(QStringLiteral("bare")))) << description.toStdString();
    }
}

TEST_F(DwgBadInputTest, SaveIsRefusedAndSaveAsWritesDxfWithTheChange)
{
    const QString drawing = work.filePath(QStringLiteral("plan.dwg"));
    ASSERT_TRUE(QFile::copy(dwgSample(QStringLiteral("libredwg_example_2000.dwg")), drawing));
    const QByteArray before = sampleBytes(QStringLiteral("libredwg_example_2000.dwg"));
    auto doc = cad::CadDocument::open(drawing);
    EXPECT_EQ(doc->fullName(), QFileInfo(drawing).absoluteFilePath());
    const int layer = doc->layerIndex(QStringLiteral("Tavolo 2"));
    doc->setLayerOn(layer, false);

    try {
        doc->save();
        ADD_FAILURE() << "a DWG was saved";
    } catch (const acad::AcadError& failure) {
        EXPECT_EQ(failure.number(), acad::error::kDrawingNotWritable);
        EXPECT_EQ(failure.description(), QStringLiteral("DWG 図面 plan.dwg は上書き保存できません（DWG 形式では保存できません）。"
                                                        "名前を付けて DXF 形式で保存してください。"));
    }
    // DXF text under a .dwg name would pass for the user's DWG.
    EXPECT_THROW(doc->saveAs(work.filePath(QStringLiteral("copy.DWG"))), acad::AcadError);
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("copy.DWG"))));
    QFile original(drawing);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), before);
    EXPECT_TRUE(doc->isModified());

    const QString dxf = work.filePath(QStringLiteral("plan.dxf"));
    doc->saveAs(dxf);
    EXPECT_FALSE(doc->isDwg());
    EXPECT_EQ(doc->name(), QStringLiteral("plan.dxf"));
    const auto reread = cad::CadDocument::open(dxf);
    EXPECT_FALSE(reread->layer(reread->layerIndex(QStringLiteral("Tavolo 2"))).on);
    EXPECT_TRUE(reread->layer(reread->layerIndex(QStringLiteral("Tavolo 3"))).on);
    // Now a DXF, the drawing saves in place.
    doc->setLayerOn(layer, true);
    EXPECT_NO_THROW(doc->save());
}

} // namespace
