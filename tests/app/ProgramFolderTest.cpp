#include "app/FolderPermission.h"
#include "app/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace app;

namespace {

FolderFacts portableBuild()
{
    FolderFacts facts;
    facts.executableFolder = QStringLiteral("/home/u/kasanemi/build/bin");
    facts.executableFolderWritable = true;
    facts.configHome = QStringLiteral("/home/u/.config");
    facts.cacheHome = QStringLiteral("/home/u/.cache");
    return facts;
}

FolderFacts systemInstall()
{
    FolderFacts facts = portableBuild();
    facts.executableFolder = QStringLiteral("/usr/bin");
    facts.executableFolderWritable = false;
    facts.installedDataFolder = QStringLiteral("/usr/share/kasanemi");
    return facts;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

TEST(ProgramFolders, ABuildOrPortableCopyKeepsEverythingBesideTheExecutable)
{
    const ProgramFolders folders = chooseProgramFolders(portableBuild());
    EXPECT_FALSE(folders.installed);
    EXPECT_EQ(folders.settings, "/home/u/kasanemi/build/bin");
    EXPECT_EQ(folders.program, "/home/u/kasanemi/build/bin");
    EXPECT_EQ(folders.data, "/home/u/kasanemi/build/bin");
}

TEST(ProgramFolders, AnInstalledProgramUsesTheUsersConfigurationAndCacheFolders)
{
    const ProgramFolders folders = chooseProgramFolders(systemInstall());
    EXPECT_TRUE(folders.installed);
    EXPECT_EQ(folders.settings, "/home/u/.config/kasanemi");
    EXPECT_EQ(folders.program, "/home/u/.cache/kasanemi");
    EXPECT_EQ(folders.data, "/usr/share/kasanemi");

    // A read-only portable copy (no data folder beside it) reads its own files.
    FolderFacts readOnlyCopy = portableBuild();
    readOnlyCopy.executableFolderWritable = false;
    const ProgramFolders copy = chooseProgramFolders(readOnlyCopy);
    EXPECT_TRUE(copy.installed);
    EXPECT_EQ(copy.settings, "/home/u/.config/kasanemi");
    EXPECT_EQ(copy.data, "/home/u/kasanemi/build/bin");

    // An install into a prefix of the user's own: the shipped files are in
    // the data folder, not beside the executable, so it counts as installed.
    FolderFacts ownPrefix = systemInstall();
    ownPrefix.executableFolder = QStringLiteral("/home/u/opt/bin");
    ownPrefix.executableFolderWritable = true;
    ownPrefix.installedDataFolder = QStringLiteral("/home/u/opt/share/kasanemi");
    const ProgramFolders own = chooseProgramFolders(ownPrefix);
    EXPECT_TRUE(own.installed);
    EXPECT_EQ(own.program, "/home/u/.cache/kasanemi");
    EXPECT_EQ(own.data, "/home/u/opt/share/kasanemi");
}

TEST(ProgramFolders, KasanemiHomeOverridesBothButNotWhereTheShippedFilesAre)
{
    FolderFacts facts = systemInstall();
    facts.home = QStringLiteral("/srv/kasanemi");
    const ProgramFolders folders = chooseProgramFolders(facts);
    EXPECT_FALSE(folders.installed);
    EXPECT_EQ(folders.settings, "/srv/kasanemi");
    EXPECT_EQ(folders.program, "/srv/kasanemi");
    EXPECT_EQ(folders.data, "/usr/share/kasanemi");
}

TEST(ProgramFolders, TwoViewersOfOneUserPickTheSameFoldersFromTheEnvironment)
{
    QTemporaryDir config, cache;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME"), oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    qunsetenv("KASANEMI_HOME");
    const FolderFacts first = currentFolderFacts();
    const FolderFacts second = currentFolderFacts();
    EXPECT_EQ(first.configHome, QDir::cleanPath(config.path()));
    EXPECT_EQ(first.cacheHome, QDir::cleanPath(cache.path()));
    EXPECT_EQ(first.executableFolder, second.executableFolder);
    // The test executable lies in a writable build folder with no data folder
    // beside it: a build, which keeps today's folders.
    EXPECT_TRUE(first.executableFolderWritable);
    EXPECT_TRUE(first.installedDataFolder.isEmpty());
    EXPECT_EQ(programFolder(), first.executableFolder);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    qputenv("XDG_CACHE_HOME", oldCache);
    if (oldConfig.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
    if (oldCache.isEmpty()) qunsetenv("XDG_CACHE_HOME");
}

// Run as root too (CI): root may write anywhere, yet a folder without a write
// bit for its class is not the program's to fill.
TEST(FolderPermission, TheWriteBitsDecideForRootAsForAnyone)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/bin";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray native = QFile::encodeName(folder);
    EXPECT_TRUE(folderWritableByPermissions(folder));

    ASSERT_EQ(::chmod(native.constData(), 0555), 0);
    EXPECT_FALSE(folderWritableByPermissions(folder));
    // Only the owner's bit counts for the owner: others may write, the owner not.
    ASSERT_EQ(::chmod(native.constData(), 0577), 0);
    EXPECT_FALSE(folderWritableByPermissions(folder));
    ASSERT_EQ(::chmod(native.constData(), 0755), 0);
    EXPECT_TRUE(folderWritableByPermissions(folder));

    if (::geteuid() == 0) {
        // Root in a folder another user owns: the others' bit.
        ASSERT_EQ(::chown(native.constData(), 12345, 12345), 0);
        EXPECT_FALSE(folderWritableByPermissions(folder));
        ASSERT_EQ(::chmod(native.constData(), 0757), 0);
        EXPECT_TRUE(folderWritableByPermissions(folder));
    }

    EXPECT_FALSE(folderWritableByPermissions(dir.path() + "/missing"));
    writeAll(dir.path() + "/file", "x");
    EXPECT_FALSE(folderWritableByPermissions(dir.path() + "/file"));
}

TEST(ShippedFile, AnInstalledProgramCopiesItIntoTheProgramFolderWhenItDiffers)
{
    QTemporaryDir root;
    ProgramFolders folders;
    folders.installed = true;
    folders.data = root.path() + "/share/kasanemi";
    folders.program = root.path() + "/cache/kasanemi";  // not there yet
    ASSERT_TRUE(QDir().mkpath(folders.data));
    writeAll(folders.data + "/QEMTIN.dvb", "QEMTIN.basWMF.pu_subMakeWMF_All\n");

    QString error;
    const QString path = shippedFileInProgramFolder(folders, "QEMTIN.dvb", &error);
    EXPECT_EQ(path, folders.program + "/QEMTIN.dvb");
    EXPECT_EQ(readAll(path), "QEMTIN.basWMF.pu_subMakeWMF_All\n");

    // The same again: the copy is left as it is (same file, same inode).
    struct stat before {}, after {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    EXPECT_EQ(shippedFileInProgramFolder(folders, "QEMTIN.dvb", &error), path);
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);

    // A newer shipped file (an upgrade) replaces a stale copy.
    writeAll(folders.data + "/QEMTIN.dvb", "QEMTIN.basWMF.pu_subMakeWMF_Part\n");
    EXPECT_EQ(shippedFileInProgramFolder(folders, "QEMTIN.dvb", &error), path);
    EXPECT_EQ(readAll(path), "QEMTIN.basWMF.pu_subMakeWMF_Part\n");
}

TEST(ShippedFile, NothingIsCopiedOutsideAnInstallAndAFailedCopySaysWhy)
{
    QTemporaryDir root;
    ProgramFolders portable;
    portable.program = portable.data = root.path();
    QString error;
    writeAll(root.path() + "/QEMTIN.dvb", "x\n");
    EXPECT_EQ(shippedFileInProgramFolder(portable, "QEMTIN.dvb", &error), root.path() + "/QEMTIN.dvb");

    ProgramFolders installed;
    installed.installed = true;
    installed.data = root.path() + "/share";
    ASSERT_TRUE(QDir().mkpath(installed.data));
    writeAll(installed.data + "/QEMTIN.dvb", "x\n");
    writeAll(root.path() + "/blocked", "a file where the folder should be");
    installed.program = root.path() + "/blocked/kasanemi";
    EXPECT_TRUE(shippedFileInProgramFolder(installed, "QEMTIN.dvb", &error).isEmpty());
    EXPECT_TRUE(error.contains("blocked/kasanemi/QEMTIN.dvb")) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("を作れません"))) << error.toStdString();
}

