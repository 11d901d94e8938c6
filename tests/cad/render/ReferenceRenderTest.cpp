#include "cad/CadDocument.h"
#include "cad/macros/PictureMacros.h"
#include "metafile/WmfPicture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Whole-drawing pictures of a few sample drawings, played back and compared
// pixel by pixel with renders kept in refs/ (checked by eye against another
// program's rendering of the same drawings when they were made). Set
// KASANEMI_UPDATE_REFS=1 to write new references after a deliberate change.

namespace {

QImage pictureOf(const QString& dxf)
{
    auto document = cad::CadDocument::open(dxf);
    QTemporaryDir dir;
    const QString path = dir.filePath("all.wmf");
    cad::macros::writeDrawingPicture(document->drawing(), path);
    metafile::WmfPicture picture;
    EXPECT_TRUE(picture.load(path));
    const QSizeF size = picture.sizeTwips();
    const double scale = 400.0 / std::max(size.width(), size.height());
    QImage image(QSize(int(size.width() * scale), int(size.height() * scale)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    return image;
}

/// Share of pixels that differ clearly (any channel by more than 96).
double differingShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1.0;
    long differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 96 || std::abs(qGreen(p) - qGreen(q)) > 96
                || std::abs(qBlue(p) - qBlue(q)) > 96)
                ++differing;
        }
    return double(differing) / (a.width() * a.height());
}

class ReferenceRender : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(ReferenceRender, MatchesItsReference)
{
    const QString dxf = qEnvironmentVariable("KASANEMI_SAMPLES") + "/" + GetParam() + ".dxf";
    if (!QFile::exists(dxf))
        GTEST_SKIP() << "samples not found";
    const QString reference = QStringLiteral(KASANEMI_RENDER_REFS) + "/" + GetParam() + ".png";
    const QImage actual = pictureOf(dxf);
    if (qEnvironmentVariable("KASANEMI_UPDATE_REFS") == "1")
        ASSERT_TRUE(actual.save(reference));
    const QImage expected(reference);
    ASSERT_FALSE(expected.isNull()) << "missing reference " << reference.toStdString();
    const double share = differingShare(actual, expected.convertToFormat(QImage::Format_RGB32));
    if (share > 0.01)
        actual.save(QDir::temp().filePath(QString(GetParam()) + ".actual.png"));
    EXPECT_LE(share, 0.01) << "rendering differs from " << reference.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Samples, ReferenceRender,
                         ::testing::Values("qcad_flange", "ezdxf_hatches_1", "qcad_example01",
                                           "libredwg_gh109_1_cjk"));
