#include "DrawingBuilder.h"
#include "acad/AcadError.h"
#include "acad/PictureProtocol.h"
#include "cad/CadDocument.h"
#include "cad/MacroRegistry.h"
#include "cad/local/LocalApplication.h"
#include "cad/macros/PictureMacros.h"
#include "cad/macros/PicturesCommand.h"
#include "metafile/WmfPicture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

#include <functional>
#include <malloc.h>
#include <sys/inotify.h>
#include <unistd.h>

using namespace cad::macros;
using testing_render::DrawingBuilder;

namespace {

QString samples()
{
    return qEnvironmentVariable("KASANEMI_SAMPLES");
}

QImage renderFile(const QString& path, QSize size = QSize(200, 200))
{
    metafile::WmfPicture picture;
    QString error;
    EXPECT_TRUE(picture.load(path, &error)) << error.toStdString();
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

int countColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const QColor want = QColor::fromRgb(colour);
            if (std::abs(c.red() - want.red()) < 80 && std::abs(c.green() - want.green()) < 80
                && std::abs(c.blue() - want.blue()) < 80)
                ++count;
        }
    return count;
}

QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

/// Two layers, red on the left half and blue on the right, and an off layer.
cad::Drawing& twoLayerDrawing(DrawingBuilder& b)
{
    b.layer("left", 1);
    b.layer("right", 5);
    b.layer("hidden", 3, false);
    for (int i = 0; i <= 10; ++i) {
        b.add(b.line("left", {0, double(i)}, {4, double(i)}));
        b.add(b.line("right", {6, double(i)}, {10, double(i)}));
    }
    b.add(b.line("hidden", {0, 0}, {10, 10}));
    return b.drawing();
}

} // namespace

TEST(PictureMacros, EachLayerGetsItsOwnPictureInTheSharedFrame)
{
    DrawingBuilder b;
    const cad::Drawing& drawing = twoLayerDrawing(b);
    QTemporaryDir dir;
    const QString folder = dir.filePath("LAYER");
    writeDrawingPicture(drawing, folder + "/SYS/all.wmf");
    const PictureStats stats = writeLayerPictures(drawing, folder, LayerChoice::AllLayers);
    EXPECT_EQ(stats.files, 4);
    EXPECT_EQ(filesUnder(folder), (QStringList{"0.wmf", "SYS/all.wmf", "hidden.wmf", "left.wmf", "right.wmf"}));

    metafile::WmfPicture overview;
    ASSERT_TRUE(overview.load(folder + "/SYS/all.wmf"));
    for (const QString& name : {"0", "left", "right", "hidden"}) {
        metafile::WmfPicture picture;
        ASSERT_TRUE(picture.load(folder + "/" + name + ".wmf"));
        EXPECT_EQ(picture.sizeTwips(), overview.sizeTwips()) << name.toStdString();
    }
    const QImage left = renderFile(folder + "/left.wmf");
    const QImage right = renderFile(folder + "/right.wmf");
    EXPECT_GT(countColour(left.copy(0, 0, 90, 200), 0xFFFF0000), 100);
    EXPECT_EQ(countColour(left.copy(110, 0, 90, 200), 0xFFFF0000), 0);
    EXPECT_GT(countColour(right.copy(110, 0, 90, 200), 0xFF0000FF), 100);
    EXPECT_EQ(countColour(right.copy(0, 0, 90, 200), 0xFF0000FF), 0);
    // The layer that is off draws nothing, in its own picture and the overview.
    EXPECT_EQ(countColour(renderFile(folder + "/hidden.wmf"), 0xFF00FF00), 0);
    EXPECT_EQ(countColour(renderFile(folder + "/SYS/all.wmf"), 0xFF00FF00), 0);
}

TEST(PictureMacros, NewPicturesTakeOneDirectoryEntryEachAndOldOnesAreReplacedWhole)
{
    DrawingBuilder b;
    const cad::Drawing& drawing = twoLayerDrawing(b);
    QTemporaryDir dir;
    // What the folder sees, counted by the kernel: a name made, a name
    // renamed into it, a name deleted.
    struct Events {
        int made = 0, renamedIn = 0, deleted = 0;
    };
    const auto watched = [&](const std::function<void()>& write) {
        const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        EXPECT_GE(fd, 0);
        ::inotify_add_watch(fd, QFile::encodeName(dir.path()).constData(), IN_CREATE | IN_MOVED_TO | IN_DELETE);
        write();
        Events events;
        alignas(inotify_event) char buffer[64 * 1024];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len) {
                const auto* event = reinterpret_cast<inotify_event*>(p);
                events.made += (event->mask & IN_CREATE) ? 1 : 0;
                events.renamedIn += (event->mask & IN_MOVED_TO) ? 1 : 0;
                events.deleted += (event->mask & IN_DELETE) ? 1 : 0;
            }
        ::close(fd);
        return events;
    };

    // Into an empty folder: one entry a picture, no temporary name, no rename.
    Events first = watched([&] { writeLayerPictures(drawing, dir.path(), LayerChoice::AllLayers); });
    EXPECT_EQ(first.made, 4);
    EXPECT_EQ(first.renamedIn, 0);
    EXPECT_EQ(first.deleted, 0);
    // Over the pictures already there: each is replaced whole, through a
    // temporary name renamed over it (a reader never sees half of one).
    Events again = watched([&] { writeLayerPictures(drawing, dir.path(), LayerChoice::AllLayers); });
    EXPECT_EQ(again.renamedIn, 4);
    EXPECT_EQ(filesUnder(dir.path()), (QStringList{"0.wmf", "hidden.wmf", "left.wmf", "right.wmf"}));
}

