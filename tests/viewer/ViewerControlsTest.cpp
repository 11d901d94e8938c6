// The viewer's controls as a user meets them: clicks on a zoomed tile reach
// the tile's buttons, the name boxes' look from creation, the status text
// under the pointer, and every caption and linetype name shown whole in the
// platform's fonts.

#include "ViewerFixture.h"

#include "app/Twips.h"
#include "tile/LineTypeBox.h"
#include "tile/TwipsPlacement.h"
#include "viewer/CaptionBox.h"
#include "viewer/OverviewZoom.h"
#include "viewer/Toolbar1.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QTest>
#include <QFontInfo>
#include <QTextBlock>
#include <QAbstractTextDocumentLayout>

using namespace viewertest;

namespace {

const QString kFiveLayers = QStringLiteral("libredwg_example_2018.dxf");
const QString kGenerated = QStringLiteral("generated/gen_50L_5k_R2000.dxf");

class ViewerControls : public ViewerTest {
protected:
    void refresh(const QString& drawing, bool viewOnly = false)
    {
        openDrawing(drawing);
        window->resize(app::twipsToPixels(16000), app::twipsToPixels(9000));
        window->ChkViewOnly()->setChecked(viewOnly);
        window->CmdRefresh_Click();
        ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    }

    /// Clicks at `pointInFrame` of a tile frame as the window system would:
    /// the press goes to the topmost control under the point.
    static QWidget* clickInFrame(QFrame& frame, QPoint pointInFrame)
    {
        QWidget* hit = frame.childAt(pointInFrame);
        if (hit)
            QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(&frame, pointInFrame));
        return hit;
    }
};

bool within(const QWidget* hit, const QWidget* control)
{
    return hit && (hit == control || control->isAncestorOf(hit));
}

QPoint centreIn(const QWidget& control, const QWidget& ancestor)
{
    return control.mapTo(&ancestor, control.rect().center());
}

TEST_F(ViewerControls, AZoomedOrPannedTilePictureLeavesTheButtonsAndNameBoxTheirClicks)
{
    refresh(kFiveLayers);
    for (int i = 0; i < 5; ++i)
        window->pr_subZoomUp();
    ASSERT_TRUE(ui.messages().isEmpty());
    tile::WmfImage& overview = *window->ImgALL();
    emit overview.mousePressed(Qt::LeftButton, {}, QPointF(0, 0));
    emit overview.mouseMoved(Qt::LeftButton, {}, QPointF(150, 90));
    emit overview.mouseReleased(Qt::LeftButton, {}, QPointF(150, 90));

    for (int i = 1; i <= window->tiles().tileCount(); ++i) {
        tile::clsDWF& tile = *window->tiles().oDWF(i);
        QFrame& frame = *tile.FraOne();
        // The zoomed picture covers the whole frame, the bar and name box included.
        ASSERT_TRUE(tile.ImgOne()->geometry().contains(frame.rect())) << i;
        EXPECT_EQ(frame.childAt(centreIn(*tile.TxtOne(), frame)), tile.TxtOne()) << i;
        EXPECT_TRUE(within(frame.childAt(centreIn(*tile.CboLineType(), frame)), tile.CboLineType())) << i;
        EXPECT_TRUE(within(frame.childAt(centreIn(*tile.CmdLock(), frame)), tile.FraBar())) << i;
        EXPECT_EQ(frame.childAt(QPoint(frame.width() / 2, app::twipsToPixels(1500))), tile.ImgOne()) << i;
    }

    tile::clsDWF& first = *window->tiles().oDWF(1);
    const int layer = document().layerIndex(first.sLayerName());
    const bool wasOn = document().layer(layer).on;
    EXPECT_EQ(clickInFrame(*first.FraOne(), centreIn(*first.CmdView(), *first.FraOne())), first.CmdView());
    EXPECT_EQ(document().layer(layer).on, !wasOn) << "the bulb switched the layer";
    EXPECT_EQ(first.bLayerOn(), !wasOn);
    EXPECT_FALSE(first.bSelect()) << "the click did not go to the picture";
}