TEST(ShippedFile, AMissingFileIsSaidInJapaneseWithWhereToGetIt)
{
    QTemporaryDir root;
    // KASANEMI_HOME names a folder without the project; the build beside it has one.
    ProgramFolders home;
    home.program = home.settings = root.path() + "/home";
    home.data = root.path() + "/bin";
    ASSERT_TRUE(QDir().mkpath(home.program) && QDir().mkpath(home.data));
    writeAll(home.data + "/QEMTIN.dvb", "x\n");
    QString error;
    EXPECT_TRUE(shippedFileInProgramFolder(home, "QEMTIN.dvb", &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("QEMTIN.dvb が %1 にありません。%2 をこのフォルダへコピーしてください。")
                         .arg(home.program, home.data + "/QEMTIN.dvb"));
    EXPECT_FALSE(QFile::exists(home.program + "/QEMTIN.dvb"));

    // Nowhere to copy it from (a build without it, an install that lost it).
    home.data = home.program;
    EXPECT_TRUE(shippedFileInProgramFolder(home, "QEMTIN.dvb", &error).isEmpty());
    EXPECT_TRUE(error.endsWith(QStringLiteral("Kasanemi を入れ直してください。"))) << error.toStdString();
    ProgramFolders installed = home;
    installed.installed = true;
    installed.data = root.path() + "/share";
    error.clear();
    EXPECT_TRUE(shippedFileInProgramFolder(installed, "QEMTIN.dvb", &error).isEmpty());
    EXPECT_TRUE(error.startsWith(QStringLiteral("QEMTIN.dvb が "))) << error.toStdString();
}
