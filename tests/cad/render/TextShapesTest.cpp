// TEXT and MTEXT as the frontend hands them to a backend: fit and aligned
// text, width factor, backwards and upside-down, %% under/overlines, stacked
// fractions, wrapping; small text that reaches the metafile, and backwards
// text that reaches it mirrored.

#include "DrawingBuilder.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/PictureFrame.h"
#include "cad/render/RecordingBackend.h"
#include "cad/render/WmfBackend.h"
#include "cad/text/TextLayout.h"
#include "metafile/WmfPicture.h"
#include "metafile/WmfWriter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using cad::render::RecordingBackend;
using cad::render::TextRun;
using testing_render::DrawingBuilder;
using testing_render::shapes;

namespace {

std::vector<RecordingBackend::Primitive> drawn(DrawingBuilder& b)
{
    RecordingBackend recording;
    cad::render::DrawingFrontend(b.drawing(), 0.001).drawModelSpace(recording);
    return recording.all();
}

cad::TextGeom text(const QString& value, double height = 1)
{
    cad::TextGeom t;
    t.text = value;
    t.height = height;
    return t;
}

} // namespace

TEST(TextShapes, FitSqueezesTheWidthAndAlignedScalesTheHeight)
{
    DrawingBuilder b;
    const double natural = cad::text::textWidth("ABCD", 2); // at height 2
    cad::TextGeom fit = text("ABCD", 2);
    fit.hAlign = 5;
    fit.alignPoint = {natural / 2, 0}; // half as long as the text would be
    b.add(b.entity("0", fit, cad::EntityType::Text));
    cad::TextGeom aligned = fit;
    aligned.hAlign = 3;
    b.add(b.entity("0", aligned, cad::EntityType::Text));
    cad::TextGeom wide = text("ABCD", 2);
    wide.widthFactor = 0.7;
    b.add(b.entity("0", wide, cad::EntityType::Text));
    const auto runs = shapes<TextRun>(drawn(b));
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_DOUBLE_EQ(runs[0].height, 2);
    EXPECT_NEAR(runs[0].widthFactor, 0.5, 1e-12);
    EXPECT_NEAR(runs[1].height, 1, 1e-12);
    EXPECT_DOUBLE_EQ(runs[1].widthFactor, 1);
    // Both are centred between their two points.
    EXPECT_NEAR(runs[0].position.x(), natural / 4, 1e-12);
    EXPECT_EQ(runs[0].align, TextRun::Align::Center);
    EXPECT_DOUBLE_EQ(runs[2].widthFactor, 0.7);
    EXPECT_DOUBLE_EQ(runs[2].height, 2);
}

TEST(TextShapes, BackwardsAndUpsideDownTextIsMirroredAboutItsAnchor)
{
    DrawingBuilder b;
    cad::TextGeom backwards = text("R");
    backwards.insert = {3, 4};
    backwards.generation = 2;
    b.add(b.entity("0", backwards, cad::EntityType::Text));
    cad::TextGeom upsideDown = backwards;
    upsideDown.generation = 4;
    b.add(b.entity("0", upsideDown, cad::EntityType::Text));
    cad::TextGeom both = backwards;
    both.generation = 6;
    both.oblique = 15;
    b.add(b.entity("0", both, cad::EntityType::Text));
    const auto runs = shapes<TextRun>(drawn(b));
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_TRUE(runs[0].mirrored);
    EXPECT_NEAR(std::remainder(runs[0].rotationDegrees, 360), 0, 1e-9);
    EXPECT_TRUE(runs[1].mirrored); // mirrored and turned round: upside down
    EXPECT_NEAR(std::abs(std::remainder(runs[1].rotationDegrees, 360)), 180, 1e-9);
    EXPECT_FALSE(runs[2].mirrored); // both: turned half round
    EXPECT_NEAR(std::abs(std::remainder(runs[2].rotationDegrees, 360)), 180, 1e-9);
    EXPECT_DOUBLE_EQ(runs[2].obliqueDegrees, 15);
    for (const auto& run : runs)
        EXPECT_EQ(run.position, QPointF(3, 4));
}

TEST(TextShapes, DiameterSignAndUnderlinedPart)
{
    DrawingBuilder b;
    b.add(b.entity("0", text("%%c10 %%uH7%%u"), cad::EntityType::Text));
    const auto all = drawn(b);
    const auto runs = shapes<TextRun>(all);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, QString::fromUtf8("Ø10 H7"));
    const auto lines = shapes<RecordingBackend::Polyline>(all);
    ASSERT_EQ(lines.size(), 1u); // under "H7" only
    const double start = cad::text::textWidth(QString::fromUtf8("Ø10 "), 1);
    EXPECT_NEAR(lines[0].points[0].x(), start, 1e-9);
    EXPECT_NEAR(lines[0].points[1].x(), start + cad::text::textWidth("H7", 1), 1e-9);
    EXPECT_LT(lines[0].points[0].y(), 0); // below the baseline
}

