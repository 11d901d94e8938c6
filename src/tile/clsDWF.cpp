#include "clsDWF.h"

#include "acad/AciColors.h"
#include "StatePictures.h"
#include "TileGeometry.h"
#include "LinetypeSource.h"
#include "TwipsPlacement.h"
#include "acad/AcadError.h"
#include "app/ErrorReport.h"
#include "app/Twips.h"

#include <QApplication>
#include <algorithm>
#include <QColor>
#include <QPalette>

namespace tile {

namespace {

// Numbers of the toolkit's own failures, as the program reports them.
constexpr qint32 kErrDivisionByZero = 11;
constexpr qint32 kErrObjectNotSet = 91;
constexpr qint32 kErrInvalidPicture = 481;

[[noreturn]] void failNotBound()
{
    throw acad::AcadError(kErrObjectNotSet, QStringLiteral("オブジェクト変数が設定されていません。"));
}

template <typename T>
T& bound(const QPointer<T>& control)
{
    if (!control)
        failNotBound();
    return *control;
}

/// Runs `work`; a failure becomes the unexpected-error report naming `procedure`.
template <typename Work>
void reportingFailures(const char* procedure, Work&& work)
{
    try {
        work();
    } catch (const acad::AcadError& e) {
        app::reportUnexpectedError(QString::fromLatin1(procedure), e);
    } catch (const std::exception& e) {
        app::reportUnexpectedError(QString::fromLatin1(procedure), 0, QString::fromLocal8Bit(e.what()));
    }
}

/// The system colours the tiles use: "window background" and "window text"
/// are those of text fields and lists.
QColor windowBackground() { return QApplication::palette().color(QPalette::Base); }
QColor windowText() { return QApplication::palette().color(QPalette::Text); }

void setColors(QWidget& widget, const QColor& background, const QColor& foreground)
{
    widget.setAutoFillBackground(true);
    QPalette pal = widget.palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::WindowText, foreground);
    pal.setColor(QPalette::Text, foreground);
    widget.setPalette(pal);
}

QRectF twips(const ControlBox& box, double height)
{
    return {box.left, box.top, box.width, height};
}

} // namespace

clsDWF::clsDWF(LinetypeSource& linetypes, QObject* parent) : QObject(parent), m_linetypes(linetypes) {}

clsDWF::~clsDWF() = default;

void clsDWF::SetWMF(const QString& sWMF_FullPath)
{
    QString reason;
    if (!bound(pr_oImgOne).loadPicture(sWMF_FullPath, &reason))
        throw acad::AcadError(kErrInvalidPicture, QStringLiteral("ピクチャが不正です。") + reason);
}

void clsDWF::SetLayerState()
{
    reportingFailures("SetLayerState", [this] {
        if (!m_oAcadDoc)
            failNotBound();
        const acad::LayerPtr layer = m_oAcadDoc->layers()->item(m_layer.sLayerName);
        m_layer.bAllViewportFreaze = acad::toVb(layer->freeze());
        m_layer.bLayerOn = acad::toVb(layer->layerOn());
        m_layer.bLock = acad::toVb(layer->lock());
        m_layer.bNewViewportFreaze = acad::toVb(layer->viewportDefault());
        m_layer.bPlottable = acad::toVb(layer->plottable());
        m_layer.lnColor = layer->color();
        m_layer.sLineType = layer->linetype();
        pr_subButtonUpdate();
    });
}

void clsDWF::SetLayerState(const acad::LayerSnapshot& record)
{
    reportingFailures("SetLayerState", [&] {
        // The name stays the tile's own; the two fields a tile never fills stay empty.
        m_layer.bAllViewportFreaze = acad::toVb(record.bAllViewportFreaze != acad::vbFalse);
        m_layer.bLayerOn = acad::toVb(record.bLayerOn != acad::vbFalse);
        m_layer.bLock = acad::toVb(record.bLock != acad::vbFalse);
        m_layer.bNewViewportFreaze = acad::toVb(record.bNewViewportFreaze != acad::vbFalse);
        m_layer.bPlottable = acad::toVb(record.bPlottable != acad::vbFalse);
        m_layer.lnColor = record.lnColor;
        m_layer.sLineType = record.sLineType;
        pr_subButtonUpdate();
    });
}

