// Layer lists that are no list of this drawing's layers, and refreshes the
// user closes half way: one message at most, the drawing as it was, and a
// window that answers its close button.

#include "ViewerFixture.h"

#include "acad/PictureProtocol.h"
#include "app/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

using namespace viewertest;

namespace {

const QString kFiveLayers = QStringLiteral("libredwg_example_2018.dxf");

class HostileList : public ViewerTest {
protected:
    QString writeList(const QByteArray& bytes)
    {
        const QString path = home.filePath(QStringLiteral("list.csv"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }
    /// A work folder from an earlier refresh, to see that none is rebuilt.
    QString markWorkFolder()
    {
        const QString work = acad::workFolderIn(app::programFolder());
        EXPECT_TRUE(QDir().mkpath(work));
        const QString marker = work + QStringLiteral("/earlier.wmf");
        QFile f(marker);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return marker;
    }
    /// The refresh ended with exactly one message, naming the list, with the
    /// exclamation icon and the application title; nothing else happened.
    void expectRefusedOnce(const QString& listPath, const std::vector<LayerState>& before, const QString& marker)
    {
        ASSERT_EQ(ui.messages().size(), 1);
        const auto& message = ui.messages()[0];
        EXPECT_EQ(message.icon, app::MsgIcon::Exclamation);
        EXPECT_EQ(message.caption, QStringLiteral("Kasanemi Ver4.00"));
        EXPECT_TRUE(message.text.contains(QDir::toNativeSeparators(listPath))) << message.text.toStdString();
        EXPECT_EQ(layerStates(document()), before);
        EXPECT_TRUE(QFile::exists(marker)) << "the work folder was rebuilt";
        EXPECT_LE(window->tiles().tileCount(), 1);
        EXPECT_FALSE(window->bRefreshDone());
        // The list is not tried again: the next refresh shows every layer.
        EXPECT_TRUE(window->sCommandCSV().isEmpty());
    }
};

TEST_F(HostileList, FiftyMegabytesOfMostlyUnknownNamesEndTheRefreshWithOneMessage)
{
    openDrawing(kFiveLayers);
    const auto before = layerStates(document());
    const QString marker = markWorkFolder();
    // 1.6 million records of 32 bytes, one in a hundred a real layer.
    QByteArray bytes;
    bytes.reserve(52'000'000);
    const QByteArray real = document().layer(1).name.toUtf8() + "\r\n";
    for (int i = 0; i < 1'600'000; ++i)
        bytes += i % 100 == 0 ? real : QByteArray::number(10'000'000'000'000'000LL + i) + "-unknown-layer\r\n";
    ASSERT_GT(bytes.size(), 50'000'000);
    const QString path = writeList(bytes);
    bytes = QByteArray();
    window->Form_Load(path);
    expectRefusedOnce(path, before, marker);
    EXPECT_TRUE(ui.messages()[0].text.contains(QStringLiteral("多すぎます")));
}

TEST_F(HostileList, RandomBytesEndTheRefreshWithOneMessage)
{
    openDrawing(kFiveLayers);
    const auto before = layerStates(document());
    const QString marker = markWorkFolder();
    QRandomGenerator rng(64);
    QByteArray garbage(64 * 1024, '\0');
    for (char& c : garbage)
        c = char(rng.bounded(256));
    const QString path = writeList(garbage);
    window->Form_Load(path);
    expectRefusedOnce(path, before, marker);
    EXPECT_TRUE(reports().isEmpty());
}

TEST_F(HostileList, ThreeUnknownNamesGiveThreeTilesAndOneReport)
{
    openDrawing(kFiveLayers);
    const auto before = layerStates(document());
    const QString known = document().layer(1).name;
    const QString path = writeList((known + QStringLiteral("\r\n,,,\r\n\r\nなし1\r\nなし2,x\r\nなし3\r\n")).toUtf8());
    window->Form_Load(path);
    // The known layer and the three unknown ones; the empty records give none.
    EXPECT_EQ(window->tiles().tileCount(), 4);
    ASSERT_EQ(reports().size(), 1) << reports().join('\n').toStdString();
    EXPECT_TRUE(reports()[0].contains(QStringLiteral("SetLayerState")));
    EXPECT_TRUE(window->bRefreshDone());
    EXPECT_EQ(layerStates(document()), before);
    // A later refresh may report the same cause again, once.
    window->Form_Load(path);
}

TEST_F(HostileList, ClosingTheWindowDuringARefreshEndsItAndThenCloses)
{
    openDrawing(QStringLiteral("generated/gen_50L_5k_R2000.dxf"));
    const auto before = layerStates(document());
    int created = 0;
    QObject::connect(window.get(), &frmWMF::tileCreated, window.get(), [&] {
        if (++created == 3)
            window->close(); // the close button, while tiles are being made
    });
    window->CmdRefresh_Click();
    EXPECT_LT(window->tiles().tileCount(), document().layerCount());
    EXPECT_FALSE(window->bRefreshDone());
    EXPECT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    EXPECT_EQ(layerStates(document()), before);
    EXPECT_TRUE(window->isVisible()); // closed once the refresh has unwound
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(QFileInfo::exists(acad::workFolderIn(app::programFolder())));
}

} // namespace
