#include "info/InfoText.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

/// A stand-in executable whose modification time is set to `stamp`.
QString executableModifiedAt(const QTemporaryDir& dir, const QDateTime& stamp)
{
    const QString path = dir.filePath(QStringLiteral("kasanemi"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x7f" "ELF");
    file.flush(); // a later flush would stamp the file with the current time
    EXPECT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();
    return path;
}

} // namespace

TEST(InfoText, HoldsEveryLineInOrderWithALeadingEmptyLine)
{
    QTemporaryDir dir;
    const QString exe = executableModifiedAt(dir, QDateTime(QDate(2024, 3, 9), QTime(12, 0)));
    const QString expected = QStringLiteral(
        "\r\n"
        "　【ソフト名称 】Kasanemi\r\n"
        "　【バージョン 】Ver4.00\r\n"
        "　【配　布　名 】QEMTINF400.lzh\r\n"
        "　【作　成　日 】2024/03/09\r\n"
        "　【対応　O S　】Windows 98SE/2000/XP\r\n"
        "　【対応AutoCAD】AutoCAD2000-2006\r\n"
        "\r\n"
        "AutoCADのオブジェクトを画層単位にプレビュー表示します。");
    EXPECT_EQ(info::buildInfoText(exe).toStdString(), expected.toStdString());
}

TEST(InfoText, BuildDateFollowsTheExecutableNotTheClock)
{
    QTemporaryDir dir;
    // Late evening local time must not roll over to the next day.
    const QString exe = executableModifiedAt(dir, QDateTime(QDate(1999, 12, 31), QTime(23, 59, 30)));
    const QStringList lines = info::buildInfoText(exe).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[4].toStdString(), "　【作　成　日 】1999/12/31");
    EXPECT_FALSE(lines[4].contains(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"))));
}

TEST(InfoText, MissingExecutableIsAFailureNotAnEmptyDate)
{
    EXPECT_THROW(info::buildInfoText(QStringLiteral("/nonexistent/kasanemi")), std::runtime_error);
}

TEST(InfoText, ContactBlockHasEveryPlaceholderFilled)
{
    const QString tmpl = info::contactTemplate();
    EXPECT_TRUE(tmpl.startsWith(QStringLiteral("-----")));
    const QString twice = tmpl + QStringLiteral("\r\n") + info::kUrlPlaceholder;
    const QString filled = info::fillContact(twice, QStringLiteral("https://a.example/"), QStringLiteral("m@a.example"));
    EXPECT_FALSE(filled.contains(info::kUrlPlaceholder));
    EXPECT_FALSE(filled.contains(info::kMailPlaceholder));
    EXPECT_EQ(filled.count(QStringLiteral("https://a.example/")), 2);
    EXPECT_EQ(filled.count(QStringLiteral("m@a.example")), 1);
}
