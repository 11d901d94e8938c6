// Settings, links and work folders against what another user, a full disk or
// a strange file can do to them.

#include "HostileFolders.h"
#include "app/IniSettings.h"
#include "app/PlantedLink.h"
#include "app/ProgramFolder.h"
#include "app/RegularFileRead.h"
#include "app/StaleWorkFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace app;

namespace {



const QByteArray kTwoSections = "[WMFPosi]\r\nleft=100\r\ntop=200\r\nwidth=300\r\nheight=400\r\n[Other]\r\nkeep=1\r\n";

class SettingsFileKind : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        qputenv("KASANEMI_HOME", QFile::encodeName(m_home.path()));
        resetIniWritePermission();
    }
    void TearDown() override { qunsetenv("KASANEMI_HOME"); }
    QString settings() const { return QDir(m_home.path()).filePath(QStringLiteral("QEMTINF.ini")); }
    qint32 left()
    {
        QString name = QStringLiteral("QEMTINF.ini");
        return GetINI(name, QStringLiteral("WMFPosi"), QStringLiteral("left"), 0, true).toInt();
    }
    qint32 writeLeft(int value)
    {
        QString name = QStringLiteral("QEMTINF.ini");
        return WriteINI(name, QStringLiteral("WMFPosi"), QStringLiteral("left"), value);
    }
    QTemporaryDir m_home;
};

} // namespace

TEST_F(SettingsFileKind, AFifoReadsAsNoFileWithoutWaitingForAWriter)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(settings()).constData(), 0644), 0);
    EXPECT_EQ(left(), 0);  // would block forever if the FIFO were opened for reading
    EXPECT_EQ(writeLeft(5), 0);
    EXPECT_FALSE(iniWritePermitted());
}

TEST_F(SettingsFileKind, ALinkToADeviceOrAFileIsNeitherReadNorWrittenThrough)
{
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(settings()).constData()), 0);
    EXPECT_EQ(left(), 0);  // /dev/zero read whole ran out of memory
    EXPECT_EQ(writeLeft(5), 0);

    QFile::remove(settings());
    const QString target = QDir(m_home.path()).filePath(QStringLiteral("elsewhere.ini"));
    ASSERT_TRUE(testsupport::writeFile(target, kTwoSections));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(settings()).constData()), 0);
    EXPECT_EQ(left(), 0);
    EXPECT_EQ(writeLeft(5), 0);
    EXPECT_EQ(testsupport::fileBytes(target), kTwoSections);
    EXPECT_TRUE(QFileInfo(settings()).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SettingsFileKind, AHugeFileIsTreatedAsAbsentAndLeftAlone)
{
    ASSERT_TRUE(testsupport::writeFile(settings(), kTwoSections));
    ASSERT_EQ(::truncate(QFile::encodeName(settings()).constData(), 3 << 20), 0);  // sparse, 3 MB
    EXPECT_EQ(left(), 0);
    EXPECT_EQ(writeLeft(5), 0);
    EXPECT_EQ(QFileInfo(settings()).size(), 3 << 20);
}

TEST_F(SettingsFileKind, AFullDiskKeepsTheOldSettingsFile)
{
    testsupport::FullFileSystem disk;
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    qputenv("KASANEMI_HOME", QFile::encodeName(disk.path()));
    const QString file = disk.filePath(QStringLiteral("QEMTINF.ini"));
    ASSERT_TRUE(testsupport::writeFile(file, kTwoSections));
    disk.fill();
    // A longer value than the one written before, so the file must grow.
    EXPECT_EQ(writeLeft(123456789), 0);
    EXPECT_EQ(testsupport::fileBytes(file), kTwoSections);
    EXPECT_EQ(left(), 100);
}

TEST(RegularFileRead, ReadsOnlyARegularFileWithinTheLimit)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f"));
    ASSERT_TRUE(testsupport::writeFile(file, "abc"));
    EXPECT_EQ(readRegularFile(file, 3), QByteArray("abc"));
    EXPECT_FALSE(readRegularFile(file, 2));
    EXPECT_FALSE(readRegularFile(dir.path(), 1000));
    EXPECT_FALSE(readRegularFile(dir.filePath(QStringLiteral("missing")), 1000));
    EXPECT_EQ(pathKind(file), PathKind::RegularFile);
    EXPECT_EQ(pathKind(dir.filePath(QStringLiteral("missing"))), PathKind::Missing);
    EXPECT_EQ(pathKind(dir.path()), PathKind::Other);
}