void clsDWF::InitialSettingAutoCAD(const QString& sLayerName, const acad::DocumentPtr& oAcadDoc)
{
    m_layer.sLayerName = sLayerName;
    m_oAcadDoc = oAcadDoc;
}

void clsDWF::InitialSetting(qint32 iIndex, const TileControls& controls, qint32 iPicMainWidth,
                            const std::optional<QString>& currentLayer)
{
    reportingFailures("InitialSetting", [&] {
        m_iIndex = iIndex;
        pr_oFraOne = controls.FraOne;
        pr_oFraBar = controls.FraBar;
        pr_oImgOne = controls.ImgOne;
        pr_oCmdView = controls.CmdView;
        pr_oCmdFreeze = controls.CmdFreeze;
        pr_oCmdLock = controls.CmdLock;
        pr_oCmdColor = controls.CmdColor;
        pr_oCboLineType = controls.CboLineType;
        pr_oTxtOne = controls.TxtOne;
        pr_subConnectControls();

        QFrame& frame = bound(pr_oFraOne);
        frame.setFrameShape(QFrame::NoFrame);
        setColors(frame, QColor(128, 128, 128), windowText());
        placeInTwips(frame, QRectF(twipsGeometryOf(frame).topLeft(), QSizeF(kFrameWidth, kFrameHeight)));

        QFrame& bar = bound(pr_oFraBar);
        bar.setFrameShape(QFrame::NoFrame);
        setColors(bar, Qt::white, windowText());
        placeInTwips(bar, twips(kBarBox, kBarBox.height));

        WmfImage& picture = bound(pr_oImgOne);
        picture.setTwipsGeometry(twips(kPictureBox, kPictureBox.height));
        pr_subShowPictureGround(frame);

        placeInTwips(bound(pr_oCmdView), twips(kViewButtonBox, kViewButtonBox.height));
        placeInTwips(bound(pr_oCmdFreeze), twips(kFreezeButtonBox, kFreezeButtonBox.height));
        placeInTwips(bound(pr_oCmdLock), twips(kLockButtonBox, kLockButtonBox.height));
        ImageButton& color = bound(pr_oCmdColor);
        color.setFrameShape(QFrame::NoFrame);
        placeInTwips(color, twips(kColorBox, kColorBox.height));

        // The linetype box keeps the toolkit's height for a one-line box,
        // no taller than the bar leaves it.
        QComboBox& lineType = bound(pr_oCboLineType);
        lineType.setEditable(false);
        const double barRoom = kBarBox.height - kLineTypeBox.top;
        const double height = std::min(app::pixelsToTwips(lineType.sizeHint().height()), barRoom);
        placeInTwips(lineType, twips(kLineTypeBox, height));

        QLineEdit& name = bound(pr_oTxtOne);
        name.setReadOnly(true);
        name.setFrame(true);
        name.setTextMargins(0, 0, 0, 0);
        placeInTwips(name, twips(kNameBox, kNameBox.height));
        // Every tile starts with the normal look, whatever the controls showed
        // before (tile 1's are reused); without its own colours the name box
        // would take the frame's grey.
        m_bSelect = false;
        pr_subShowNameBoxColors(windowBackground(), windowText());

        for (QWidget* w : std::initializer_list<QWidget*>{
                 &bar, &picture, pr_oCmdView, pr_oCmdFreeze, pr_oCmdLock, &color, &lineType, &name})
            w->setVisible(true);
        // The picture lies under the name box and the button bar, which cover
        // the frame's full width: zoomed or panned, it is drawn and clicked
        // only in the space between them.
        bar.raise();
        name.raise();
        // Put in its place before it is shown: shown where it was made, at the
        // area's top left, every new tile would make the area repaint at the
        // next step of the refresh, and a repaint of the area weighs every
        // tile made so far.
        pu_subUpdateLocation(iPicMainWidth, 0);
        frame.setVisible(true);
        pr_subSetLayerText();
        pu_subActiveLayerCheck(currentLayer);
        pr_subSetLineTypeList();
    });
}

