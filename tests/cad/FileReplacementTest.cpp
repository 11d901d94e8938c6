// Saving a drawing replaces its file's text and nothing else about it: mode,
// owner, group and hard links stay; a file without write permission is
// refused even for root; a failure leaves the old file whole.

#include "CadTestSupport.h"

#include "acad/AcadError.h"
#include "cad/CadDocument.h"
#include "cad/FileReplacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

class FileReplacement : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("plan.dxf");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old text\n");
    }
    void chmod(mode_t mode) { ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0); }
    /// Nothing but the target in the folder (no temporary file left behind).
    void expectNoLeftovers(const QStringList& names = {"plan.dxf"})
    {
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), names);
    }
    QTemporaryDir dir;
    QString path;
};

TEST_F(FileReplacement, KeepsTheModeAndCreatesNewFilesByTheUmask)
{
    chmod(0640);
    EXPECT_EQ(cad::replaceFileContents(path, "new text\n"), QString());
    EXPECT_EQ(fileBytes(path), "new text\n");
    EXPECT_EQ(statOf(path).st_mode & 07777, 0640u);
    expectNoLeftovers();

    const mode_t mask = ::umask(022);
    const QString fresh = dir.filePath("fresh.dxf");
    EXPECT_EQ(cad::replaceFileContents(fresh, "x"), QString());
    ::umask(mask);
    EXPECT_EQ(statOf(fresh).st_mode & 07777, 0644u);
}

TEST_F(FileReplacement, AFileWithoutWritePermissionIsRefusedEvenForRoot)
{
    chmod(0444);
    const QString problem = cad::replaceFileContents(path, "new text\n");
    EXPECT_TRUE(problem.contains(QStringLiteral("read-only"))) << problem.toStdString();
    EXPECT_EQ(fileBytes(path), "old text\n");
    EXPECT_EQ(statOf(path).st_mode & 07777, 0444u);
    expectNoLeftovers();
}

TEST_F(FileReplacement, HardLinksAndSymbolicLinksAreWrittenThrough)
{
    const QString link = dir.filePath("link.dxf");
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
    const QString symlink = dir.filePath("shortcut.dxf");
    ASSERT_TRUE(QFile::link(path, symlink));
    const ino_t inode = statOf(path).st_ino;

    EXPECT_EQ(cad::replaceFileContents(link, "through the link\n"), QString());
    EXPECT_EQ(fileBytes(path), "through the link\n");
    EXPECT_EQ(statOf(path).st_ino, inode);
    EXPECT_EQ(statOf(path).st_nlink, 2u);

    EXPECT_EQ(cad::replaceFileContents(symlink, "short\n"), QString());
    EXPECT_TRUE(QFileInfo(symlink).isSymLink());
    EXPECT_EQ(fileBytes(path), "short\n"); // shorter text: the rest is cut off
    EXPECT_EQ(fileBytes(link), "short\n");
    expectNoLeftovers({"link.dxf", "plan.dxf", "shortcut.dxf"});
}

TEST_F(FileReplacement, RootKeepsAnotherUsersOwnershipAndGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "not root: giving a file to another user was NOT checked";
    const uid_t nobody = 65534;
    const gid_t nogroup = 65534;
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), nobody, nogroup), 0);
    chmod(0664);
    EXPECT_EQ(cad::replaceFileContents(path, "by root\n"), QString());
    const struct stat st = statOf(path);
    EXPECT_EQ(st.st_uid, nobody);
    EXPECT_EQ(st.st_gid, nogroup);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    EXPECT_EQ(fileBytes(path), "by root\n");
}

TEST_F(FileReplacement, AnotherUserWritingAGroupFileKeepsItsOwner)
{
    // This test program runs again as nobody (through setpriv) and writes a
    // file that root owns and nobody's group may write: it cannot give a new
    // file to root, so it must write through the file itself.
    if (::geteuid() != 0 || !QFile::exists(QStringLiteral("/usr/bin/setpriv")))
        GTEST_SKIP() << "cannot switch to another user: writing as one was NOT checked";
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 0, 65534), 0);
    chmod(0664);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KASANEMI_REPLACE_AS_CHILD"), path);
    child.setProcessEnvironment(env);
    child.start(QStringLiteral("/usr/bin/setpriv"),
                {"--reuid=65534", "--regid=65534", "--clear-groups", QCoreApplication::applicationFilePath(),
                 "--gtest_filter=FileReplacementChild.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    if (child.exitCode() != 0 && child.readAllStandardError().contains("Permission denied"))
        GTEST_SKIP() << "nobody cannot run the test program here: writing as another user was NOT checked";
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    const struct stat st = statOf(path);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    EXPECT_EQ(fileBytes(path), "by nobody\n");
    expectNoLeftovers();
}

TEST(FileReplacementChild, WritesAsAnotherUser)
{
    const QString path = qEnvironmentVariable("KASANEMI_REPLACE_AS_CHILD");
    if (path.isEmpty())
        GTEST_SKIP() << "run by FileReplacement.AnotherUserWritingAGroupFileKeepsItsOwner only";
    EXPECT_EQ(cad::replaceFileContents(path, "by nobody\n"), QString());
}

TEST(DrawingSave, ARefusedSaveSaysWhyAndKeepsTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("plan.dxf");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nContinuous\n"
            "0\nLAYER\n2\nA\n70\n0\n62\n1\n6\nContinuous\n0\nENDTAB\n0\nENDSEC\n0\nEOF\n");
    f.close();
    auto doc = cad::CadDocument::open(path);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    const QByteArray before = fileBytes(path);
    doc->setLayerOn(1, false);
    try {
        doc->save();
        FAIL() << "a read-only drawing was overwritten";
    } catch (const acad::AcadError& e) {
        EXPECT_EQ(e.number(), acad::error::kHostFailure);
        EXPECT_TRUE(e.description().contains(QStringLiteral("plan.dxf is read-only")));
    }
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_TRUE(doc->isModified());
}

} // namespace
