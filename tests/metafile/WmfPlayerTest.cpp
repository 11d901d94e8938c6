#include "WmfBytes.h"
#include "metafile/WmfPicture.h"
#include "metafile/WmfRecordList.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using metafile::WmfPicture;
using testing_wmf::WmfBytes;
namespace fn = metafile::fn;

namespace {

QImage render(const WmfPicture& picture, QSize size = QSize(100, 100))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

WmfPicture loaded(const QByteArray& data)
{
    WmfPicture picture;
    QString error;
    EXPECT_TRUE(picture.loadData(data, &error)) << error.toStdString();
    return picture;
}

/// Pixels in `area` that are close to `colour`.
int countColour(const QImage& image, const QRect& area, const QColor& colour)
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

std::vector<int> concat(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

/// A plain file whose window is 0..1000 in both directions, with a solid
/// brush of `fill` and no pen selected.
WmfBytes windowed(const QColor& fill)
{
    WmfBytes w;
    w.record(fn::SetWindowOrg, {0, 0}).record(fn::SetWindowExt, {1000, 1000});
    w.record(fn::CreateBrushIndirect, concat(concat({0}, WmfBytes::colour(fill)), {0}));
    w.record(fn::SelectObject, {0});
    return w;
}

} // namespace

TEST(WmfPicture, PlaceableSizeComesFromBoundsAndUnitsPerInch)
{
    const QByteArray twips = WmfBytes(true, 2880, 1440, 1440).finish();
    EXPECT_EQ(metafile::placeableSizeTwips(twips), QSizeF(2880, 1440));
    const QByteArray coarse = WmfBytes(true, 100, 50, 100).finish(); // one inch by half an inch
    EXPECT_EQ(metafile::placeableSizeTwips(coarse), QSizeF(1440, 720));
    EXPECT_EQ(loaded(coarse).sizeTwips(), QSizeF(1440, 720));
    EXPECT_FALSE(metafile::placeableSizeTwips(WmfBytes(false).finish()).has_value());
    EXPECT_FALSE(metafile::placeableSizeTwips(QByteArray("\xD7\xCD\xC6\x9A", 4)).has_value());
}

TEST(WmfPicture, PlainFileTakesItsSizeFromTheWindowAtTwips)
{
    WmfBytes w;
    w.record(fn::SetWindowOrg, {-20, 10}).record(fn::SetWindowExt, {300, 600});
    const WmfPicture picture = loaded(w.finish());
    EXPECT_EQ(picture.sizeTwips(), QSizeF(600, 300));
    EXPECT_EQ(picture.logicalBounds(), QRectF(10, -20, 600, 300));
}

TEST(WmfPicture, PlainFileWithoutWindowIsFramedByWhatItDraws)
{
    WmfBytes w;
    w.record(fn::Rectangle, {400, 300, 200, 100}); // bottom, right, top, left
    const WmfPicture picture = loaded(w.finish());
    const QRectF bounds = picture.logicalBounds();
    EXPECT_NEAR(bounds.left(), 100, 2);
    EXPECT_NEAR(bounds.right(), 300, 2);
    EXPECT_NEAR(bounds.top(), 200, 2);
    EXPECT_NEAR(bounds.bottom(), 400, 2);
}

TEST(WmfPicture, BrokenHeadersAreRefusedWithAReason)
{
    WmfPicture picture;
    QString error;
    EXPECT_FALSE(picture.loadData(QByteArray(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(picture.loadData(QByteArray("GIF89a this is no metafile at all"), &error));
    EXPECT_TRUE(picture.isNull());
    // A placeable header that stops before the metafile header.
    EXPECT_FALSE(picture.loadData(WmfBytes(true).finish().left(30), &error));
    EXPECT_FALSE(picture.load("/nonexistent/folder/x.wmf", &error));
    EXPECT_TRUE(error.contains("x.wmf"));
}

TEST(WmfPicture, AFailedLoadLeavesTheCallerWithANullPicture)
{
    WmfPicture picture = loaded(WmfBytes(true).finish());
    EXPECT_FALSE(picture.isNull());
    EXPECT_FALSE(picture.loadData("nonsense"));
    EXPECT_TRUE(picture.isNull());
    QImage image = render(picture); // drawing a null picture draws nothing
    EXPECT_EQ(countColour(image, image.rect(), Qt::white), 100 * 100);
}

TEST(WmfPlayer, FillsAndStretchesIntoTheTarget)
{
    WmfBytes w = windowed(Qt::red);
    w.record(fn::CreatePenIndirect, {5, 0, 0, 0, 0}).record(fn::SelectObject, {1});
    w.record(fn::Rectangle, {1000, 500, 0, 0}); // left half
    const WmfPicture picture = loaded(w.finish());
    const QImage wide = render(picture, QSize(200, 50));
    EXPECT_GT(countColour(wide, QRect(5, 5, 90, 40), Qt::red), 90 * 40 - 10);
    EXPECT_EQ(countColour(wide, QRect(105, 5, 90, 40), Qt::red), 0);
}

TEST(WmfPlayer, DrawingNeverLeavesTheTarget)
{
    WmfBytes w = windowed(Qt::blue);
    w.record(fn::Rectangle, {3000, 3000, -2000, -2000}); // far beyond the window
    const WmfPicture picture = loaded(w.finish());
    QImage image(100, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, QRectF(25, 25, 50, 50));
    painter.end();
    EXPECT_EQ(countColour(image, QRect(0, 0, 100, 20), Qt::blue), 0);
    EXPECT_GT(countColour(image, QRect(30, 30, 40, 40), Qt::blue), 1500);
}

TEST(WmfPlayer, NegativeWindowExtentTurnsTheYAxisUp)
{
    // A y-up window (as CAD programs write): origin at the bottom left.
    WmfBytes w;
    w.record(fn::SetWindowOrg, {1000, 0}).record(fn::SetWindowExt, {-1000, 1000});
    w.record(fn::CreateBrushIndirect, concat(concat({0}, WmfBytes::colour(Qt::green)), {0}));
    w.record(fn::SelectObject, {0});
    w.record(fn::Rectangle, {300, 1000, 0, 0}); // y 0..300: the bottom strip
    const QImage image = render(loaded(w.finish()));
    EXPECT_GT(countColour(image, QRect(10, 80, 80, 15), Qt::green), 1000);
    EXPECT_EQ(countColour(image, QRect(10, 5, 80, 50), Qt::green), 0);
}

TEST(WmfPlayer, NewObjectsTakeTheLowestFreeSlot)
{
    WmfBytes w;
    w.record(fn::SetWindowOrg, {0, 0}).record(fn::SetWindowExt, {1000, 1000});
    w.record(fn::CreateBrushIndirect, concat(concat({0}, WmfBytes::colour(Qt::red)), {0}));   // slot 0
    w.record(fn::CreateBrushIndirect, concat(concat({0}, WmfBytes::colour(Qt::green)), {0})); // slot 1
    w.record(fn::DeleteObject, {0});
    w.record(fn::CreateBrushIndirect, concat(concat({0}, WmfBytes::colour(Qt::blue)), {0}));  // slot 0 again
    w.record(fn::SelectObject, {0});
    w.record(fn::Rectangle, {1000, 1000, 0, 0});
    const QImage image = render(loaded(w.finish()));
    EXPECT_GT(countColour(image, QRect(20, 20, 60, 60), Qt::blue), 3500);
}

TEST(WmfPlayer, SaveAndRestoreBringBackTheBrush)
{
    WmfBytes w = windowed(Qt::red);
    w.record(fn::SaveDC, {});
    w.record(fn::CreateBrushIndirect, concat(concat({0}, WmfBytes::colour(Qt::blue)), {0}));
    w.record(fn::SelectObject, {1});
    w.record(fn::RestoreDC, {-1});
    w.record(fn::Rectangle, {1000, 1000, 0, 0});
    const QImage image = render(loaded(w.finish()));
    EXPECT_GT(countColour(image, QRect(20, 20, 60, 60), Qt::red), 3500);
}

TEST(WmfPlayer, ArcsRunCounterclockwiseFromStartToEnd)
{
    WmfBytes w;
    w.record(fn::SetWindowOrg, {0, 0}).record(fn::SetWindowExt, {1000, 1000});
    w.record(fn::CreatePenIndirect, concat({0, 40, 0}, WmfBytes::colour(Qt::black))).record(fn::SelectObject, {0});
    // Circle box 100..900; start at the right (900,500), end at the top (500,100).
    w.record(fn::Arc, {100, 500, 500, 900, 900, 900, 100, 100});
    const QImage image = render(loaded(w.finish()));
    EXPECT_GT(countColour(image, QRect(55, 5, 45, 45), Qt::black), 20);  // top right quarter
    EXPECT_EQ(countColour(image, QRect(0, 55, 100, 45), Qt::black), 0);  // nothing below the middle
    EXPECT_EQ(countColour(image, QRect(0, 0, 45, 45), Qt::black), 0);    // nor top left
}

TEST(WmfPlayer, PensKeepTheirWidthAtEveryScaleAndNeverVanish)
{
    // A pen 40 units wide, then one of no width, each selected after the
    // other was made, drawing across the window; played large and small.
    WmfBytes w;
    w.record(fn::SetWindowOrg, {0, 0}).record(fn::SetWindowExt, {1000, 1000});
    w.record(fn::CreatePenIndirect, concat({0, 40, 0}, WmfBytes::colour(Qt::black)));
    w.record(fn::CreatePenIndirect, concat({0, 0, 0}, WmfBytes::colour(Qt::black)));
    w.record(fn::SelectObject, {0}).record(fn::MoveTo, {0, 250}).record(fn::LineTo, {1000, 250});
    w.record(fn::SelectObject, {1}).record(fn::MoveTo, {0, 750}).record(fn::LineTo, {1000, 750});
    const WmfPicture picture = loaded(w.finish());

    const QImage large = render(picture);  // 40 units are 4 pixels here
    EXPECT_GE(countColour(large, QRect(0, 20, 100, 1), Qt::black), 3);
    EXPECT_LE(countColour(large, QRect(50, 20, 50, 1), Qt::black), 2);
    // At a tenth of that size both are a pixel wide, and still drawn.
    const QImage small = render(picture, QSize(10, 10));
    EXPECT_GE(countColour(small, QRect(0, 5, 5, 1), Qt::black), 1);
    EXPECT_GE(countColour(small, QRect(5, 5, 5, 1), Qt::black), 1);
    EXPECT_LE(countColour(small, QRect(0, 5, 10, 1), Qt::black), 3);
}

TEST(WmfPlayer, PensOfOneColourKeepTheirOwnStyle)
{
    // The same colour solid, dashed, then solid again from a reused slot.
    WmfBytes w;
    w.record(fn::SetWindowOrg, {0, 0}).record(fn::SetWindowExt, {1000, 1000});
    w.record(fn::CreatePenIndirect, concat({0, 0, 0}, WmfBytes::colour(Qt::black)));
    w.record(fn::CreatePenIndirect, concat({1, 0, 0}, WmfBytes::colour(Qt::black)));
    w.record(fn::SelectObject, {0}).record(fn::MoveTo, {205, 0}).record(fn::LineTo, {205, 1000});
    w.record(fn::SelectObject, {1}).record(fn::MoveTo, {505, 0}).record(fn::LineTo, {505, 1000});
    w.record(fn::DeleteObject, {0}).record(fn::CreatePenIndirect, concat({0, 0, 0}, WmfBytes::colour(Qt::black)));
    w.record(fn::SelectObject, {0}).record(fn::MoveTo, {805, 0}).record(fn::LineTo, {805, 1000});
    const QImage image = render(loaded(w.finish()));
    EXPECT_GE(countColour(image, QRect(5, 20, 90, 1), Qt::black), 88);
    const int dashed = countColour(image, QRect(5, 50, 90, 1), Qt::black);
    EXPECT_GT(dashed, 20);
    EXPECT_LT(dashed, 80);
    EXPECT_GE(countColour(image, QRect(5, 80, 90, 1), Qt::black), 88);
}

TEST(WmfPlayer, ShortAndLyingRecordsAreSkippedWithoutHarm)
{
    WmfBytes w = windowed(Qt::red);
    w.record(fn::Polyline, {30000, 1, 2});                  // claims 30000 points, holds one
    w.record(fn::PolyPolygon, {2, 60000, 60000, 1, 1});     // counts far beyond the record
    w.record(fn::SelectObject, {4000});                     // no such object
    w.record(fn::DeleteObject, {65535});
    w.record(fn::RestoreDC, {-50});                         // nothing saved
    w.record(fn::ExtTextOut, {10, 10, 5000, 6, 0});          // string and rectangle missing
    w.record(fn::TextOut, {20000});
    w.record(fn::CreateFontIndirect, {});
    w.record(fn::SetWindowExt, {0, 0});                     // would divide by zero
    w.record(fn::ScaleWindowExt, {0, 1, 0, 1});
    w.record(fn::Arc, {1, 2});
    w.record(fn::Rectangle, {1000, 1000, 0, 0});            // still drawn afterwards
    const QImage image = render(loaded(w.finish()));
    EXPECT_GT(countColour(image, QRect(20, 20, 60, 60), Qt::red), 3500);
}

TEST(WmfPlayer, ARecordLongerThanTheFileEndsTheList)
{
    WmfBytes w = windowed(Qt::red);
    w.record(fn::Rectangle, {1000, 1000, 0, 0});
    QByteArray data = w.withoutEof();
    WmfBytes tail(false);
    tail.dword(0x7FFFFFFF); // a record claiming two gigabytes
    tail.word(fn::Rectangle);
    const QByteArray truncated = data + QByteArray(tail.withoutEof()).mid(18) + QByteArray(6, '\x01');
    const QImage image = render(loaded(truncated));
    EXPECT_GT(countColour(image, QRect(20, 20, 60, 60), Qt::red), 3500); // what came before is kept
    // A size of zero words must not stall the reader either.
    WmfBytes zero = windowed(Qt::red);
    zero.raw(QByteArray("\0\0\0\0\x1B\x04", 6));
    EXPECT_FALSE(loaded(zero.finish()).isNull());
}

TEST(WmfPlayer, InputsTheFuzzerFoundPlaySafely)
{
    // Every input kept from fuzzing (and the fuzzer's seeds), whole and cut
    // at every length: each loads or is refused, and plays without harm.
    QStringList files;
    for (const QString& folder : {QStringLiteral(KASANEMI_WMF_CRASHES), QStringLiteral(KASANEMI_WMF_SEEDS)})
        for (const QString& name : QDir(folder).entryList(QDir::Files))
            files << QDir(folder).filePath(name);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& path : files) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray data = file.readAll();
        for (qsizetype length = 0; length <= data.size(); length += std::max<qsizetype>(1, data.size() / 200)) {
            WmfPicture picture;
            if (picture.loadData(data.left(length)))
                render(picture, QSize(40, 30));
        }
    }
}

TEST(WmfPlayer, DrawingsBeyondTheIntegerRangeKeepTheirMeasuredFrame)
{
    // The fuzzer's find: a viewport scaled past what an int holds, with no
    // window to give the frame, so the frame is what the records draw. Its
    // width overflowed (undefined; a release build measured 0 and drew nothing).
    WmfBytes w(false);
    w.record(fn::SetViewportExt, {32767, 32767});
    w.record(fn::ScaleViewportExt, {1, 32767, 1, 32767});
    w.record(fn::Rectangle, {-100, -100, 100, 100});
    const WmfPicture picture = loaded(w.finish());
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.logicalBounds().width(), 4e9);
    EXPECT_GT(picture.logicalBounds().height(), 4e9);
}

namespace {

/// Small shapes of every drawn kind, each wholly inside or wholly outside
/// each of the views the zoom test takes, and two wide lines that lie
/// outside a view but reach into it with their pen.
WmfPicture shapesAcrossTheWindow()
{
    WmfBytes w;
    w.record(fn::SetWindowOrg, {0, 0}).record(fn::SetWindowExt, {1000, 1000});
    w.record(fn::CreateBrushIndirect, concat(concat({0}, WmfBytes::colour(QColor(0, 160, 0))), {0}));
    w.record(fn::SelectObject, {0});
    w.record(fn::CreatePenIndirect, concat({0, 0, 0}, WmfBytes::colour(Qt::blue)));        // 1
    w.record(fn::CreatePenIndirect, concat({1, 0, 0}, WmfBytes::colour(Qt::red)));         // 2, dashed
    w.record(fn::CreatePenIndirect, concat({0, 3, 0}, WmfBytes::colour(Qt::black)));       // 3
    w.record(fn::CreatePenIndirect, concat({0, 60, 0}, WmfBytes::colour(QColor(90, 0, 90)))); // 4, wide
    const int centres[] = {240, 262, 350, 400, 450, 650, 750, 850};
    int kind = 0;
    for (int cx : centres)
        for (int cy : centres) {
            w.record(fn::SelectObject, {1 + kind % 3});
            const int l = cx - 14, r = cx + 13, t = cy - 12, b = cy + 14;
            switch (kind++ % 6) {
            case 0: w.record(fn::Polyline, {3, l, t, r, cy, l, b}); break;
            case 1: w.record(fn::Arc, {b, cx, cy, r, b, r, t, l}); break;
            case 2: w.record(fn::Ellipse, {b, r, t, l}); break;
            case 3: w.record(fn::Rectangle, {b, r, t, l}); break;
            case 4: w.record(fn::MoveTo, {t, l}).record(fn::LineTo, {b, r}); break;
            default: w.record(fn::Polygon, {3, l, b, cx, t, r, b}); break;
            }
        }
    // 30 units either side of x = 520 and 580: into the middle view and the
    // far one from outside them.
    w.record(fn::SelectObject, {4});
    w.record(fn::MoveTo, {220, 520}).record(fn::LineTo, {480, 520});
    w.record(fn::MoveTo, {620, 580}).record(fn::LineTo, {880, 580});
    return loaded(w.finish());
}

QImage renderInto(const WmfPicture& picture, QSize size, const QRectF& target, double pixelRatio = 1)
{
    QImage image(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    picture.draw(painter, target);
    return image;
}

} // namespace

TEST(WmfPlayer, AZoomedViewShowsExactlyWhatALargerViewShowsThere)
{
    // The picture at one unit a pixel, panned three ways, into a small image
    // (most shapes out of sight and passed over) and into a large one with
    // the same placement: the small one must be the large one's corner,
    // pixel for pixel, including the wide lines reaching in from outside.
    // On a high-density screen too, two pixels a unit.
    const WmfPicture picture = shapesAcrossTheWindow();
    for (const double ratio : {1.0, 2.0})
        for (const int offset : {0, 200, 600}) {
            SCOPED_TRACE(testing::Message() << offset << " at " << ratio);
            const QRectF target(-offset, -offset, 1000, 1000);
            const QImage small = renderInto(picture, QSize(300, 300), target, ratio);
            const QImage large = renderInto(picture, QSize(1000, 1000), target, ratio).copy(QRect(QPoint(), small.size()));
            EXPECT_TRUE(small == large);
            EXPECT_GT(countColour(small, small.rect(), Qt::blue), 10); // something of each view is drawn
        }
    // The wide lines' pens reach 10 pixels into the middle and far views.
    const QImage middle = renderInto(picture, QSize(300, 300), QRectF(-200, -200, 1000, 1000));
    EXPECT_GT(countColour(middle, QRect(292, 40, 8, 200), QColor(90, 0, 90)), 8 * 200 - 20);
    const QImage far = renderInto(picture, QSize(300, 300), QRectF(-600, -600, 1000, 1000));
    EXPECT_GT(countColour(far, QRect(0, 40, 8, 200), QColor(90, 0, 90)), 8 * 200 - 20);
}

TEST(WmfPlayer, PensBeyondTheTableOfDistinctPensKeepTheirColourThroughSavedStates)
{
    // More distinct pens than the player keeps a table of, then two more,
    // red and blue: each still draws in its own colour, and a state saved
    // with the red one selected brings the red one back.
    WmfBytes w;
    w.record(fn::SetWindowOrg, {0, 0}).record(fn::SetWindowExt, {1000, 1000});
    for (int i = 0; i < 70000; ++i) {
        const QColor c(i & 0xFF, (i >> 8) & 0xFF, 200);
        w.record(fn::CreatePenIndirect, concat({0, 0, 0}, WmfBytes::colour(c))).record(fn::DeleteObject, {0});
    }
    w.record(fn::CreatePenIndirect, concat({0, 100, 0}, WmfBytes::colour(Qt::red)));  // 0
    w.record(fn::CreatePenIndirect, concat({0, 100, 0}, WmfBytes::colour(Qt::blue))); // 1
    w.record(fn::SelectObject, {0}).record(fn::SaveDC, {});
    w.record(fn::SelectObject, {1}).record(fn::DeleteObject, {0}).record(fn::DeleteObject, {1});
    w.record(fn::MoveTo, {250, 0}).record(fn::LineTo, {250, 1000});
    w.record(fn::RestoreDC, {-1});
    w.record(fn::MoveTo, {750, 0}).record(fn::LineTo, {750, 1000});
    const QImage image = render(loaded(w.finish()));
    EXPECT_GT(countColour(image, QRect(10, 23, 80, 4), Qt::blue), 300);
    EXPECT_GT(countColour(image, QRect(10, 73, 80, 4), Qt::red), 300);
    EXPECT_EQ(countColour(image, QRect(10, 73, 80, 4), Qt::blue), 0);
}

TEST(WmfPlayer, ArcsAndEllipsesWithinOnePixelLookExactlyAsThePaintersOwn)
{
    // Arcs of every size under a pixel, from random points and from points
    // on the quarters' edges (as a CAD's round numbers give), and ellipses,
    // unfilled and filled, solid and dotted: against the painter drawing
    // the same arcs as built outlines and the same ellipses itself.
    constexpr int units = 2000, pixels = 40;
    std::mt19937 random(7);
    const auto uniform = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    struct Arc {
        QRect box;
        QPoint start, end;
        bool ellipse = false, filled = false;
    };
    std::vector<Arc> arcs;
    WmfBytes w;
    w.record(fn::SetWindowOrg, {0, 0}).record(fn::SetWindowExt, {units, units});
    w.record(fn::CreatePenIndirect, concat({0, 0, 0}, WmfBytes::colour(QColor(200, 30, 90))));
    w.record(fn::CreatePenIndirect, concat({2, 0, 0}, WmfBytes::colour(QColor(20, 30, 190))));
    w.record(fn::CreateBrushIndirect, {1, 0, 0, 0});                                                  // 2: none
    w.record(fn::CreateBrushIndirect, concat(concat({0}, WmfBytes::colour(QColor(0, 160, 0))), {0})); // 3
    for (int i = 0; i < 600; ++i) {
        const int r = uniform(2, 24), cx = uniform(30, units - 30), cy = uniform(30, units - 30);
        const auto onCircle = [&] {
            if (uniform(0, 1)) {
                const int quarter = uniform(0, 3);
                return QPoint(cx + (quarter == 0 ? r : quarter == 2 ? -r : 0), cy + (quarter == 1 ? r : quarter == 3 ? -r : 0));
            }
            const double a = uniform(0, 3599) * M_PI / 1800;
            return QPoint(cx + int(std::lround(r * std::cos(a))), cy + int(std::lround(r * std::sin(a))));
        };
        const int ry = i % 5 ? r : uniform(1, 24);
        const Arc arc{QRect(QPoint(cx - r, cy - ry), QPoint(cx + r, cy + ry)), onCircle(), onCircle(), i % 3 == 0,
                      i % 9 == 0};
        arcs.push_back(arc);
        w.record(fn::SelectObject, {i % 2}).record(fn::SelectObject, {arc.filled ? 3 : 2});
        const std::vector<int> box{arc.box.bottom(), arc.box.right(), arc.box.top(), arc.box.left()};
        if (arc.ellipse)
            w.record(fn::Ellipse, box);
        else
            w.record(fn::Arc, concat({arc.end.y(), arc.end.x(), arc.start.y(), arc.start.x()}, box));
    }
    const QImage played = renderInto(loaded(w.finish()), QSize(pixels, pixels), QRectF(0, 0, pixels, pixels));

    QImage expected(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::white);
    QPainter painter(&expected);
    painter.setRenderHint(QPainter::Antialiasing);
    const QTransform toDevice = QTransform::fromScale(double(pixels) / units, double(pixels) / units);
    const QTransform back = toDevice.inverted();
    painter.setWorldTransform(toDevice);
    painter.setBackgroundMode(Qt::OpaqueMode); // a metafile's default, which fills the dots' gaps
    painter.setBackground(Qt::white);
    for (std::size_t i = 0; i < arcs.size(); ++i) {
        QPen pen(QColor(i % 2 ? QColor(20, 30, 190) : QColor(200, 30, 90)), 0, i % 2 ? Qt::DotLine : Qt::SolidLine,
                 Qt::RoundCap, Qt::RoundJoin);
        pen.setCosmetic(true);
        painter.setPen(pen);
        // Counterclockwise on the device from the start point's direction
        // to the end point's, as a metafile's arc runs.
        const QRectF logical(arcs[i].box.topLeft(), arcs[i].box.bottomRight());
        painter.setBrush(arcs[i].filled ? QBrush(QColor(0, 160, 0)) : QBrush(Qt::NoBrush));
        if (arcs[i].ellipse) {
            painter.drawEllipse(logical);
            continue;
        }
        painter.setBrush(Qt::NoBrush);
        const QRectF box = toDevice.mapRect(logical);
        const auto angle = [&](QPoint logical) {
            const QPointF p = toDevice.map(QPointF(logical)) - box.center();
            return std::atan2(-p.y() / (box.height() / 2), p.x() / (box.width() / 2)) * 180 / M_PI;
        };
        const double from = angle(arcs[i].start);
        double span = angle(arcs[i].end) - from;
        if (span <= 0)
            span += 360;
        QPainterPath outline;
        outline.arcMoveTo(box, from);
        outline.arcTo(box, from, span);
        for (int k = 0; k < outline.elementCount(); ++k) {
            const QPointF p = back.map(QPointF(outline.elementAt(k).x, outline.elementAt(k).y));
            outline.setElementPositionAt(k, p.x(), p.y());
        }
        painter.drawPath(outline);
    }
    painter.end();
    EXPECT_TRUE(played == expected);
    EXPECT_LT(countColour(played, played.rect(), Qt::white), pixels * pixels - 100); // the arcs were drawn
}
