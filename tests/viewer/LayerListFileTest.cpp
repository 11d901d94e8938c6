#include "viewer/LayerListFile.h"

#include "app/RecordingUserInterface.h"
#include "app/TextEncoding.h"

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
        EXPECT_TRUE(viewer::readLayerListFile(write(bytes), layers, names));
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
              (QStringList{"壁", "建具", "寸法", "家具", "", "文字"}));
}

TEST_F(LayerListFile, AMissingFileIsReportedOnce)
{
    acad::NameList names = acad::emptyNameList();
    EXPECT_FALSE(viewer::readLayerListFile(dir.filePath(QStringLiteral("none.csv")), acad::emptyNameList(), names));
    EXPECT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(names.size(), 1);
}

} // namespace
