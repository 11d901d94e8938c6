// A drawing that cannot be read, or that ends early, is told to the user in
// Japanese, with every detail the reader knows: the line, the file, the
// system's reason.

#include "CadTestSupport.h"

#include "acad/AcadError.h"
#include "cad/CadDocument.h"
#include "cad/dxf/DxfLoader.h"
#include "cad/dxf/DxfMessages.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using cad::dxf::DxfFormatError;

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

/// The description the host gives for a file it refuses, "" when it opened.
QString refusalOf(const QString& path)
{
    try {
        (void)cad::CadDocument::open(path);
    } catch (const acad::AcadError& e) {
        EXPECT_EQ(e.number(), acad::error::kHostFailure);
        return e.description();
    }
    return QString();
}

bool hasKana(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3040 && c.unicode() <= 0x30ff; });
}

TEST(DxfMessages, ADamagedFileIsRefusedInJapaneseNamingTheLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("壊れた図面.dxf"));
    ASSERT_TRUE(writeFile(path, "0\nSECTION\n2\nENTITIES\nzero\nLINE\n0\nENDSEC\n0\nEOF\n"));
    const QString refusal = refusalOf(path);
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("壊れた図面.dxf: 5 行目："))) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("グループコード"))) << refusal.toStdString();
    EXPECT_FALSE(refusal.contains(QStringLiteral("expected"))) << refusal.toStdString();
}

TEST(DxfMessages, EveryRefusalOfTheReaderIsJapaneseWithItsDetails)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
        const char16_t* expected;
    } cases[] = {
        {"binary.dxf", QByteArray("AutoCAD Binary DXF\r\n\x1a\0", 22) + QByteArray(100, '\x01'), u"バイナリ形式"},
        {"text.dxf", "hello world\nthis is text\n", u"グループコード"},
        {"nosection.dxf", "0\nLINE\n8\n0\n", u"セクションで始まっていません"},
        {"empty.dxf", "999\njust a comment\n", u"セクションがひとつもありません"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(writeFile(path, c.bytes));
        const QString refusal = refusalOf(path);
        EXPECT_TRUE(refusal.contains(QString::fromUtf16(c.expected))) << c.name << ": " << refusal.toStdString();
        EXPECT_TRUE(refusal.startsWith(QString::fromLatin1(c.name) + QStringLiteral(": "))) << refusal.toStdString();
        EXPECT_EQ(refusal.count(u'\n'), 0);
    }
    // A file that cannot be opened keeps its path and the system's reason,
    // even a path that looks like a placeholder.
    const QString missing = dir.filePath(QStringLiteral("%2 と %1.dxf"));
    try {
        (void)cad::dxf::loadDxfFile(missing);
        FAIL() << "a missing file was read";
    } catch (const DxfFormatError& e) {
        EXPECT_EQ(e.kind(), DxfFormatError::Kind::CannotOpen);
        EXPECT_TRUE(e.message().startsWith(missing + QStringLiteral(" を開けません："))) << e.message().toStdString();
        EXPECT_TRUE(e.message().endsWith(e.details().at(1)));
        EXPECT_FALSE(e.details().at(1).isEmpty());
        // The English line for logs holds the same details.
        EXPECT_TRUE(QString::fromStdString(e.what()).startsWith(QStringLiteral("cannot open ") + missing));
    }
}

TEST(DxfMessages, AFileCutShortWarnsInJapaneseWithItsLastLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.dxf"));
    ASSERT_TRUE(writeFile(path, "0\nSECTION\n2\nENTITIES\n0\nPOINT\n8\n0\n10\n1\n20\n1\n"));
    const auto doc = cad::CadDocument::open(path);
    const QString warning = doc->loadWarning();
    EXPECT_TRUE(warning.contains(QStringLiteral("「cut.dxf」は 12 行目で終わって"))) << warning.toStdString();
    EXPECT_TRUE(hasKana(warning));
    EXPECT_EQ(doc->countOnLayers(QStringLiteral("0")), 1u);
}

} // namespace
