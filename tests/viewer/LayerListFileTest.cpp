#include "viewer/LayerListFile.h"

#include "app/RecordingUserInterface.h"
#include "app/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class LayerListFile : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("list.csv"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }
    static QByteArray cp932(const QString& text) { return *app::encodeText(text, app::TextFileEncoding::Cp932); }
    QStringList read(const QByteArray& bytes, const QStringList& drawing)
    {
        acad::NameList layers = acad::emptyNameList();
        layers.append(drawing);
        acad::NameList names = acad::emptyNameList();
        EXPECT_EQ(viewer::readLayerListFile(write(bytes), layers, names), viewer::LayerListRead::Read);
        return names.mid(1);
    }

    QTemporaryDir dir;
    app::RecordingUserInterface ui;
    app::ScopedUi scoped{ui};
};

TEST_F(LayerListFile, CodePage932BytesThatAreValidUtf8NameTheDrawingsLayers)
{
    // "ﾃｽ" in code page 932 is C3 BD, which UTF-8 reads as "ý".
    const QByteArray bytes = cp932(QStringLiteral("ﾃｽ\r\n壁\r\n"));
    ASSERT_TRUE(app::isValidUtf8(cp932(QStringLiteral("ﾃｽ"))));
    EXPECT_EQ(read(bytes, {"0", "壁", "ﾃｽ"}), (QStringList{"ﾃｽ", "壁"}));
    // No layer named either way: code page 932, the original platform's.
    EXPECT_EQ(read(cp932(QStringLiteral("ﾃｽ\r\n")), {"0"}), QStringList{"ﾃｽ"});
}

TEST_F(LayerListFile, Utf8ListsNamingMoreLayersAreReadAsUtf8)
{
    EXPECT_EQ(read(QStringLiteral("ý\r\n通り芯\r\n").toUtf8(), {"0", "ý", "通り芯"}),
              (QStringList{"ý", "通り芯"}));
    // A byte-order mark decides by itself.
    EXPECT_EQ(read("\xEF\xBB\xBF" + QStringLiteral("壁\r\n").toUtf8(), {"0"}), QStringList{"壁"});
    // Names compare as the drawing's do, without regard to case.
    EXPECT_EQ(read(QStringLiteral("ｄｏｏｒ\r\n").toUtf8(), {"ＤＯＯＲ"}), QStringList{"ｄｏｏｒ"});
}

TEST_F(LayerListFile, AnyLineEndEndsARecord)
{
    EXPECT_EQ(read(QStringLiteral("壁\n建具\r\n寸法\r家具\n\n文字").toUtf8(), {"壁", "建具", "寸法", "家具", "文字"}),
              (QStringList{"壁", "建具", "寸法", "家具", "文字"})); // the empty record names nothing
}

TEST_F(LayerListFile, AMissingFileIsReportedOnce)
{
    acad::NameList names = acad::emptyNameList();
    EXPECT_EQ(viewer::readLayerListFile(dir.filePath(QStringLiteral("none.csv")), acad::emptyNameList(), names),
              viewer::LayerListRead::Reported);
    EXPECT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(names.size(), 1);
}

TEST_F(LayerListFile, EmptyRecordsNameNothingAndOversizedTablesAreUnreadable)
{
    EXPECT_EQ(read(QStringLiteral(",,,\r\n\r\n壁,x\r\n\"\",y\r\n").toUtf8(), {"壁"}), QStringList{"壁"});
    // One line of a million fields over a thousand short ones would be a
    // table of a thousand million cells.
    QByteArray wide = QByteArray(1'000'000, ',') + "\r\n";
    for (int i = 0; i < 1000; ++i)
        wide += "a\r\n";
    acad::NameList names = acad::emptyNameList();
    EXPECT_EQ(viewer::readLayerListFile(write(wide), acad::emptyNameList(), names), viewer::LayerListRead::Unreadable);
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST(LayerListCheck, ForeignListsAreRecognisedBeforeAnyTile)
{
    const acad::NameList drawing{QString(), "0", QStringLiteral("壁"), "Door"};
    auto list = [](const QStringList& names) { return acad::NameList{QString()} + names; };
    EXPECT_EQ(viewer::checkLayerList(list({"door", "nothing"}), drawing), viewer::LayerListProblem::None);
    EXPECT_EQ(viewer::checkLayerList(list({"x", "y"}), drawing), viewer::LayerListProblem::NoLayerNamed);
    EXPECT_EQ(viewer::checkLayerList(list({}), drawing), viewer::LayerListProblem::None);
    // Up to ten names a layer, and at least a hundred, are a list; more are not.
    QStringList many(100, QStringLiteral("壁"));
    EXPECT_EQ(viewer::checkLayerList(list(many), drawing), viewer::LayerListProblem::None);
    many << QStringLiteral("壁");
    EXPECT_EQ(viewer::checkLayerList(list(many), drawing), viewer::LayerListProblem::TooManyNames);
    const QString text = viewer::layerListRefusal("/tmp/x.csv", viewer::LayerListProblem::TooManyNames, 101, 3);
    EXPECT_TRUE(text.contains(QStringLiteral("/tmp/x.csv"))) << text.toStdString();
}

TEST_F(LayerListFile, KeptFuzzInputsAreReadOrRefusedWithoutAMessage)
{
    const QDir corpus(QStringLiteral(KASANEMI_LIST_CORPUS));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    const acad::NameList drawing{QString(), "0", QStringLiteral("壁")};
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        acad::NameList names = acad::emptyNameList();
        if (viewer::readLayerListFile(corpus.filePath(name), drawing, names) == viewer::LayerListRead::Read)
            (void)viewer::checkLayerList(names, drawing);
    }
    EXPECT_TRUE(ui.messages().isEmpty());
}

} // namespace