TEST_F(ViewerControls, AFittedSquarePictureStaysOutOfTheButtonBar)
{
    refresh(kFiveLayers);
    tile::clsDWF& tile = *window->tiles().oDWF(1);
    // Where the fit puts a square picture: full width, below the name box,
    // 120 twips (8 pixels) deeper than the bar's top.
    tile.ImgOne()->setTwipsGeometry(QRectF(0, 255, 2565, 2565));
    QFrame& frame = *tile.FraOne();
    const QPoint inBar = tile.FraBar()->mapTo(&frame, QPoint(tile.FraBar()->width() / 2, 2));
    ASSERT_TRUE(tile.ImgOne()->geometry().contains(inBar));
    EXPECT_TRUE(within(frame.childAt(inBar), tile.FraBar()));
}

TEST_F(ViewerControls, NameBoxesHaveTheNormalLookFromTheirCreation)
{
    refresh(kFiveLayers);
    const QColor background = QApplication::palette().color(QPalette::Base);
    const QColor text = QApplication::palette().color(QPalette::Text);
    const auto expectNormal = [&](const char* when) {
        for (int i = 1; i <= window->tiles().tileCount(); ++i) {
            const QPalette look = window->tiles().oDWF(i)->TxtOne()->palette();
            EXPECT_EQ(look.color(QPalette::Base), background) << when << " tile " << i;
            EXPECT_EQ(look.color(QPalette::Text), text) << when << " tile " << i;
            EXPECT_FALSE(window->tiles().oDWF(i)->bSelect()) << when << " tile " << i;
        }
    };
    ASSERT_GT(window->tiles().tileCount(), 2);
    expectNormal("after the first refresh");

    window->tiles().oDWF(1)->SelectView();
    window->tiles().oDWF(3)->SelectView();
    window->CmdRefresh_Click();
    expectNormal("after the next refresh");
}

TEST_F(ViewerControls, TheStatusTextStaysWhenThePointerPassesTheToolbar)
{
    refresh(kFiveLayers);
    const QString status = window->StatusMain()->currentMessage();
    ASSERT_TRUE(status.endsWith(QStringLiteral("] 更新"))) << status.toStdString();

    auto* toolbar = window->findChild<viewer::Toolbar1*>();
    ASSERT_NE(toolbar, nullptr);
    for (int index = 1; index <= viewer::Toolbar1::kButtonCount; ++index) {
        QWidget* button = toolbar->widgetForAction(toolbar->button(index));
        if (!button)
            continue;
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(button, &enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        QStatusTipEvent emptyTip{QString()};
        QApplication::sendEvent(button, &emptyTip);
        EXPECT_EQ(window->StatusMain()->currentMessage(), status) << "button " << index;
    }
}

/// The room a check box or option button leaves its caption, in pixels.
QRect captionRoom(QAbstractButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const bool check = qobject_cast<QCheckBox*>(&button) != nullptr;
    return button.style()->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents,
                                          &option, &button);
}

void expectWholeLines(const viewer::CaptionBox& box, const char* which)
{
    const QRect room = box.viewport()->rect();
    EXPECT_LE(box.textHeight(), room.height()) << which << ": " << box.text().toStdString();
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next())
        EXPECT_LE(box.document()->documentLayout()->blockBoundingRect(block).width(), room.width())
            << which << ": " << block.text().toStdString();
}

TEST_F(ViewerControls, EveryCaptionShowsWholeInItsControl)
{
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             window->OptDblClickActiveButton(), window->OptDblClickExclusiveViewButton(), window->ChkViewOnly()}) {
        const QFontMetrics metrics(button->font());
        const QRect room = captionRoom(*button);
        EXPECT_LE(metrics.horizontalAdvance(button->text()), room.width()) << button->text().toStdString();
        EXPECT_LE(metrics.height(), button->height()) << button->text().toStdString();
    }
    const QGroupBox& options = *window->FraViewDblClick();
    EXPECT_LT(QFontMetrics(options.font()).horizontalAdvance(options.title()), options.width() - 20);

    expectWholeLines(*window->TxtALL(), "before a refresh");
    refresh(kGenerated, true);
    ASSERT_TRUE(window->FraPart()->isVisible());
    expectWholeLines(*window->TxtALL(), "TxtALL");
    expectWholeLines(*window->TxtPart(), "TxtPart");
}

TEST_F(ViewerControls, TheCountStripsAreSetInALegibleSize)
{
    refresh(kGenerated, true);
    ASSERT_TRUE(window->FraPart()->isVisible());
    // Two lines in 435 twips: the text stays at least 11 points' worth of
    // pixels high (the half-width ｵﾌﾞｼﾞｪｸﾄ数 was 8 to 9 pixels before).
    for (const viewer::CaptionBox* strip : {window->TxtALL(), window->TxtPart()}) {
        EXPECT_TRUE(strip->text().contains(QStringLiteral("ｵﾌﾞｼﾞｪｸﾄ数:")));
        EXPECT_GE(QFontInfo(strip->font()).pixelSize(), app::twipsToPixels(165)) << strip->text().toStdString();
        expectWholeLines(*strip, "strip");
    }
}