void clsDWF::pr_subConnectControls()
{
    // The controls of tile 1 outlive the tile objects of earlier refreshes;
    // connections made with `this` as context end with this object.
    connect(pr_oImgOne, &WmfImage::mousePressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF pos) {
                qint32 shift = 0;
                if (modifiers & Qt::ShiftModifier)
                    shift |= 1;
                if (modifiers & Qt::ControlModifier)
                    shift |= 2;
                if (modifiers & Qt::AltModifier)
                    shift |= 4;
                emit pr_oImgOne_MouseDown(button, shift, pos);
            });
    connect(pr_oImgOne, &WmfImage::clicked, this, &clsDWF::pr_oImgOne_Click);
    connect(pr_oImgOne, &WmfImage::doubleClicked, this, &clsDWF::pr_oImgOne_DblClick);
    connect(pr_oCmdView, &ImageButton::clicked, this, &clsDWF::pr_oCmdView_Click);
    connect(pr_oCmdFreeze, &ImageButton::clicked, this, &clsDWF::pr_oCmdFreeze_Click);
    connect(pr_oCmdLock, &ImageButton::clicked, this, &clsDWF::pr_oCmdLock_Click);
    connect(pr_oCmdColor, &ImageButton::clicked, this, &clsDWF::pr_oCmdColor_Click);
    connect(pr_oCboLineType, &QComboBox::activated, this, [this](int) { emit pr_oCboLineType_Click(); });
}

void clsDWF::pr_subShowPictureGround(QFrame& frame)
{
    // The pictures are drawn for white paper, as the overview and the workbook
    // show them: on the frame's grey a layer in colour 8 (128, 128, 128) would
    // vanish and the dark colours could hardly be seen. So the picture area
    // alone gets a white ground; the frame keeps its grey round it. Tile 1's
    // frame is reused by every refresh, so its ground is made once.
    const QString groundName = QStringLiteral("ImgGround");
    QWidget* ground = frame.findChild<QWidget*>(groundName, Qt::FindDirectChildrenOnly);
    if (!ground) {
        ground = new QWidget(&frame);
        ground->setObjectName(groundName);
        setColors(*ground, Qt::white, windowText());
    }
    placeInTwips(*ground, twips(kPictureBox, kPictureBox.height));
    ground->setVisible(true);
    ground->lower();
}

void clsDWF::pu_subUpdateLocation(qint32 iPicMainWidth, qint32 iTopScrol)
{
    reportingFailures("pu_subUpdateLocation", [&] {
        QFrame& frame = bound(pr_oFraOne);
        const std::optional<TilePlacement> place =
            placeTile(m_iIndex, iPicMainWidth, iTopScrol, kFrameWidth, kFrameHeight);
        if (!place)
            throw acad::AcadError(kErrDivisionByZero, QStringLiteral("0 で除算しました。"));
        m_iRow = place->row;
        m_iCol = place->col;
        moveInTwips(frame, place->left, place->top);
    });
}

void clsDWF::pu_subActiveLayerCheck(const std::optional<QString>& currentLayer)
{
    reportingFailures("pu_subActiveLayerCheck", [&] {
        if (!m_oAcadDoc)
            return;
        QFrame& bar = bound(pr_oFraBar);
        const QString current = currentLayer ? *currentLayer : m_oAcadDoc->activeLayer()->name();
        const bool isCurrent = current == m_layer.sLayerName;
        if (isCurrent)
            setColors(bar, QColor(255, 0, 0), Qt::white);
        else
            setColors(bar, windowBackground(), windowText());
    });
}

void clsDWF::pu_subImageUpdate(const QRectF& overviewTwips)
{
    if (!pr_oImgOne)
        return;
    WmfImage& picture = *pr_oImgOne;
    picture.setVisible(false);
    picture.setStretch(true);
    picture.setTwipsGeometry(overviewTwips.translated(0, kNameBox.height));
    picture.setVisible(true);
}

void clsDWF::showState(ImageButton* button, StatePicture picture)
{
    if (button)
        button->showPicture(statePixmap(picture, button->devicePixelRatioF()), statePictureName(picture));
}

