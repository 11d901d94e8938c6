// The reader parses a drawing's file through a mapping and keeps none of its
// text: saving reads the text back through the file kept open at load and
// patches it only when it is still the text that was loaded.

#include "CadTestSupport.h"
#include "TestFiles.h"

#include "acad/AcadError.h"
#include "cad/CadDocument.h"
#include "cad/dxf/DxfFileBuffer.h"
#include "cad/dxf/DxfLayerWriter.h"
#include "cad/dxf/DxfLoader.h"
#include "cad/dxf/DxfMessages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <thread>
#include <unistd.h>

namespace {

using testsupport::readAll;
using testsupport::writeAll;

/// A drawing of `lines` lines on seven layers (with a LAYER table), some
/// 160 bytes of text a line.
QByteArray drawingText(int lines)
{
    QByteArray text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1021\n9\n$CLAYER\n8\n壁0\n0\nENDSEC\n0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n";
    for (int k = 0; k < 7; ++k)
        text += "0\nLAYER\n2\n壁" + QByteArray::number(k) + "\n70\n0\n62\n" + QByteArray::number(k + 1)
            + "\n6\nCONTINUOUS\n";
    text += "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < lines; ++i)
        text += "0\nLINE\n8\n壁" + QByteArray::number(i % 7) + "\n10\n" + QByteArray::number(i)
            + ".25\n20\n0.0\n30\n0.0\n11\n1.0\n21\n1.0\n31\n0.0\n";
    return text + "0\nENDSEC\n0\nEOF\n";
}

int number(const acad::AcadError& e)
{
    return e.number();
}

/// Saving and reading back: a drawing whose file is changed behind the
/// document's back, and the bytes its change must give.
class KeptText : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        text = drawingText(2000);
        path = dir.filePath(QStringLiteral("図面.dxf"));
        writeAll(path, text);
    }
    /// The layer changes every case makes.
    static void change(cad::CadDocument& doc)
    {
        doc.setLayerOn(1, false);
        doc.setLayerLocked(3, true);
        doc.setCurrentLayer(2);
    }
    /// The bytes the same change makes of the text patched in memory.
    QByteArray rightBytes() const
    {
        const cad::dxf::LoadedDrawing loaded = cad::dxf::loadDxf(text);
        std::vector<cad::LayerRecord> changed = loaded.drawing.layers;
        changed[1].on = false;
        changed[3].locked = true;
        return cad::dxf::patchLayers(text, loaded.source, loaded.drawing.layers, changed, loaded.drawing.clayer,
                                     changed[2].name);
    }
    /// Expects `save` to be refused with the host's failure and the file at
    /// `target` to hold `bytes` afterwards (empty: no file).
    template <typename Save>
    void expectRefused(Save save, const QString& target, const QByteArray& bytes)
    {
        try {
            save();
            ADD_FAILURE() << "saved over or from a changed file";
        } catch (const acad::AcadError& e) {
            EXPECT_EQ(number(e), acad::error::kHostFailure);
        }
        EXPECT_EQ(QFileInfo::exists(target), !bytes.isEmpty());
        EXPECT_EQ(readAll(target), bytes);
    }
    QTemporaryDir dir;
    QByteArray text;
    QString path;
};