TEST(PlantedLink, ALinkOfAnotherUserInAStickyFolderIsRefusedAsTheKernelWould)
{
    testsupport::StickyFolder tmp;
    QTemporaryDir victimHome;
    const QString victim = victimHome.filePath(QStringLiteral("book.xlsx"));
    ASSERT_TRUE(testsupport::writeFile(victim, "victim"));
    if (!tmp.plantLink(QStringLiteral("book.xlsx"), victim) || !tmp.plantLink(QStringLiteral("pics"), victimHome.path()))
        GTEST_SKIP() << "giving a link to another user needs root";

    EXPECT_EQ(plantedLinkOnPath(tmp.filePath(QStringLiteral("book.xlsx"))), tmp.filePath(QStringLiteral("book.xlsx")));
    // A planted folder link is found on the way to anything below it.
    EXPECT_EQ(plantedLinkOnPath(tmp.filePath(QStringLiteral("pics/SYS/all.wmf"))), tmp.filePath(QStringLiteral("pics")));
    EXPECT_TRUE(plantedLinkMessage(QStringLiteral("/tmp/a"), QStringLiteral("/tmp/a")).contains(QStringLiteral("たどりません")));

    // Links of our own, or of the folder's owner, are followed as the kernel does.
    ASSERT_TRUE(tmp.plantLink(QStringLiteral("mine.xlsx"), victim, ::geteuid()));
    EXPECT_EQ(plantedLinkOnPath(tmp.filePath(QStringLiteral("mine.xlsx"))), QString());
    // In a folder only its owner may write, any link is the owner's business.
    QTemporaryDir privateFolder;
    const QString link = privateFolder.filePath(QStringLiteral("book.xlsx"));
    ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(link).constData()), 0);
    ASSERT_EQ(::lchown(QFile::encodeName(link).constData(), 65534, 65534), 0);
    EXPECT_EQ(plantedLinkOnPath(link), QString());
    EXPECT_EQ(plantedLinkOnPath(tmp.filePath(QStringLiteral("new/book.xlsx"))), QString());
}

TEST(StaleWorkFolders, AFolderOfAKilledProcessGoesAndALiveOnesStays)
{
    QTemporaryDir temp;
    // A child that has exited and been waited for: its number names no process.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const QString dead = QStringLiteral("kasanemi-export-%1-abcdef").arg(child);
    const QString live = QStringLiteral("kasanemi-export-%1-ghijkl").arg(::getpid());
    QDir(temp.path()).mkpath(dead + QStringLiteral("/SYS"));
    QDir(temp.path()).mkpath(live);
    ASSERT_TRUE(testsupport::writeFile(temp.filePath(dead + QStringLiteral("/SYS/all.wmf")), "x"));

    EXPECT_EQ(removeStaleWorkFolders(QStringLiteral("export"), temp.path()), 1);
    EXPECT_FALSE(QFileInfo::exists(temp.filePath(dead)));
    EXPECT_TRUE(QFileInfo(temp.filePath(live)).isDir());
    EXPECT_TRUE(workFolderTemplate(QStringLiteral("export"))
                    .endsWith(QStringLiteral("kasanemi-export-%1-XXXXXX").arg(::getpid())));
}

TEST(ProgramFolders, WithoutHomeAnInstalledProgramSaysSoInsteadOfUsingTheRoot)
{
    FolderFacts facts;
    facts.executableFolder = QStringLiteral("/usr/bin");
    facts.executableFolderWritable = false;
    facts.installedDataFolder = QStringLiteral("/usr/share/kasanemi");
    const ProgramFolders folders = chooseProgramFolders(facts);
    EXPECT_TRUE(folders.settings.isEmpty());
    EXPECT_TRUE(folders.program.isEmpty());
    EXPECT_TRUE(folders.problem.contains(QStringLiteral("HOME")));
    QString error;
    EXPECT_TRUE(shippedFileInProgramFolder(folders, QStringLiteral("QEMTIN.dvb"), &error).isEmpty());
    EXPECT_EQ(error, folders.problem);
}