TEST(PictureMacros, TheViewMacroWritesOnlyLayersThatAreOnAndThawed)
{
    DrawingBuilder b;
    cad::Drawing& drawing = twoLayerDrawing(b);
    drawing.layers[2].frozen = true; // "right"
    QTemporaryDir dir;
    writeLayerPictures(drawing, dir.path(), LayerChoice::VisibleLayers);
    EXPECT_EQ(filesUnder(dir.path()), (QStringList{"0.wmf", "left.wmf"}));
}

TEST(PictureMacros, LayerNamesNeverWriteOutsideTheFolder)
{
    DrawingBuilder b;
    const QStringList names{"../x", "a/b", ".", "..", QString("bell\x07"), "a\\b", QString::fromUtf8("壁/外")};
    for (const QString& name : names) {
        b.layer(name, 2);
        b.add(b.line(name, {0, 0}, {1, 1}));
    }
    QTemporaryDir dir;
    const QString folder = dir.filePath("LAYER");
    writeLayerPictures(b.drawing(), folder, LayerChoice::AllLayers);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"LAYER"});
    QStringList expected{"0.wmf"};
    for (const QString& name : names)
        expected << acad::pictureFileName(name);
    expected.sort();
    EXPECT_EQ(filesUnder(folder), expected);
    for (const QString& file : expected)
        EXPECT_FALSE(file.contains('/')) << file.toStdString();
}

TEST(PictureMacros, AFolderThatCannotBeMadeIsAnErrorNotASilentSuccess)
{
    DrawingBuilder b;
    const cad::Drawing& drawing = twoLayerDrawing(b);
    QTemporaryDir dir;
    QFile blocker(dir.filePath("LAYER"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    EXPECT_THROW(writeLayerPictures(drawing, dir.filePath("LAYER"), LayerChoice::AllLayers), acad::AcadError);
    EXPECT_THROW(writeDrawingPicture(drawing, dir.filePath("LAYER/SYS/all.wmf")), acad::AcadError);
}

TEST(PictureMacros, RunMacroThroughTheHostWritesBesideTheProject)
{
    const QString dxf = samples() + "/qcad_flange.dxf";
    if (!QFile::exists(dxf))
        GTEST_SKIP() << "samples not found";
    registerPictureMacros(cad::MacroRegistry::global());
    cad::LocalApplication application(std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(dxf)));
    QTemporaryDir dir;
    const QString project = dir.filePath("QEMTIN.dvb");
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("KASANEMI_BIN") + "/QEMTIN.dvb", project));
    application.loadDVB(project);
    // No LAYER folder yet: a macro run by hand still finds somewhere to write.
    application.runMacro(acad::macro::kMakeAll);
    application.runMacro(acad::macro::kMakePart);
    application.runMacro(acad::macro::kMakeViewLayer);
    EXPECT_TRUE(QFile::exists(dir.filePath("LAYER/SYS/all.wmf")));
    EXPECT_TRUE(QFile::exists(dir.filePath("LAYER/SYS/part.wmf")));
    EXPECT_GT(QDir(dir.filePath("LAYER")).entryList({"*.wmf"}).size(), 3);
    EXPECT_THROW(application.runMacro("QEMTIN.basWMF.pu_subMakeWMF_Nothing"), acad::AcadError);
}