TEST(DxfFileBuffer, ADrawingReadFromAFileKeepsNoCopyOfItsText)
{
    // Some 13 MB: the parse gives pages back several times on the way.
    const QByteArray text = drawingText(80'000);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("big.dxf"));
    writeAll(path, text);

    const cad::dxf::LoadedDrawing fromFile = cad::dxf::loadDxfFile(path);
    EXPECT_EQ(fromFile.source.text.heldBytes(), 0);
    EXPECT_EQ(fromFile.source.text.size(), text.size());
    EXPECT_EQ(fromFile.source.fileSize, text.size());
    // The hash taken piece by piece as the parse went is the whole text's.
    EXPECT_EQ(fromFile.source.text.hash(), cad::hashOfText(text.constData(), size_t(text.size())));
    EXPECT_EQ(fromFile.source.text.readBack(), std::optional<QByteArray>(text));
    EXPECT_FALSE(fromFile.truncated);
    EXPECT_EQ(fromFile.drawing.entities.size(), 80'000u);

    // The same text parsed in memory: the same drawing and byte ranges.
    const cad::dxf::LoadedDrawing inMemory = cad::dxf::loadDxf(text);
    ASSERT_EQ(inMemory.source.layerEntries.size(), fromFile.source.layerEntries.size());
    for (size_t i = 0; i < inMemory.source.layerEntries.size(); ++i) {
        EXPECT_EQ(inMemory.source.layerEntries[i].begin, fromFile.source.layerEntries[i].begin);
        EXPECT_EQ(inMemory.source.layerEntries[i].end, fromFile.source.layerEntries[i].end);
    }
    EXPECT_EQ(inMemory.drawing.layers.size(), fromFile.drawing.layers.size());
    EXPECT_EQ(inMemory.drawing.clayer, QStringLiteral("壁0"));
    EXPECT_EQ(fromFile.drawing.clayer, QStringLiteral("壁0"));

    auto doc = cad::CadDocument::open(path);
    EXPECT_EQ(doc->heldTextBytes(), 0);
    doc->setLayerFrozen(4, true);
    doc->save();
    EXPECT_EQ(doc->heldTextBytes(), 0) << "a save must not keep the text it wrote";
}

TEST(DxfFileBuffer, AnEmptyOrMissingFileIsRefusedWithOneLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString empty = dir.filePath(QStringLiteral("empty.dxf"));
    writeAll(empty, {});
    EXPECT_THROW(cad::dxf::loadDxfFile(empty), cad::dxf::DxfFormatError);
    EXPECT_THROW(cad::dxf::loadDxfFile(dir.filePath(QStringLiteral("none.dxf"))), cad::dxf::DxfFormatError);
}

TEST(DxfFileBuffer, APipeIsReadIntoABufferThatTheSourceHolds)
{
    const QByteArray text = drawingText(3000);
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::thread writer([&] {
        for (qsizetype done = 0; done < text.size();) {
            const ssize_t n = write(ends[1], text.constData() + done, size_t(text.size() - done));
            if (n <= 0) break;
            done += n;
        }
        close(ends[1]);
    });
    const cad::dxf::LoadedDrawing loaded = cad::dxf::loadDxfFile(cad::OpenFile(ends[0]), QStringLiteral("pipe"));
    writer.join();
    EXPECT_EQ(loaded.drawing.entities.size(), 3000u);
    // Nothing to read back from: the text is held, and it is the text.
    EXPECT_EQ(loaded.source.text.heldBytes(), text.size());
    EXPECT_EQ(loaded.source.text.readBack(), std::optional<QByteArray>(text));
}

TEST(DxfFileBuffer, AFileCutWhileMappedReadsAsZerosAndIsNotedInsteadOfKillingTheHost)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cut.dxf"));
    const QByteArray text = drawingText(3000);
    for (const cad::ReadPurpose purpose : {cad::ReadPurpose::Keep, cad::ReadPurpose::Report}) {
        SCOPED_TRACE(purpose == cad::ReadPurpose::Keep ? "read to keep" : "read to report");
        writeAll(path, text);
        const int descriptor = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(descriptor, 0);
        cad::dxf::DxfFileBuffer buffer{cad::OpenFile(descriptor), path, purpose};
        ASSERT_TRUE(buffer.isMapped());
        EXPECT_FALSE(buffer.wasCut());
        ASSERT_TRUE(QFile::resize(path, 1000));
        const QByteArray mapped = buffer.text();
        // Past the new end: a SIGBUS without the guard.
        const volatile char* last = mapped.constData() + mapped.size() - 1;
        EXPECT_EQ(*last, 0);
        EXPECT_TRUE(buffer.wasCut());
        EXPECT_THROW(buffer.throwIfCut(), cad::dxf::DxfFormatError);
        EXPECT_EQ(mapped.left(1000), text.left(1000));
    }
}

TEST(DxfFileBuffer, ADrawingReadToReportIsTheSameDrawingButCanNeverBeSaved)
{
    const QByteArray text = drawingText(80'000); // pages passed several times over
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("報告.dxf"));
    writeAll(path, text);

    const cad::dxf::LoadedDrawing kept = cad::dxf::loadDxfFile(path);
    const cad::dxf::LoadedDrawing reported = cad::dxf::loadDxfFile(path, nullptr, cad::ReadPurpose::Report);
    EXPECT_EQ(reported.drawing.entities.size(), kept.drawing.entities.size());
    EXPECT_EQ(reported.drawing.layers.size(), kept.drawing.layers.size());
    EXPECT_EQ(reported.source.text.size(), text.size());
    EXPECT_FALSE(reported.source.text.isKept());
    EXPECT_FALSE(reported.source.text.readBack()) << "no text to patch: a save would write an empty file";
    EXPECT_FALSE(reported.source.text.matches(text));
    // Reading to report must not change what a kept load keeps.
    EXPECT_TRUE(kept.source.text.isKept());
    EXPECT_EQ(kept.source.text.hash(), cad::hashOfText(text.constData(), size_t(text.size())));

    auto doc = cad::CadDocument::open(path, nullptr, cad::ReadPurpose::Report);
    doc->setLayerOn(1, false);
    const QString copy = dir.filePath(QStringLiteral("copy.dxf"));
    for (auto save : {std::function<void()>([&] { doc->save(); }), std::function<void()>([&] { doc->save(true); }),
                      std::function<void()>([&] { doc->saveAs(copy); })}) {
        try {
            save();
            ADD_FAILURE() << "a drawing read to report was saved";
        } catch (const acad::AcadError& e) {
            EXPECT_EQ(number(e), acad::error::kHostFailure);
        }
    }
    EXPECT_EQ(readAll(path), text);
    EXPECT_FALSE(QFileInfo::exists(copy));
}

TEST_F(KeptText, SaveAsAfterTheFileWasReplacedByARenameWritesTheLoadedTextPatched)
{
    auto doc = cad::CadDocument::open(path);
    change(*doc);
    const QString other = dir.filePath(QStringLiteral("other.dxf"));
    const QByteArray theirs = drawingText(10);
    writeAll(other, theirs);
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()), 0);

    expectRefused([&] { doc->save(); }, path, theirs);
    const QString copy = dir.filePath(QStringLiteral("写し.dxf"));
    doc->saveAs(copy);
    EXPECT_EQ(readAll(copy), rightBytes());
    EXPECT_EQ(readAll(path), theirs);
    // The copy is the document's file now: saved again from its own text.
    doc->setLayerOn(1, true);
    doc->save();
    EXPECT_TRUE(cad::CadDocument::open(copy)->layer(1).on);
}

