// Blocks that insert each other level upon level multiply the work of anyone
// who expands them: inspecting and counting must not expand them at all,
// extents measure each block once, and pictures stop at their primitive
// budget with a message.

#include "CadTestSupport.h"

#include "cad/CadDocument.h"
#include "cad/Extents.h"
#include "cad/dxf/DxfLoader.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// `levels` blocks: B0 holds one line from (0,0) to (1,1); each further block
/// inserts the one before `copies` times side by side; model space inserts
/// the last one once (and holds a line of its own).
QByteArray nestedBlocks(int levels, int copies)
{
    QByteArray out = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n"
                     "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n"
                     "0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nCONTINUOUS\n"
                     "0\nLAYER\n2\nNEST\n70\n0\n62\n1\n6\nCONTINUOUS\n0\nENDTAB\n0\nENDSEC\n"
                     "0\nSECTION\n2\nBLOCKS\n";
    double width = 1;
    for (int k = 0; k < levels; ++k) {
        out += "0\nBLOCK\n8\n0\n2\nB" + QByteArray::number(k) + "\n70\n0\n10\n0\n20\n0\n";
        if (k == 0) {
            out += "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n";
        } else {
            for (int i = 0; i < copies; ++i)
                out += "0\nINSERT\n8\n0\n2\nB" + QByteArray::number(k - 1) + "\n10\n"
                    + QByteArray::number(i * width, 'g', 17) + "\n20\n0\n";
            width *= copies;
        }
        out += "0\nENDBLK\n8\n0\n";
    }
    out += "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
           "0\nINSERT\n8\nNEST\n2\nB" + QByteArray::number(levels - 1) + "\n10\n0\n20\n0\n"
           "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n-1\n21\n-1\n"
           "0\nENDSEC\n0\nEOF\n";
    return out;
}

class NestedBlocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("nested.dxf");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(nestedBlocks(12, 10));
    }
    QString bin() const { return qEnvironmentVariable("KASANEMI_BIN") + "/kasanemi-cad"; }
    QTemporaryDir dir;
    QString path;
};

TEST_F(NestedBlocks, InspectionCountsInsertsAsOneAndMeasuresEachBlockOnce)
{
    QElapsedTimer timer;
    timer.start();
    const auto r = cadtest::run(bin(), {"--inspect", path}, 60000);
    const qint64 elapsed = timer.elapsed();
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_LT(elapsed, 1000) << "10^11 lines were expanded";
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QJsonObject report = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(report.value("total").toInt(), 2);
    EXPECT_EQ(report.value("counts").toObject().value("NEST").toInt(), 1);
    // 10^11 copies of the unit line side by side, and the model's own line.
    const QJsonArray box = report.value("extents").toArray();
    ASSERT_EQ(box.size(), 4);
    EXPECT_DOUBLE_EQ(box[0].toDouble(), -1);
    EXPECT_DOUBLE_EQ(box[1].toDouble(), -1);
    EXPECT_DOUBLE_EQ(box[2].toDouble(), 1e11);
    EXPECT_DOUBLE_EQ(box[3].toDouble(), 1);
}

