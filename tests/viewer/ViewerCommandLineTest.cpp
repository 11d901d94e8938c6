#include "viewer/ViewerCommandLine.h"

#include <QDir>
#include <QFile>
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
