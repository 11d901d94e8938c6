// What the host window's picture needs of the renderer: a layer table of its
// own (the worker draws the shared entities with a copy of the table taken
// when it starts), and a stop at the next entity when a newer state comes.

#include "DrawingBuilder.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/RecordingBackend.h"

#include <gtest/gtest.h>

#include <atomic>

using cad::render::DrawingFrontend;
using cad::render::RecordingBackend;
using testing_render::DrawingBuilder;

namespace {

/// Records, and raises the stop flag once `after` primitives are drawn.
class StoppingBackend : public RecordingBackend {
public:
    StoppingBackend(std::atomic<bool>& stop, std::size_t after) : m_stop(stop), m_after(after) {}
    void drawPolyline(const std::vector<QPointF>& points, bool closed, const cad::render::Style& style) override
    {
        RecordingBackend::drawPolyline(points, closed, style);
        if (size() >= m_after)
            m_stop = true;
    }

private:
    std::atomic<bool>& m_stop;
    std::size_t m_after;
};

} // namespace

TEST(WindowPicture, ALayerTableOfItsOwnDecidesWhatIsDrawnAndInWhichColour)
{
    DrawingBuilder b;
    const int a = b.layer("A", 1);
    const int blue = b.layer("b", 5);
    b.add(b.line("A", {0, 0}, {1, 0}));
    b.add(b.line("B", {0, 1}, {1, 1}));  // the name as an entity spells it, folded to the table's
    const cad::Drawing& drawing = b.drawing();

    std::vector<cad::LayerRecord> layers = drawing.layers;
    layers[std::size_t(a)].on = false;
    layers[std::size_t(blue)].color = 3;
    RecordingBackend recording;
    DrawingFrontend(drawing, layers, 0.001).drawModelSpace(recording);
    EXPECT_TRUE(recording.layer(a).empty());
    ASSERT_EQ(recording.layer(blue).size(), 1u);
    EXPECT_EQ(recording.layer(blue)[0].style.colour, 0xFF00FF00);

    // The drawing's own table is another state, drawn as it says.
    RecordingBackend own;
    DrawingFrontend(drawing, 0.001).drawModelSpace(own);
    EXPECT_EQ(own.layer(a).size(), 1u);
    EXPECT_EQ(own.layer(blue)[0].style.colour, 0xFF0000FF);
}

TEST(WindowPicture, TheStopFlagEndsThePictureAtTheNextEntityAlsoInsideABlock)
{
    DrawingBuilder b;
    b.layer("A", 1);
    for (int i = 0; i < 5; ++i)
        b.add(b.line("A", {0, double(i)}, {1, double(i)}));
    b.block("ROW", {b.line("0", {0, 0}, {1, 0}), b.line("0", {0, 1}, {1, 1}), b.line("0", {0, 2}, {1, 2})});
    b.add(b.insert("A", "ROW", {5, 5}));
    const cad::Drawing& drawing = b.drawing();

    std::atomic<bool> stop{false};
    StoppingBackend early(stop, 2);
    DrawingFrontend frontend(drawing, 0.001);
    frontend.setStopFlag(&stop);
    frontend.drawModelSpace(early);
    EXPECT_EQ(early.size(), 2u);
    EXPECT_TRUE(frontend.stopped());

    // Raised inside the block: the block's next entity is not drawn either.
    stop = false;
    StoppingBackend inBlock(stop, 6);
    frontend.drawModelSpace(inBlock);
    EXPECT_EQ(inBlock.size(), 6u);
    EXPECT_TRUE(frontend.stopped());

    // A flag that never rises draws everything, and says so.
    stop = false;
    RecordingBackend whole;
    frontend.drawModelSpace(whole);
    EXPECT_EQ(whole.size(), 8u);
    EXPECT_FALSE(frontend.stopped());
}