void clsDWF::showLayerOn(bool on)
{
    m_layer.bLayerOn = acad::toVb(on);
    showState(pr_oCmdView, on ? StatePicture::ViewOn : StatePicture::ViewOff);
}

void clsDWF::showFrozen(bool frozen)
{
    m_layer.bAllViewportFreaze = acad::toVb(frozen);
    showState(pr_oCmdFreeze, frozen ? StatePicture::FreezeOn : StatePicture::FreezeOff);
}

void clsDWF::showLocked(bool locked)
{
    m_layer.bLock = acad::toVb(locked);
    showState(pr_oCmdLock, locked ? StatePicture::LockOn : StatePicture::LockOff);
}

QString clsDWF::chosenLineType() const
{
    return pr_oCboLineType ? pr_oCboLineType->currentText() : QString();
}

void clsDWF::SelectView()
{
    m_bSelect = true;
    pr_subShowNameBoxColors(QColor(0, 0, 128), windowBackground());
}

void clsDWF::ResetSelect()
{
    m_bSelect = false;
    if (pr_oTxtOne)
        pr_subShowNameBoxColors(windowBackground(), windowText());
}

void clsDWF::pr_subShowNameBoxColors(const QColor& background, const QColor& foreground)
{
    setColors(bound(pr_oTxtOne), background, foreground);
}

void clsDWF::pr_subButtonUpdate()
{
    bool facesShown = false;
    reportingFailures("pr_subButtonUpdate", [&] {
        const qreal dpr = bound(pr_oCmdView).devicePixelRatioF();
        const auto show = [dpr](ImageButton& button, StatePicture picture) {
            button.showPicture(statePixmap(picture, dpr), statePictureName(picture));
        };
        show(bound(pr_oCmdView), bLayerOn() ? StatePicture::ViewOn : StatePicture::ViewOff);
        show(bound(pr_oCmdFreeze), bAllViewportFreaze() ? StatePicture::FreezeOn : StatePicture::FreezeOff);
        show(bound(pr_oCmdLock), bLock() ? StatePicture::LockOn : StatePicture::LockOff);
        bound(pr_oCmdColor).setFillColor(QColor::fromRgb(acad::ColorIndexToRgb(m_layer.lnColor)));
        facesShown = true;
    });
    if (!facesShown || !pr_oCboLineType)
        return;

    // A linetype loaded into the drawing since the list was read is not in
    // the box yet: read the list again, refill this box and try once more.
    if (pr_funShowLineType())
        return;
    try {
        m_linetypes.ReadLinetypeList();
    } catch (const std::exception&) {
        return;  // the box stays as it was
    }
    pr_subSetLineTypeList();
    pr_funShowLineType();
}

bool clsDWF::pr_funShowLineType()
{
    QComboBox& box = *pr_oCboLineType;
    if (m_layer.sLineType.isEmpty())
        return false;
    // Linetype names, like layer names, are compared without regard to case
    // (and are unique so compared): a box that shows it already is left
    // alone, without a search through the list.
    if (box.currentIndex() >= 0 && box.currentText().compare(m_layer.sLineType, Qt::CaseInsensitive) == 0)
        return true;
    const int index = box.findText(m_layer.sLineType, Qt::MatchFixedString);
    if (index < 0)
        return false;
    box.setCurrentIndex(index);
    return true;
}

void clsDWF::pr_subSetLayerText()
{
    QLineEdit& name = bound(pr_oTxtOne);
    name.setText(m_layer.sLayerName);
    name.setCursorPosition(0);
    name.setToolTip(QStringLiteral("No.") + QString::number(m_iIndex));
    bound(pr_oImgOne).setToolTip(QStringLiteral("ダブルクリックにてオプション設定の動作を行います"));
}

void clsDWF::pr_subSetLineTypeList()
{
    QComboBox& box = bound(pr_oCboLineType);
    box.clear();
    const acad::NameList& names = m_linetypes.sLineTypeList();
    for (qsizetype i = 1; i < names.size(); ++i)
        box.addItem(names.at(i));
}

} // namespace tile
