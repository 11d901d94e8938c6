#include "viewer/ViewerCommandLine.h"

#include "app/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

/// Runs the answer in a folder of its own, so files named like the options
/// can be put there.
class ViewerCommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    }
    void TearDown() override { QDir::setCurrent(m_previous); }

    std::optional<int> answer(const QString& line)
    {
        m_output.clear();
        QTextStream out(&m_output);
        return viewer::answerInformationRequest(line, out);
    }

    QTemporaryDir m_dir;
    QString m_previous;
    QString m_output;
};

} // namespace

TEST_F(ViewerCommandLine, HelpAndVersionAreAnsweredWhenNoSuchFileExists)
{
    EXPECT_EQ(answer("--help"), 0);
    EXPECT_EQ(m_output, viewer::viewerUsage());
    EXPECT_TRUE(m_output.startsWith("Usage: kasanemi [LAYER-LIST-FILE]\n"));
    EXPECT_TRUE(m_output.contains("QEMTINF.ini"));
    EXPECT_EQ(answer("--version"), 0);
    EXPECT_EQ(m_output, "kasanemi (Kasanemi) 4.00\n");
    // A folder of that name is no list file either.
    ASSERT_TRUE(QDir().mkdir("--help"));
    EXPECT_EQ(answer("--help"), 0);
}

TEST_F(ViewerCommandLine, AListFileOfThatNameWinsAndAnythingElseIsLeftToTheWindow)
{
    QFile list("--version");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("0\r\n");
    list.close();
    EXPECT_FALSE(answer("--version").has_value());
    EXPECT_TRUE(m_output.isEmpty());
    for (const char* line : {"", "--help --version", "-h", "--HELP", "\"--help\"", "layers.csv"})
        EXPECT_FALSE(answer(QString::fromLatin1(line)).has_value()) << line;
    EXPECT_EQ(viewer::commandLinePath({"my", "layers.csv"}), "my layers.csv");
}

TEST_F(ViewerCommandLine, UsageNamesTheFoldersOfABuildAndOfAnInstall)
{
    app::ProgramFolders build;
    build.settings = build.program = build.data = m_dir.path();
    QFile project(m_dir.filePath("QEMTIN.dvb"));
    ASSERT_TRUE(project.open(QIODevice::WriteOnly));
    project.close();
    QString usage = viewer::viewerUsage(build);
    EXPECT_TRUE(usage.contains(m_dir.filePath("QEMTINF.ini"))) << usage.toStdString();
    EXPECT_TRUE(usage.contains(m_dir.filePath("LAYER"))) << usage.toStdString();
    EXPECT_FALSE(usage.contains("missing"));

    app::ProgramFolders installed;
    installed.installed = true;
    installed.settings = "/home/u/.config/kasanemi";
    installed.program = "/home/u/.cache/kasanemi";
    installed.data = "/usr/share/kasanemi";
    usage = viewer::viewerUsage(installed);
    EXPECT_TRUE(usage.contains("/home/u/.config/kasanemi/QEMTINF.ini"));
    EXPECT_TRUE(usage.contains("/home/u/.cache/kasanemi/LAYER"));
    EXPECT_TRUE(usage.contains("/home/u/.cache/kasanemi/QEMTIN.dvb (copied from /usr/share/kasanemi)"));
    EXPECT_FALSE(usage.contains("missing")); // the first refresh copies it
}

TEST_F(ViewerCommandLine, UsageSaysWhenTheMacroProjectIsMissingAndWhereToGetIt)
{
    app::ProgramFolders home;
    home.settings = home.program = m_dir.filePath("home");
    home.data = m_dir.filePath("bin");
    ASSERT_TRUE(QDir().mkpath(home.data));
    QFile shipped(home.data + "/QEMTIN.dvb");
    ASSERT_TRUE(shipped.open(QIODevice::WriteOnly));
    shipped.close();
    const QString usage = viewer::viewerUsage(home);
    EXPECT_TRUE(usage.contains("The macro project is missing there")) << usage.toStdString();
    EXPECT_TRUE(usage.contains("Copy it from " + home.data + "/QEMTIN.dvb into " + home.program + "."))
        << usage.toStdString();
}

TEST(ViewerHelp, TheBuiltViewerNamesTheFoldersBesideItselfWithoutAWarning)
{
    const QString bin = qEnvironmentVariable("KASANEMI_BIN");
    ASSERT_FALSE(bin.isEmpty());
    QProcess viewer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("KASANEMI_HOME");
    viewer.setProcessEnvironment(environment);
    viewer.start(bin + "/kasanemi", {"--help"});
    ASSERT_TRUE(viewer.waitForFinished(30000));
    EXPECT_EQ(viewer.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(viewer.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QDir(bin).canonicalPath() + "/QEMTINF.ini")) << out.toStdString();
    EXPECT_TRUE(out.contains(QDir(bin).canonicalPath() + "/LAYER")) << out.toStdString();
    EXPECT_EQ(viewer.readAllStandardError(), QByteArray());
}