/// Every linetype name the sample drawings hold, as the independent reader lists them.
QStringList sampleLinetypeNames()
{
    QStringList names;
    QDir samples(qEnvironmentVariable("KASANEMI_SAMPLES"));
    QStringList files = samples.entryList({QStringLiteral("*.oracle.json")});
    for (const QString& f : samples.entryList({QStringLiteral("generated")}, QDir::Dirs))
        for (const QString& g : QDir(samples.filePath(f)).entryList({QStringLiteral("*.oracle.json")}))
            files << f + QLatin1Char('/') + g;
    for (const QString& file : files) {
        QFile in(samples.filePath(file));
        if (!in.open(QIODevice::ReadOnly))
            continue;
        for (const QJsonValue& v : QJsonDocument::fromJson(in.readAll())["linetypes"].toArray()) {
            const QString name = v.isString() ? v.toString() : v.toObject()["name"].toString();
            if (!name.isEmpty() && !names.contains(name))
                names << name;
        }
    }
    return names;
}

TEST_F(ViewerControls, EveryLinetypeNameOfTheSamplesShowsWholeInTheTilesBox)
{
    refresh(kFiveLayers);
    auto* box = qobject_cast<tile::LineTypeBox*>(window->tiles().oDWF(1)->CboLineType());
    ASSERT_NE(box, nullptr);
    const QStringList names = sampleLinetypeNames();
    ASSERT_TRUE(names.contains(QStringLiteral("HOT_WATER_SUPPLY")) && names.size() > 20) << names.size();
    box->clear();
    box->addItems(names);
    for (int i = 0; i < names.size(); ++i) {
        box->setCurrentIndex(i);
        const QFontMetrics metrics(box->nameFont());
        EXPECT_LE(metrics.horizontalAdvance(names[i]), box->nameRect().width()) << names[i].toStdString();
        EXPECT_LE(metrics.height(), box->height()) << names[i].toStdString();
        EXPECT_GE(QFontInfo(box->nameFont()).pixelSize(), 8) << names[i].toStdString() << " stays readable";
    }
    // A name that fits is drawn in the box's own font.
    box->setCurrentIndex(names.indexOf(QStringLiteral("Continuous")));
    EXPECT_EQ(box->nameFont(), box->font());
}

TEST_F(ViewerControls, ZoomOutIsRefusedWhileTheOverviewIsStillThere)
{
    refresh(kFiveLayers);
    const double pixel = app::pixelsToTwips(1);
    // What the zoom rule gives on the display's whole pixels, from the fitted overview.
    int expectedSteps = 0;
    for (QRectF picture = window->ImgALL()->twipsGeometry(); expectedSteps < 20; ++expectedSteps) {
        const viewer::ZoomStep step = viewer::zoomStep(picture, 40, false, tile::twipsGeometryOf(*window->FraALL()).size(),
                                                       tile::twipsGeometryOf(*window->TxtALL()).height(),
                                                       window->sngImgALLRatio(), pixel);
        if (step.refused)
            break;
        picture = step.rect;
    }
    int steps = 0;
    for (; steps < 20 && ui.messages().isEmpty(); ++steps) {
        const QRectF before = window->ImgALL()->twipsGeometry();
        window->pr_subZoomDown();
        const QRectF now = window->ImgALL()->twipsGeometry();
        if (!ui.messages().isEmpty()) {
            EXPECT_EQ(now, before) << "a refused step leaves the picture";
            break;
        }
        // The display's whole pixels, as the user sees them.
        EXPECT_EQ(now, viewer::wholePixels(now, pixel)) << steps;
        EXPECT_GE(window->ImgALL()->width(), 1) << steps;
        EXPECT_GE(window->ImgALL()->height(), 1) << steps;
    }
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages().first().text, QStringLiteral("これ以上小さくすることが出来ません。"));
    EXPECT_EQ(steps, expectedSteps);
    EXPECT_LT(steps, 12) << "refused where the display distorts the picture, not after it vanished";
    EXPECT_EQ(window->tiles().oDWF(1)->ImgOne()->width(), window->ImgALL()->width());
}

} // namespace
