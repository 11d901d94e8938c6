// The host window's picture: regenerations in a burst draw once, a picture
// under way stops when a newer state comes and is never shown, and what the
// screen shows is the latest state. Counted, not timed: a test painter holds
// the worker where the test wants it.

#include "cad/CadDocument.h"
#include "cad/window/DrawingView.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>

#include <atomic>

#include <gtest/gtest.h>

namespace {

/// A red square (layer RED) with a blue one beside it (layer BLUE).
QByteArray twoSquares()
{
    QByteArray text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n"
                      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n"
                      "0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nContinuous\n"
                      "0\nLAYER\n2\nRED\n70\n0\n62\n1\n6\nContinuous\n"
                      "0\nLAYER\n2\nBLUE\n70\n0\n62\n5\n6\nContinuous\n"
                      "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    const auto square = [](const char* layer, int x) {
        return QByteArray("0\nSOLID\n8\n") + layer + QByteArray("\n10\n%1\n20\n0\n11\n%2\n21\n0\n12\n%1\n22\n10\n13\n%2\n23\n10\n")
                                                          .replace("%1", QByteArray::number(x))
                                                          .replace("%2", QByteArray::number(x + 10));
    };
    return text + square("RED", 0) + square("BLUE", 20) + "0\nENDSEC\n0\nEOF\n";
}

bool waitUntil(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(20'000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

int pixelsOf(const QImage& image, QRgb colour)
{
    int n = 0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            n += (rgb.pixel(x, y) | 0xFF000000u) == colour;
    return n;
}

class DrawingViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QFile file(folder.filePath("squares.dxf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(twoSquares());
        file.close();
        document = cad::CadDocument::open(file.fileName());
        red = document->layerIndex(QStringLiteral("RED"));
        view.resize(300, 200);
        view.show();
    }

    void TearDown() override { gate.release(); }  // a failed test leaves no worker held

    bool settled()
    {
        return waitUntil([this] { return !view.isDrawing(); });
    }

    /// Shows the document, its first picture held by the worker before its
    /// first entity until `gate` is released; true once the worker holds it.
    bool showWithFirstPictureHeld()
    {
        view.setPainter([this](const cad::DrawingView::Job& job) {
            entered.release();
            if (hold.exchange(false))
                gate.acquire();
            return cad::DrawingView::paint(job);
        });
        view.setDocument(document);
        return waitUntil([this] { return entered.tryAcquire(); });
    }

    QSemaphore entered, gate;
    std::atomic<bool> hold = true;
    QTemporaryDir folder;
    std::shared_ptr<cad::CadDocument> document;
    int red = -1;
    cad::DrawingView view;
};

} // namespace

TEST_F(DrawingViewTest, ABurstOfRegenerationsDrawsOnce)
{
    view.setDocument(document);
    ASSERT_TRUE(settled());
    EXPECT_EQ(view.counts().shown, 1);
    const int started = view.counts().started;

    for (int i = 0; i < 10; ++i) {
        document->setLayerOn(red, i % 2 == 1);
        view.redraw();
    }
    ASSERT_TRUE(settled());
    EXPECT_EQ(view.counts().started, started + 1);
    EXPECT_EQ(view.counts().shown, 2);
    EXPECT_EQ(view.counts().abandoned, 0);
    EXPECT_GT(pixelsOf(view.grab().toImage(), 0xFFFF0000), 100);  // the last state: red on
}

TEST_F(DrawingViewTest, ANewerStateStopsThePictureUnderWayAndOnlyTheLatestIsShown)
{
    ASSERT_TRUE(showWithFirstPictureHeld());

    // The worker is held; the calls go on meanwhile, never waiting for it:
    // the red layer goes off, another is renamed (which moves entities), and
    // a regeneration asks for the new state.
    document->setLayerOn(red, false);
    document->setLayerName(document->layerIndex(QStringLiteral("BLUE")), QStringLiteral("青"));
    view.redraw();
    gate.release();

    ASSERT_TRUE(settled());
    EXPECT_EQ(view.counts().started, 2);
    EXPECT_EQ(view.counts().abandoned, 1);
    EXPECT_EQ(view.counts().shown, 1);
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(pixelsOf(shown, 0xFFFF0000), 0);      // the red layer is off...
    EXPECT_GT(pixelsOf(shown, 0xFF0000FF), 100);    // ...and the renamed one still drawn
}

TEST_F(DrawingViewTest, ANewDocumentDropsThePictureOfTheOldOne)
{
    ASSERT_TRUE(showWithFirstPictureHeld());
    auto other = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(folder.filePath("squares.dxf")));
    other->setLayerOn(other->layerIndex(QStringLiteral("BLUE")), false);
    view.setDocument(other);
    gate.release();

    ASSERT_TRUE(settled());
    EXPECT_EQ(view.counts().abandoned, 1);
    EXPECT_EQ(view.counts().shown, 1);
    EXPECT_EQ(pixelsOf(view.grab().toImage(), 0xFF0000FF), 0);
}
