// kasanemi-cad --render, run as a user runs it: the picture's size and
// content, one layer alone, SVG, and the exit codes and one-line errors.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QString err;
};

Result render(const QStringList& args)
{
    QProcess p;
    p.start(qEnvironmentVariable("KASANEMI_BIN") + "/kasanemi-cad", QStringList{"--render"} + args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardError())};
}

/// A drawing with a red line on layer R and a blue one on layer B.
QString writeDrawing(const QTemporaryDir& dir)
{
    const QStringList groups{
        "0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1015", "9", "$CLAYER", "8", "0", "0", "ENDSEC",
        "0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "LAYER", "70", "3",
        "0", "LAYER", "2", "0", "70", "0", "62", "7", "6", "Continuous",
        "0", "LAYER", "2", "R", "70", "1", "62", "-1", "6", "Continuous", // frozen and off: the picture switches it on
        "0", "LAYER", "2", "B", "70", "0", "62", "5", "6", "Continuous",
        "0", "ENDTAB", "0", "ENDSEC",
        "0", "SECTION", "2", "ENTITIES",
        "0", "LINE", "8", "R", "10", "0", "20", "0", "11", "100", "21", "0",
        "0", "LINE", "8", "B", "10", "0", "20", "50", "11", "100", "21", "50",
        "0", "ENDSEC", "0", "EOF"};
    const QString path = dir.filePath("two.dxf");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(groups.join('\n').toUtf8() + '\n');
    return path;
}

/// True when some pixel leans clearly to the colour (thin lines are blended with the white).
bool hasColour(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int lean = qRed(colour) ? qRed(p) - std::max(qGreen(p), qBlue(p)) : qBlue(p) - std::max(qRed(p), qGreen(p));
            if (lean > 40)
                return true;
        }
    return false;
}

} // namespace

TEST(RenderCommand, PicturesOfTheWholeDrawingAndOfOneLayer)
{
    QTemporaryDir dir;
    const QString dxf = writeDrawing(dir);
    ASSERT_EQ(render({dxf, dir.filePath("all.png"), "--size", "300"}).exitCode, 0);
    const QImage all(dir.filePath("all.png"));
    ASSERT_FALSE(all.isNull());
    EXPECT_EQ(std::max(all.width(), all.height()), 300);
    EXPECT_EQ(all.pixel(0, 0), qRgb(255, 255, 255)); // on white
    EXPECT_TRUE(hasColour(all, qRgb(255, 0, 0)));
    EXPECT_TRUE(hasColour(all, qRgb(0, 0, 255)));

    ASSERT_EQ(render({dxf, dir.filePath("b.png"), "--layer", "b"}).exitCode, 0); // names match without case
    const QImage layer(dir.filePath("b.png"));
    EXPECT_EQ(std::max(layer.width(), layer.height()), 1600); // the default size
    EXPECT_NEAR(double(layer.height()) / layer.width(), double(all.height()) / all.width(), 0.01); // one frame
    EXPECT_FALSE(hasColour(layer, qRgb(255, 0, 0)));
    EXPECT_TRUE(hasColour(layer, qRgb(0, 0, 255)));

    ASSERT_EQ(render({dxf, dir.filePath("all.svg")}).exitCode, 0);
    QFile svg(dir.filePath("all.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
}

TEST(RenderCommand, RefusalsAreOneLineWithTheirExitCode)
{
    QTemporaryDir dir;
    const QString dxf = writeDrawing(dir);
    auto expectOneLine = [](const Result& r, int code) {
        EXPECT_EQ(r.exitCode, code) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith("kasanemi-cad: ")) << r.err.toStdString();
    };
    expectOneLine(render({dxf}), 2);
    expectOneLine(render({dxf, dir.filePath("x.bmp")}), 2);
    expectOneLine(render({dxf, dir.filePath("x.png"), "--size", "0"}), 2);
    expectOneLine(render({dxf, dir.filePath("x.png"), "--layer", "missing"}), 2);
    expectOneLine(render({dir.filePath("none.dxf"), dir.filePath("x.png")}), 2);
    expectOneLine(render({dxf, dir.filePath("no/such/folder/x.png")}), 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("x.png")));

    // A folder the user may not write in.
    QDir(dir.path()).mkdir("locked");
    QFile::setPermissions(dir.filePath("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const Result locked = render({dxf, dir.filePath("locked/x.png")});
    if (locked.exitCode == 0)
        GTEST_SKIP() << "running as a user who may write anywhere";
    expectOneLine(locked, 1);
}

TEST(RenderCommand, ACutDrawingIsDrawnAsFarAsItGoesWithAWarning)
{
    QTemporaryDir dir;
    QFile whole(writeDrawing(dir));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = dir.filePath("cut.dxf");
    QFile part(cut);
    ASSERT_TRUE(part.open(QIODevice::WriteOnly));
    part.write(bytes.left(bytes.lastIndexOf("EOF")));
    part.close();
    const Result result = render({cut, dir.filePath("cut.png")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.contains("warning:")) << result.err.toStdString();
    EXPECT_FALSE(QImage(dir.filePath("cut.png")).isNull());
}
