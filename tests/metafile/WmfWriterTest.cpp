#include "metafile/WmfPicture.h"
#include "metafile/WmfText.h"
#include "metafile/WmfWriter.h"

#include <QDir>
#include <functional>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using metafile::WmfPicture;
using metafile::WmfTextStyle;
using metafile::WmfWriter;

namespace {

QImage render(const QByteArray& data, QSize size = QSize(100, 100))
{
    WmfPicture picture;
    QString error;
    EXPECT_TRUE(picture.loadData(data, &error)) << error.toStdString();
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

int countNear(const QImage& image, const QRect& area, const QColor& colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 60 && std::abs(c.green() - colour.green()) < 60
                && std::abs(c.blue() - colour.blue()) < 60)
                ++count;
        }
    return count;
}

std::uint32_t readU32(const QByteArray& data, int at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData()) + at;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

} // namespace

TEST(WmfWriter, WritesAPlaceableFileOfTheRequestedNaturalSize)
{
    WmfWriter writer(QSize(5760, 2880), 1440);
    const QByteArray data = writer.finish();
    EXPECT_EQ(metafile::placeableSizeTwips(data), QSizeF(5760, 2880));
    // The metafile header (after the 22-byte placeable one) states the size
    // of the file in words.
    EXPECT_EQ(readU32(data, 22 + 6) * 2, std::uint32_t(data.size() - 22));
}

TEST(WmfWriter, ShapesPlayBackWhereTheyWereDrawn)
{
    WmfWriter writer(QSize(1000, 1000), 1440);
    writer.setNoPen();
    writer.setBrush(Qt::blue);
    const std::vector<QPoint> square{{100, 100}, {400, 100}, {400, 400}, {100, 400}};
    writer.polygon(square);
    writer.setPen(Qt::red, 30);
    writer.setNoBrush();
    const std::vector<QPoint> line{{600, 800}, {950, 800}};
    writer.polyline(line);
    writer.ellipse(QRect(600, 100, 300, 300));
    const QImage image = render(writer.finish());
    EXPECT_GT(countNear(image, QRect(15, 15, 20, 20), Qt::blue), 390);
    EXPECT_GT(countNear(image, QRect(62, 78, 30, 4), Qt::red), 40);
    EXPECT_EQ(countNear(image, QRect(70, 20, 10, 10), Qt::red), 0); // the circle is not filled
    EXPECT_GT(countNear(image, QRect(58, 20, 6, 10), Qt::red), 5);  // its left side
}

