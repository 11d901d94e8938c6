// The host against inputs and places built to hurt it: drawings whose work
// would grow faster than they do (counted, not timed), more than a caller may
// make it hold, planted links, full disks, and what Save must keep.

#include "CadTestSupport.h"
#include "HostileFolders.h"

#include "acad/AcadError.h"
#include "acad/LayerStates.h"
#include "cad/CadDocument.h"
#include "cad/FileReplacement.h"
#include "cad/local/LocalApplication.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

namespace error = acad::error;

QString fixture() { return QStringLiteral(KASANEMI_CAD_TESTDATA "/layers_r2000.dxf"); }



/// A drawing of `layers` layers, all off, named "L0".."Ln" and one line on each.
QByteArray manyLayers(int layers)
{
    QByteArray text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$CLAYER\n8\n0\n0\nENDSEC\n"
                      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n";
    text += "0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nCONTINUOUS\n";
    for (int i = 1; i < layers; ++i)
        text += "0\nLAYER\n2\nL" + QByteArray::number(i) + "\n70\n0\n62\n-7\n6\nCONTINUOUS\n";
    text += "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (int i = 1; i < layers; ++i)
        text += "0\nLINE\n8\nL" + QByteArray::number(i) + "\n10\n0\n20\n0\n11\n1\n21\n" + QByteArray::number(i) + "\n";
    text += "0\nENDSEC\n0\nEOF\n";
    return text;
}

} // namespace

TEST(HostWork, SwitchingEveryLayerOnLooksEachUpByItsFoldedName)
{
    // 20,000 layers: a search through the table for every write made this
    // 200 million name comparisons.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("many.dxf"));
    ASSERT_TRUE(testsupport::writeFile(path, manyLayers(20000)));
    auto document = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(path));
    cad::LocalApplication host(document);
    const std::size_t builtByLoading = document->drawing().layerIndexBuilds();
    acad::switchLayersOnAndThawed(*host.activeDocument());
    for (int i = 0; i < document->layerCount(); ++i)
        ASSERT_TRUE(document->layer(i).on) << i;
    EXPECT_LE(document->drawing().layerIndexBuilds(), builtByLoading + 1);
    EXPECT_EQ(document->layerIndex(QStringLiteral("l19999")), 19999);  // case folded
    EXPECT_EQ(cadtest::errorOf([&] { document->layerIndex(QStringLiteral("L20000")); }), error::kKeyNotFound);

    // A rename is seen by the next lookup.
    document->setLayerName(5, QStringLiteral("壁"));
    EXPECT_EQ(document->layerIndex(QStringLiteral("壁")), 5);
    EXPECT_EQ(cadtest::errorOf([&] { document->layerIndex(QStringLiteral("L5")); }), error::kKeyNotFound);
}

TEST(HostWork, ACountOfManyAllMatchingNamesAddsUpWithoutSelectingEachTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.dxf"));
    ASSERT_TRUE(QFile::copy(fixture(), path));
    auto document = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(path));
    cad::LocalApplication host(document);
    const acad::DocumentPtr doc = host.activeDocument();

    const qint32 all = doc->countLayerObjects({QStringLiteral("*")});
    ASSERT_GT(all, 0);
    const QStringList stars(11000, QStringLiteral("*"));
    EXPECT_EQ(doc->countLayerObjects(stars), 11000 * all);
    const std::vector<qint32> each = doc->countLayerObjectsEach(QStringList{QStringLiteral("壁"), QStringLiteral("*")});
    EXPECT_EQ(each, (std::vector<qint32>{3, all}));
    // "cSet" is left holding the last name's objects, as the series leaves it.
    ASSERT_EQ(doc->selectionSets()->count(), 1);
    EXPECT_EQ(doc->selectionSets()->item(0)->name(), QStringLiteral("cSet"));
    EXPECT_EQ(doc->selectionSets()->item(0)->count(), all);
}

TEST(HostLimits, ADrawingHoldsAtMost128SelectionSets)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.dxf"));
    ASSERT_TRUE(QFile::copy(fixture(), path));
    auto document = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(path));
    for (std::size_t i = 0; i < cad::CadDocument::kMaxSelectionSets; ++i)
        document->addSelectionSet(QStringLiteral("s%1").arg(i));
    EXPECT_EQ(cadtest::errorOf([&] { document->addSelectionSet(QStringLiteral("one more")); }), error::kLimitReached);
    document->removeSelectionSet(document->selectionSet(0).get());
    EXPECT_NO_THROW(document->addSelectionSet(QStringLiteral("one more")));
}