TEST_F(NestedBlocks, PicturesStopAtTheirBudgetAndSaySoOnce)
{
    const QString out = dir.filePath("pictures");
    QElapsedTimer timer;
    timer.start();
    const auto r = cadtest::run(bin(), {"--pictures", path, out}, 170000);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString errors = QString::fromLocal8Bit(r.err);
    EXPECT_EQ(errors.count(QStringLiteral("outline box")), 1) << errors.toStdString();
    qint64 bytes = 0;
    for (QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        bytes += QFileInfo(it.next()).size();
    // Two pictures of at most the budget's primitives each, some 20 bytes a
    // line: far from the gigabytes of the whole expansion.
    EXPECT_LT(bytes, 400ll << 20);
    std::printf("[ pictures ] %lld bytes in %lld ms\n", bytes, timer.elapsed());
}

TEST(Extents, ABlockMeasuredOnceGivesTheSameBoxAsTheExpansion)
{
    // A rotated, mirrored and arrayed insert of a block holding an arc, a
    // circle and a nested insert: the block's hull, transformed, must bound
    // the drawing as tightly as measuring every entity through its transform.
    const QByteArray text =
        "0\nSECTION\n2\nBLOCKS\n"
        "0\nBLOCK\n2\nINNER\n10\n0\n20\n0\n0\nCIRCLE\n10\n5\n20\n0\n40\n1\n0\nENDBLK\n"
        "0\nBLOCK\n2\nOUTER\n10\n1\n20\n1\n"
        "0\nARC\n10\n0\n20\n0\n40\n2\n50\n10\n51\n170\n"
        "0\nINSERT\n2\nINNER\n10\n0\n20\n0\n50\n30\n0\nENDBLK\n0\nENDSEC\n"
        "0\nSECTION\n2\nENTITIES\n"
        "0\nINSERT\n2\nOUTER\n10\n10\n20\n10\n41\n-2\n42\n1\n50\n37\n70\n3\n71\n2\n44\n4\n45\n5\n"
        "0\nENDSEC\n0\nEOF\n";
    const auto loaded = cad::dxf::loadDxf(text);
    const auto box = cad::modelExtents(loaded.drawing);
    ASSERT_TRUE(box.has_value());
    // The same figures measured point by point along the curves.
    cad::Bounds exact;
    const auto& insert = std::get<cad::InsertGeom>(loaded.drawing.entities[0].geometry);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 2; ++r) {
            const QTransform outer = cad::insertTransform(insert, QPointF(1, 1), c, r);
            for (int i = 0; i <= 3600; ++i) {
                const double a = (10 + 160.0 * i / 3600) * M_PI / 180;
                exact.add(outer.map(QPointF(2 * std::cos(a), 2 * std::sin(a))));
                cad::InsertGeom inner;
                inner.rotation = 30;
                const QTransform m = cad::insertTransform(inner, QPointF(), 0, 0) * outer;
                const double b = 2 * M_PI * i / 3600;
                exact.add(m.map(QPointF(5 + std::cos(b), std::sin(b))));
            }
        }
    const QRectF want = exact.rect();
    const double tolerance = 0.01 * std::max(want.width(), want.height());
    EXPECT_NEAR(box->left(), want.left(), tolerance);
    EXPECT_NEAR(box->right(), want.right(), tolerance);
    EXPECT_NEAR(box->top(), want.top(), tolerance);
    EXPECT_NEAR(box->bottom(), want.bottom(), tolerance);
}

TEST(Extents, CoordinatesNearTheDoubleRangeGiveFourFiniteNumbersOrNone)
{
    const QByteArray far = "0\nSECTION\n2\nENTITIES\n"
                           "0\nLINE\n10\n-1.797e308\n20\n-1.797e308\n11\n1.797e308\n21\n1.797e308\n"
                           "0\nPOINT\n10\n1e308\n20\n0\n0\nENDSEC\n0\nEOF\n";
    EXPECT_FALSE(cad::modelExtents(cad::dxf::loadDxf(far).drawing).has_value());

    const QByteArray mixed = "0\nSECTION\n2\nENTITIES\n"
                             "0\nLINE\n10\n-1.797e308\n20\n-1.797e308\n11\n1.797e308\n21\n1.797e308\n"
                             "0\nCIRCLE\n10\n1\n20\n2\n40\n1e307\n"
                             "0\nLINE\n10\n1\n20\n2\n11\n3\n21\n4\n0\nENDSEC\n0\nEOF\n";
    const auto box = cad::modelExtents(cad::dxf::loadDxf(mixed).drawing);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(*box, QRectF(QPointF(1, 2), QPointF(3, 4)));
}

} // namespace