TEST(WmfWriter, PolygonsWithHolesFillEvenOdd)
{
    WmfWriter writer(QSize(1000, 1000), 1440);
    writer.setNoPen();
    writer.setBrush(Qt::green);
    writer.polyPolygon({{{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}, {{300, 300}, {700, 300}, {700, 700}, {300, 700}}});
    const QImage image = render(writer.finish());
    EXPECT_GT(countNear(image, QRect(5, 5, 20, 20), Qt::green), 390);
    EXPECT_EQ(countNear(image, QRect(40, 40, 20, 20), Qt::green), 0);
}

TEST(WmfWriter, CoordinatesBeyondSixteenBitsAreClampedNotWrapped)
{
    WmfWriter writer(QSize(1000, 1000), 1440);
    writer.setPen(Qt::black, 40);
    const std::vector<QPoint> line{{500, 500}, {40000, 500}}; // 40000 would wrap to a negative x
    writer.polyline(line);
    const QImage image = render(writer.finish());
    EXPECT_GT(countNear(image, QRect(60, 48, 35, 4), Qt::black), 60);
    EXPECT_EQ(countNear(image, QRect(0, 45, 45, 10), Qt::black), 0);
}

TEST(WmfWriter, JapaneseTextIsWrittenInShiftJisAndReadBack)
{
    const QString text = QString::fromUtf8("画層①～テスト");
    WmfWriter writer(QSize(1000, 1000), 1440);
    WmfTextStyle style;
    style.height = 200;
    writer.text(QPoint(50, 500), text, style);
    const QByteArray data = writer.finish();
    QStringEncoder cp932("windows-31j");
    const QByteArray expected = cp932.encode(text);
    EXPECT_TRUE(data.contains(expected));
    const QImage image = render(data);
    EXPECT_GT(countNear(image, QRect(0, 25, 100, 30), Qt::black), 30);
}

TEST(WmfText, EveryScriptFindsACharacterSetThatHoldsIt)
{
    using namespace metafile;
    EXPECT_EQ(encodeMetafileText("Layer-1").charset, charset::Ansi);
    EXPECT_EQ(encodeMetafileText(QString::fromUtf8("Ä ß é")).charset, charset::Ansi);
    EXPECT_EQ(encodeMetafileText(QString::fromUtf8("配管")).charset, charset::ShiftJis);
    EXPECT_EQ(encodeMetafileText(QString::fromUtf8("도면")).charset, charset::Hangeul);
    for (const char* sample : {"Ä ß é", "配管 ①～ｱｲｳ", "도면", "Привет", "钢筋"}) {
        const QString text = QString::fromUtf8(sample);
        const EncodedText encoded = encodeMetafileText(text);
        EXPECT_EQ(decodeMetafileText(encoded.bytes, encoded.charset), text) << sample;
    }
}

TEST(WmfText, MixedScriptsAreCutWhereTheCharacterSetMustChange)
{
    using namespace metafile;
    auto texts = [](const std::vector<TextPiece>& pieces) {
        QStringList out;
        for (const TextPiece& p : pieces)
            out << (p.held ? p.text : "[" + p.text + "]");
        return out;
    };
    // One set for all: one piece, as before.
    EXPECT_EQ(texts(splitMetafileText(QString::fromUtf8("配管 A-1"))), QStringList{QString::fromUtf8("配管 A-1")});
    // The diameter sign is in no set; Hebrew and the Vietnamese letter each
    // need their own, spaces and digits go with what they follow.
    EXPECT_EQ(texts(splitMetafileText(QString::fromUtf8("∅80 שלום Ơ"))),
              (QStringList{QString::fromUtf8("[∅]"), QString::fromUtf8("80 "), QString::fromUtf8("שלום "),
                           QString::fromUtf8("Ơ")}));
    // Right-to-left text keeps its words together; Latin beside it goes apart.
    EXPECT_EQ(texts(splitMetafileText(QString::fromUtf8("שלום עולם A1"))),
              (QStringList{QString::fromUtf8("שלום עולם "), QString::fromUtf8("A1")}));
    for (const char* sample : {"שלום", "مرحبا", "Rīga", "Ơn", "สวัสดี"}) {
        const QString text = QString::fromUtf8(sample);
        const EncodedText encoded = encodeMetafileText(text);
        EXPECT_NE(encoded.charset, charset::ShiftJis) << sample;
        EXPECT_EQ(decodeMetafileText(encoded.bytes, encoded.charset), text) << sample;
    }
}

TEST(WmfWriter, AtomicWriteReplacesWholeFilesAndReportsFailures)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.wmf");
    ASSERT_TRUE(metafile::writeFileAtomically(path, "first version, long text"));
    ASSERT_TRUE(metafile::writeFileAtomically(path, "second"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("second"));
    QString error;
    EXPECT_FALSE(metafile::writeFileAtomically(dir.filePath("missing/b.wmf"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.wmf"}); // no leftovers
}

TEST(WmfWriter, AnotherReaderAcceptsOurFiles)
{
    if (!QFile::exists("/usr/bin/wmf2svg"))
        GTEST_SKIP() << "wmf2svg is not installed";
    WmfWriter writer(QSize(2000, 1000), 1440);
    writer.setPen(Qt::red, 0);
    writer.polyline(std::vector<QPoint>{{0, 0}, {2000, 1000}});
    writer.setBrush(Qt::yellow);
    writer.ellipse(QRect(100, 100, 500, 500));
    WmfTextStyle style;
    style.height = 100;
    writer.text(QPoint(100, 900), QString::fromUtf8("寸法 text"), style);
    QTemporaryDir dir;
    ASSERT_TRUE(metafile::writeFileAtomically(dir.filePath("t.wmf"), writer.finish()));
    QProcess convert;
    convert.start("/usr/bin/wmf2svg", {"-o", dir.filePath("t.svg"), dir.filePath("t.wmf")});
    ASSERT_TRUE(convert.waitForFinished(20000));
    EXPECT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();
    QFile svg(dir.filePath("t.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
}

namespace {

/// The columns holding ink of text "MMMM" written at x = 500 with `change` applied.
std::pair<int, int> inkColumns(const std::function<void(WmfTextStyle&)>& change)
{
    WmfWriter writer(QSize(1000, 1000), 1440);
    WmfTextStyle style;
    style.height = 150;
    change(style);
    writer.text(QPoint(500, 500), "MMMM", style);
    writer.setPen(Qt::red, 20);
    writer.polyline(std::vector<QPoint>{{0, 900}, {1000, 900}}); // the writer goes on after the text
    const QImage image = render(writer.finish(), QSize(400, 400));
    int left = 400, right = -1;
    for (int y = 150; y < 260; ++y)
        for (int x = 0; x < 400; ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GT(countNear(image, QRect(0, 355, 400, 10), Qt::red), 300);
    return {left, right};
}

} // namespace

TEST(WmfWriter, WidthFactorsNarrowTextAndMirroredTextRunsTheOtherWay)
{
    const auto normal = inkColumns([](WmfTextStyle&) {});
    const auto narrow = inkColumns([](WmfTextStyle& s) { s.widthFactor = 0.5; });
    const auto mirrored = inkColumns([](WmfTextStyle& s) { s.mirrored = true; });
    ASSERT_GE(normal.second, normal.first);
    const int width = normal.second - normal.first;
    EXPECT_NEAR(narrow.second - narrow.first, width / 2, width / 8 + 2);
    EXPECT_GE(normal.first, 199); // left aligned: from the anchor (x = 200 of 400) rightwards
    EXPECT_LE(mirrored.second, 201); // mirrored: from the anchor leftwards
    EXPECT_NEAR(mirrored.second - mirrored.first, width, 3);
}