TEST(SaveThroughLinks, AnotherUsersLinkInAStickyFolderIsRefusedAndOursIsWrittenThrough)
{
    testsupport::StickyFolder tmp;
    QTemporaryDir home;
    const QString victim = home.filePath(QStringLiteral("victim.dxf"));
    ASSERT_TRUE(testsupport::writeFile(victim, "victim's drawing\n"));
    if (!tmp.plantLink(QStringLiteral("plan.dxf"), victim))
        GTEST_SKIP() << "giving a link to another user needs root";
    const QString refused = cad::replaceFileContents(tmp.filePath(QStringLiteral("plan.dxf")), "new\n");
    EXPECT_TRUE(refused.contains(QStringLiteral("たどりません"))) << refused.toStdString();
    EXPECT_EQ(testsupport::fileBytes(victim), QByteArray("victim's drawing\n"));

    // Save As onto a link of our own keeps the link and writes its target.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.dxf"));
    ASSERT_TRUE(QFile::copy(fixture(), path));
    auto document = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(path));
    const QString target = dir.filePath(QStringLiteral("target.dxf"));
    ASSERT_TRUE(testsupport::writeFile(target, "old\n"));
    const QString link = dir.filePath(QStringLiteral("link.dxf"));
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
    document->saveAs(link);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testsupport::fileBytes(target), testsupport::fileBytes(path));

    // Save As onto the planted link fails with the host's number.
    EXPECT_EQ(cadtest::errorOf([&] { document->saveAs(tmp.filePath(QStringLiteral("plan.dxf"))); }), error::kHostFailure);
    EXPECT_EQ(testsupport::fileBytes(victim), QByteArray("victim's drawing\n"));
}

TEST(SaveKeeps, ExtendedAttributes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.dxf"));
    ASSERT_TRUE(testsupport::writeFile(path, "old\n"));
    const QByteArray native = QFile::encodeName(path);
    if (::setxattr(native.constData(), "user.kasanemi.note", "checked", 7, 0) != 0)
        GTEST_SKIP() << "this file system keeps no user attributes";
    ASSERT_EQ(cad::replaceFileContents(path, "new\n"), QString());
    char value[16] = {};
    ASSERT_EQ(::getxattr(native.constData(), "user.kasanemi.note", value, sizeof value), 7);
    EXPECT_EQ(QByteArray(value, 7), QByteArray("checked"));
    EXPECT_EQ(testsupport::fileBytes(path), QByteArray("new\n"));
}

TEST(HostCommandsOnHostileFolders, AFullDiskOrAPlantedLinkFailsTheBatchAndKeepsWhatWasThere)
{
    const QString program = qEnvironmentVariable("KASANEMI_BIN") + QStringLiteral("/kasanemi-cad");
    testsupport::FullFileSystem disk;
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString book = disk.filePath(QStringLiteral("book.xlsx"));
    ASSERT_TRUE(testsupport::writeFile(book, "the good workbook"));
    disk.fill();
    const auto full = cadtest::run(program, {QStringLiteral("--export-xlsx"), fixture(), book});
    EXPECT_NE(full.exitCode, 0);
    EXPECT_FALSE(full.out.contains("完了")) << full.out.toStdString();
    EXPECT_FALSE(full.err.isEmpty());
    EXPECT_EQ(testsupport::fileBytes(book), QByteArray("the good workbook"));

    testsupport::StickyFolder tmp;
    QTemporaryDir home;
    const QString victim = home.filePath(QStringLiteral("victim.xlsx"));
    ASSERT_TRUE(testsupport::writeFile(victim, "victim's workbook"));
    ASSERT_TRUE(tmp.plantLink(QStringLiteral("book.xlsx"), victim));
    ASSERT_TRUE(tmp.plantLink(QStringLiteral("pics"), home.path()));
    const auto linked = cadtest::run(program, {QStringLiteral("--export-xlsx"), fixture(), tmp.filePath(QStringLiteral("book.xlsx"))});
    EXPECT_NE(linked.exitCode, 0);
    EXPECT_TRUE(QString::fromUtf8(linked.err).contains(QStringLiteral("たどりません"))) << linked.err.toStdString();
    EXPECT_EQ(testsupport::fileBytes(victim), QByteArray("victim's workbook"));

    const auto pictures = cadtest::run(program, {QStringLiteral("--pictures"), fixture(), tmp.filePath(QStringLiteral("pics"))});
    EXPECT_NE(pictures.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("SYS"))));
}
