// The reader holds a drawing's text once, in a buffer of the file's own size
// (a large file was rounded up to the next power of two), and that buffer is
// the text saving patches: byte for byte the file.

#include "cad/dxf/DxfLoader.h"
#include "cad/dxf/DxfTokenizer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(DxfFileBuffer, TheFilesTextIsHeldOnceAtItsOwnSize)
{
    // Some 3 MB: readAll would have reserved 4 MiB.
    QByteArray text = "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; text.size() < 3'000'000; ++i)
        text += "0\nLINE\n8\n壁" + QByteArray::number(i % 7) + "\n10\n" + QByteArray::number(i) + "\n20\n0\n11\n1\n21\n1\n";
    text += "0\nENDSEC\n0\nEOF\n";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("big.dxf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(text), text.size());
    file.close();

    const cad::dxf::LoadedDrawing loaded = cad::dxf::loadDxfFile(path);
    EXPECT_EQ(loaded.source.bytes, text);
    EXPECT_LE(loaded.source.bytes.capacity(), text.size() + 64);
    EXPECT_EQ(loaded.source.fileSize, text.size());
    EXPECT_FALSE(loaded.truncated);
    EXPECT_GT(loaded.drawing.entities.size(), 50'000u);
}

TEST(DxfFileBuffer, AnEmptyOrMissingFileIsRefusedWithOneLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString empty = dir.filePath(QStringLiteral("empty.dxf"));
    QFile file(empty);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_THROW(cad::dxf::loadDxfFile(empty), cad::dxf::DxfFormatError);
    EXPECT_THROW(cad::dxf::loadDxfFile(dir.filePath(QStringLiteral("none.dxf"))), cad::dxf::DxfFormatError);
}

} // namespace