TEST(TextShapes, MTextStacksFractionsAndWrapsAtItsWidth)
{
    DrawingBuilder b;
    cad::MTextGeom fraction;
    fraction.height = 1;
    fraction.text = "B\\S1/2;";
    b.add(b.entity("0", fraction, cad::EntityType::MText));
    const auto all = drawn(b);
    const auto runs = shapes<TextRun>(all);
    ASSERT_EQ(runs.size(), 3u); // "B", then 1 over 2: no "1/2" inline
    EXPECT_EQ(runs[0].text, "B");
    EXPECT_EQ(runs[1].text, "1");
    EXPECT_EQ(runs[2].text, "2");
    EXPECT_LT(runs[1].height, 1);
    EXPECT_GT(runs[1].position.y(), runs[2].position.y());
    EXPECT_EQ(shapes<RecordingBackend::Polyline>(all).size(), 1u); // the bar

    DrawingBuilder w;
    cad::MTextGeom wrapped;
    wrapped.height = 1;
    wrapped.width = cad::text::textWidth("word word", 1) * 1.05;
    wrapped.rotation = 90;
    wrapped.insert = {10, 0};
    wrapped.text = "word word word word word";
    w.add(w.entity("0", wrapped, cad::EntityType::MText));
    const auto lines = shapes<TextRun>(drawn(w));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "word word");
    EXPECT_EQ(lines[2].text, "word");
    // Turned a quarter round: lines step to the right, 5/3 apart.
    EXPECT_NEAR(lines[1].position.x() - lines[0].position.x(), 5.0 / 3, 1e-9);
    EXPECT_NEAR(lines[0].rotationDegrees, 90, 1e-9);
}

TEST(TextShapes, TextSmallerThanAPictureUnitIsStillWritten)
{
    // A 1000-unit drawing with text a ten-thousandth of its size: far below
    // one logical unit of the picture, yet written.
    DrawingBuilder b;
    b.add(b.line("0", {0, 0}, {1000, 1000}));
    cad::TextGeom tiny = text("tiny", 0.01);
    tiny.insert = {500, 500};
    b.add(b.entity("0", tiny, cad::EntityType::Text));
    const cad::Drawing& d = b.drawing();
    const auto frame = cad::render::PictureFrame::forDrawing(d);
    metafile::WmfWriter writer(frame.logical, frame.unitsPerInch);
    cad::render::WmfBackend backend(writer, frame);
    cad::render::DrawingFrontend(d, frame.tolerance()).drawModelSpace(backend);
    const QByteArray bytes = writer.finish();
    EXPECT_TRUE(bytes.contains("tiny"));
}

TEST(TextShapes, BackwardsTextReachesTheMetafileAsMirroredGlyphOutlines)
{
    // The same word forwards above the x axis and backwards below it, both
    // anchored at x = 0, the centre of the picture.
    DrawingBuilder b;
    cad::TextGeom forwards = text("Kasanemi", 5);
    forwards.insert = {0, 5};
    b.add(b.entity("0", forwards, cad::EntityType::Text));
    cad::TextGeom backwards = text("Kasanemi", 5);
    backwards.insert = {0, -15};
    backwards.generation = 2;
    b.add(b.entity("0", backwards, cad::EntityType::Text));
    const auto frame = cad::render::PictureFrame::forWorld(QRectF(-60, -30, 120, 60));
    metafile::WmfWriter writer(frame.logical, frame.unitsPerInch);
    cad::render::WmfBackend backend(writer, frame);
    cad::render::DrawingFrontend(b.drawing(), frame.tolerance()).drawModelSpace(backend);
    const QByteArray bytes = writer.finish();
    // A text record holds the forward word only: a mirrored one would be
    // drawn readable by GDI players.
    EXPECT_EQ(bytes.count("Kasanemi"), 1);

    const QImage image = testing_render::playedOnWhite(bytes, QSize(800, 400));
    ASSERT_FALSE(image.isNull());
    // Ink a column in the upper and the lower half; the lower read from the
    // right is the upper read from the left.
    std::vector<double> upper(800), lower(800);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 800; ++x)
            if (qGray(image.pixel(x, y)) < 128)
                (y < 200 ? upper : lower)[std::size_t(x)] += 1;
    std::reverse(lower.begin(), lower.end());
    double dot = 0, uu = 0, ll = 0;
    for (std::size_t x = 0; x < 800; ++x) {
        dot += upper[x] * lower[x];
        uu += upper[x] * upper[x];
        ll += lower[x] * lower[x];
    }
    ASSERT_GT(uu, 0);
    ASSERT_GT(ll, 0);
    EXPECT_GT(dot / std::sqrt(uu * ll), 0.9);
    // And all of it left of the anchor.
    const auto firstInk = std::find_if(lower.begin(), lower.end(), [](double v) { return v > 0; });
    EXPECT_GE(firstInk - lower.begin(), 398); // reversed: the first from the right lies at the centre or left
}