TEST(PictureMacros, TheDocumentsKeptFrameGivesThePicturesOfTheDrawingAsItIsNow)
{
    const QString dxf = samples() + "/qcad_flange.dxf";
    if (!QFile::exists(dxf))
        GTEST_SKIP() << "samples not found";
    registerPictureMacros(cad::MacroRegistry::global());
    auto document = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(dxf));
    cad::LocalApplication application(document);
    QTemporaryDir dir;
    const QString project = dir.filePath("QEMTIN.dvb");
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("KASANEMI_BIN") + "/QEMTIN.dvb", project));
    application.loadDVB(project);
    const auto macroPicture = [&] {
        application.runMacro(acad::macro::kMakeAll);
        QFile file(dir.filePath("LAYER/SYS/all.wmf"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    EXPECT_EQ(macroPicture(), drawingPicture(document->drawing()));
    // Layer states and names change; the frame, kept from the first picture, still fits.
    document->setLayerOn(1, false);
    document->setLayerName(2, QStringLiteral("改名"));
    EXPECT_EQ(macroPicture(), drawingPicture(document->drawing()));
}

TEST(PictureMacros, ThePicturesCommandRefusesAnUnreadableDrawingWithOneLine)
{
    QTemporaryDir dir;
    QFile bad(dir.filePath("bad.dxf"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is not a drawing\n");
    bad.close();
    QString out, err;
    QTextStream output(&out), errors(&err);
    EXPECT_EQ(runPicturesCommand(dir.filePath("bad.dxf"), dir.filePath("out"), output, errors), 2);
    EXPECT_EQ(err.count('\n'), 1);
    EXPECT_FALSE(QDir(dir.filePath("out")).exists());
}

TEST(PictureMacros, AnotherReaderOpensEveryPictureOfTheSamples)
{
    if (!QFile::exists("/usr/bin/wmf2svg"))
        GTEST_SKIP() << "wmf2svg is not installed";
    const QStringList drawings = QDir(samples()).entryList({"*.dxf"});
    if (drawings.isEmpty())
        GTEST_SKIP() << "samples not found";
    QTemporaryDir dir;
    int checked = 0;
    for (const QString& drawing : drawings) {
        const QString out = dir.filePath(drawing);
        QString text;
        QTextStream output(&text), errors(&text);
        if (runPicturesCommand(QDir(samples()).filePath(drawing), out, output, errors) != 0)
            continue; // a drawing the host refuses has no pictures to check
        for (const QString& file : filesUnder(out)) {
            QProcess convert;
            convert.start("/usr/bin/wmf2svg", {"-o", dir.filePath("check.svg"), QDir(out).filePath(file)});
            ASSERT_TRUE(convert.waitForFinished(30000));
            EXPECT_EQ(convert.exitCode(), 0) << (drawing + "/" + file).toStdString() << ": "
                                             << convert.readAllStandardError().toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 50);
}

namespace {

/// A drawing of `layers` layers with `linesPerLayer` lines each, as DXF text.
QByteArray manyLayerDxf(int layers, int linesPerLayer)
{
    QByteArray dxf = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n" + QByteArray::number(layers + 1) + "\n";
    dxf += "0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nCONTINUOUS\n";
    for (int l = 0; l < layers; ++l)
        dxf += "0\nLAYER\n2\nL" + QByteArray::number(l) + "\n70\n0\n62\n" + QByteArray::number(1 + l % 7)
               + "\n6\nCONTINUOUS\n";
    dxf += "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < linesPerLayer; ++i)
        for (int l = 0; l < layers; ++l) {
            const QByteArray x = QByteArray::number(l * 10 + i % 10), y = QByteArray::number(i);
            dxf += "0\nLINE\n8\nL" + QByteArray::number(l) + "\n10\n" + x + "\n20\n" + y + "\n30\n0\n11\n" + x
                   + ".5\n21\n" + y + ".5\n31\n0\n";
        }
    return dxf + "0\nENDSEC\n0\nEOF\n";
}

/// This process's resident memory in bytes (Linux), or -1.
qint64 residentBytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

} // namespace

TEST(PictureMacros, TheLayerPicturesGiveTheirBuffersBackOnceWritten)
{
    // Every layer's picture grows side by side and is freed one by one: the
    // host, which stays up with the drawing, must not keep those pages.
    QTemporaryDir dir;
    const QString dxf = dir.filePath("many.dxf");
    QFile file(dxf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(manyLayerDxf(300, 1500));
    file.close();
    registerPictureMacros(cad::MacroRegistry::global());
    cad::LocalApplication application(std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(dxf)));
    const QString project = dir.filePath("QEMTIN.dvb");
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("KASANEMI_BIN") + "/QEMTIN.dvb", project));
    application.loadDVB(project);
    application.runMacro(acad::macro::kMakeAll);

    application.runMacro(acad::macro::kMakeAllLayer);
    qint64 written = 0;
    for (const QFileInfo& picture : QDir(dir.filePath("LAYER")).entryInfoList({"*.wmf"}, QDir::Files))
        written += picture.size();
    ASSERT_GT(written, 4 << 20);
    // Nothing left that the allocator could still give back.
    const qint64 after = residentBytes();
    malloc_trim(0);
    EXPECT_LT(after - residentBytes(), 1 << 20);
}