TEST_F(KeptText, SaveAsAfterTheFileWasDeletedWorksFromTheKeptFile)
{
    auto doc = cad::CadDocument::open(path);
    change(*doc);
    ASSERT_TRUE(QFile::remove(path));
    expectRefused([&] { doc->save(); }, path, {});
    const QString copy = dir.filePath(QStringLiteral("copy.dxf"));
    doc->saveAs(copy);
    EXPECT_EQ(readAll(copy), rightBytes());
}

TEST_F(KeptText, AFileTruncatedInPlaceIsRefusedBySaveAndSaveAs)
{
    auto doc = cad::CadDocument::open(path);
    change(*doc);
    ASSERT_TRUE(QFile::resize(path, text.size() / 2));
    const QByteArray half = readAll(path);
    const QString copy = dir.filePath(QStringLiteral("copy.dxf"));
    expectRefused([&] { doc->save(); }, path, half);
    expectRefused([&] { doc->saveAs(copy); }, copy, {});
    expectRefused([&] { doc->save(true); }, path, half);
}

TEST_F(KeptText, AFileRewrittenInPlaceLargerIsRefusedButOneOnlyAppendedToKeepsItsLoadedText)
{
    auto doc = cad::CadDocument::open(path);
    change(*doc);
    const QString copy = dir.filePath(QStringLiteral("copy.dxf"));
    QByteArray rewritten = text;
    rewritten.replace("LINE", "LINF");
    rewritten += "999\nlonger now\n";
    writeAll(path, rewritten); // in place: the same file, truncated and written
    expectRefused([&] { doc->save(); }, path, rewritten);
    expectRefused([&] { doc->saveAs(copy); }, copy, {});

    // Appended to: the loaded text is still all there in front.
    writeAll(path, text + "999\nappended\n");
    expectRefused([&] { doc->save(); }, path, text + "999\nappended\n");
    doc->saveAs(copy);
    EXPECT_EQ(readAll(copy), rightBytes());
}

TEST_F(KeptText, ATextChangedUnderTheSameSizeAndTimeIsNotOverwritten)
{
    auto doc = cad::CadDocument::open(path);
    change(*doc);
    const QDateTime stamp = QFileInfo(path).lastModified();
    QByteArray theirs = text;
    theirs.replace("壁6", "壁X");
    writeAll(path, theirs);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(QFileInfo(path).lastModified(), stamp);
    expectRefused([&] { doc->save(); }, path, theirs);
}

TEST(DxfFileBuffer, SavedSamplesAreTheBytesPatchingTheirTextInMemoryGives)
{
    if (cadtest::samplesDir().isEmpty())
        GTEST_SKIP() << "KASANEMI_SAMPLES is not set: the samples were NOT saved";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QStringList samples = QDir(cadtest::samplesDir()).entryList({QStringLiteral("*.dxf")}, QDir::Files);
    ASSERT_GT(samples.size(), 10);
    for (const QString& sample : samples) {
        SCOPED_TRACE(sample.toStdString());
        const QByteArray text = readAll(cadtest::samplesDir() + '/' + sample);
        std::unique_ptr<cad::CadDocument> doc;
        try {
            doc = cad::CadDocument::open(cadtest::samplesDir() + '/' + sample);
        } catch (const acad::AcadError&) {
            continue; // a sample made to be refused
        }
        const cad::dxf::LoadedDrawing inMemory = cad::dxf::loadDxf(text);
        std::vector<cad::LayerRecord> changed = inMemory.drawing.layers;
        for (int i = 0; i < doc->layerCount(); ++i) {
            if (i != doc->currentLayer()) {
                doc->setLayerOn(i, !doc->layer(i).on);
                changed[size_t(i)].on = !changed[size_t(i)].on;
            }
            doc->setLayerLocked(i, !doc->layer(i).locked);
            changed[size_t(i)].locked = !changed[size_t(i)].locked;
        }
        const QString out = dir.filePath(sample);
        try {
            doc->saveAs(out);
        } catch (const acad::AcadError&) {
            continue; // layers the reader added cannot be saved, as before
        }
        EXPECT_EQ(readAll(out), cad::dxf::patchLayers(text, inMemory.source, inMemory.drawing.layers, changed,
                                                      inMemory.drawing.clayer, inMemory.drawing.clayer));
    }
}

} // namespace
