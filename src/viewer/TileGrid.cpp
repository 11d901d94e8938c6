// The tile grid: tile creation at every refresh in three passes the refresh
// calls at fixed points (create the tiles after removing the previous
// refresh's, load each tile's picture once the per-layer macro has drawn
// them, let each tile read its layer's state once the drawing is back as the
// user left it), the flow of the tiles by the area's width, scrolling by
// whole rows, and the grid-wide tile operations.

#include "TileGrid.h"

#include "GridLayout.h"
#include "HostSession.h"
#include "NamedWidget.h"
#include "PictureFit.h"
#include "acad/AcadError.h"
#include "acad/PictureProtocol.h"
#include "app/Twips.h"
#include "tile/LineTypeBox.h"
#include "tile/TileGeometry.h"
#include "tile/TwipsPlacement.h"

#include <QFileInfo>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace viewer {

namespace {
constexpr qint32 kErrSubscriptOutOfRange = 9;
}

TileGrid::TileGrid(const Controls& controls, QObject* parent) : QObject(parent), m_controls(controls)
{
    m_controls.scrollBar->setRange(1, 1);
    m_controls.scrollBar->setSingleStep(1);
    m_controls.scrollBar->setPageStep(1);
    connect(m_controls.scrollBar, &QScrollBar::valueChanged, this, [this] { ScrBarV_Change(); });
    m_controls.picMain->installEventFilter(this);
    m_tile1 = createTileControls(1);
    m_tile1.FraOne->hide(); // shown by the first refresh
}

TileGrid::~TileGrid()
{
    // The tiles go before the controls they hold.
    m_oDWF.clear();
}

const acad::NameList& TileGrid::sLineTypeList() const
{
    static const acad::NameList kNone = acad::emptyNameList();
    if (m_linetypes)
        return m_linetypes->sLineTypeList();
    return m_session ? m_session->sLineTypeList : kNone;
}

void TileGrid::ReadLinetypeList()
{
    if (m_linetypes)
        m_linetypes->ReadLinetypeList();
    else if (m_session)
        m_session->ReadLinetypeList();
}

qint64 TileGrid::lnAcadHwnd() const
{
    return m_session ? m_session->lnAcadHwnd : 0;
}

DoubleClickAction TileGrid::doubleClickAction() const
{
    if (m_controls.dblClickActive && m_controls.dblClickActive->isChecked())
        return DoubleClickAction::MakeCurrent;
    if (m_controls.dblClickExclusiveView && m_controls.dblClickExclusiveView->isChecked())
        return DoubleClickAction::ExclusiveView;
    return DoubleClickAction::Nothing;
}

void TileGrid::beginRefresh()
{
    m_bTileReady = false;
    m_bRefreshDone = false;
    m_history.clear();
}

tile::TileControls TileGrid::createTileControls(qint32 i)
{
    const QString n = QString::number(i);
    tile::TileControls c;
    // Created in the order frame, bar, picture, three buttons, swatch,
    // linetype box, name box; hidden and without size until the tile sets them up.
    c.FraOne = named<QFrame>(QStringLiteral("FraOne") + n, m_controls.picMain);
    c.FraBar = named<QFrame>(QStringLiteral("FraBar") + n, c.FraOne);
    c.ImgOne = named<tile::WmfImage>(QStringLiteral("ImgOne") + n, c.FraOne);
    c.CmdView = named<tile::ImageButton>(QStringLiteral("CmdView") + n, c.FraBar);
    c.CmdFreeze = named<tile::ImageButton>(QStringLiteral("CmdFreeze") + n, c.FraBar);
    c.CmdLock = named<tile::ImageButton>(QStringLiteral("CmdLock") + n, c.FraBar);
    c.CmdColor = named<tile::ImageButton>(QStringLiteral("CmdColor") + n, c.FraBar);
    c.CboLineType = named<tile::LineTypeBox>(QStringLiteral("CboLineType") + n, c.FraBar);
    c.TxtOne = named<QLineEdit>(QStringLiteral("TxtOne") + n, c.FraOne);
    for (QWidget* w : std::initializer_list<QWidget*>{c.FraBar, c.ImgOne, c.CmdView, c.CmdFreeze, c.CmdLock,
                                                      c.CmdColor, c.CboLineType, c.TxtOne})
        w->hide();
    c.FraOne->setGeometry(0, 0, 0, 0);
    c.FraOne->hide();
    return c;
}

tile::clsDWF* TileGrid::oDWF(int index) const
{
    if (index < 1 || index > int(m_oDWF.size()))
        return nullptr;
    return m_oDWF[std::size_t(index - 1)].get();
}

void TileGrid::pr_subRemoveTiles()
{
    const QString tag = m_controls.picMain->property("Tag").toString();
    if (tag.isEmpty())
        return;
    // The tiles go first: they hold the controls about to be removed.
    m_oDWF.clear();
    const int previous = tag.toInt();
    for (int i = 2; i <= previous; ++i) {
        // A refresh that failed half way through created fewer tiles than
        // its count says: names that do not exist are skipped.
        QFrame* frame = m_controls.picMain->findChild<QFrame*>(QStringLiteral("FraOne") + QString::number(i),
                                                               Qt::FindDirectChildrenOnly);
        delete frame; // with the eight controls inside it
    }
}

std::optional<QString> TileGrid::currentLayerName() const
{
    if (!m_oAcadDoc)
        return std::nullopt;
    try {
        return m_oAcadDoc->activeLayer()->name();
    } catch (const acad::AcadError&) {
        return std::nullopt; // each tile asks on its own and reports its own failure
    }
}

qint32 TileGrid::areaWidthForTiles() const
{
    return qint32(std::nearbyint(m_areaWidth));
}

void TileGrid::pr_subCreateTiles(const acad::NameList& sOnLayerArray, const TileStep& step)
{
    const qint32 n = acad::nameCount(sOnLayerArray);
    pr_subRemoveTiles();

    m_controls.picMain->setProperty("Tag", QString::number(n));
    m_oDWF.clear();
    if (n < 1)
        throw acad::AcadError(kErrSubscriptOutOfRange, QStringLiteral("インデックスが有効範囲にありません。"));
    m_oDWF.reserve(std::size_t(n));

    // Every new tile checks whether its layer is the current one: the name is
    // read once for all of them.
    const std::optional<QString> current = currentLayerName();
    for (qint32 i = 1; i <= n; ++i) {
        if (step)
            step();
        const tile::TileControls c = i == 1 ? m_tile1 : createTileControls(i);
        auto created = std::make_unique<tile::clsDWF>(static_cast<tile::LinetypeSource&>(*this));
        tile::clsDWF& tile = *created;
        m_oDWF.push_back(std::move(created));
        tile.InitialSettingAutoCAD(sOnLayerArray.at(i), m_oAcadDoc);
        tile.InitialSetting(i, c, areaWidthForTiles(), current);
        emit tileCreated(&tile);
    }
}

void TileGrid::pr_subLoadTilePictures(const acad::NameList& sOnLayerArray, const QString& folder,
                                      const TileStep& step)
{
    for (std::size_t k = 0; k < m_oDWF.size(); ++k) {
        if (step)
            step();
        tile::clsDWF& tile = *m_oDWF[k];
        const QString name = sOnLayerArray.at(qsizetype(k + 1));
        // The host names each picture through the same safe mapping.
        const QString path = folder + acad::pictureFileName(name);
        if (!QFileInfo(path).isFile()) {
            tile.ImgOne()->clearPicture(); // tile 1 may still show the last refresh's picture
            continue;
        }
        tile.SetWMF(path);
        const double nameHeight = tile::twipsGeometryOf(*tile.TxtOne()).height();
        const double buttonHeight = tile::twipsGeometryOf(*tile.CmdView()).height();
        pu_subFitImage(*tile.ImgOne(), *tile.FraOne(), qint32(std::nearbyint(buttonHeight + nameHeight)),
                       qint32(std::nearbyint(nameHeight)));
    }
}

void TileGrid::pr_subReadTileStates(const TileStep& step)
{
    pr_subSetTileStates(
        [&step](tile::clsDWF&) {
            if (step)
                step();
        },
        {});
}

void TileGrid::pr_subSetTileStates(const std::function<void(tile::clsDWF&)>& beforeTile,
                                   const std::function<void(tile::clsDWF&)>& afterTile)
{
    // One read of the drawing for every tile; a tile whose layer it did not
    // find (or all of them, when the read failed) asks the host itself, which
    // says why in the tile's own report.
    std::vector<std::optional<acad::LayerSnapshot>> states;
    if (m_oAcadDoc) {
        QStringList names;
        names.reserve(qsizetype(m_oDWF.size()));
        for (const auto& tile : m_oDWF)
            names.append(tile->sLayerName());
        try {
            states = m_oAcadDoc->layerStates(names);
        } catch (const acad::AcadError&) {
            states.clear();
        }
    }
    for (std::size_t k = 0; k < m_oDWF.size(); ++k) {
        tile::clsDWF& tile = *m_oDWF[k];
        if (beforeTile)
            beforeTile(tile);
        if (k < states.size() && states[k])
            tile.SetLayerState(*states[k]);
        else
            tile.SetLayerState();
        if (afterTile)
            afterTile(tile);
    }
}

int TileGrid::tileRow(int index) const
{
    const tile::clsDWF* found = oDWF(index);
    return found ? found->iRow() : 0;
}

void TileGrid::setTileSelected(int index, bool selected)
{
    if (tile::clsDWF* found = oDWF(index)) {
        if (selected)
            found->SelectView();
        else
            found->ResetSelect();
    }
}

void TileGrid::pu_subResetSelect(qint32 iIndex)
{
    for (std::size_t i = 0; i < m_oDWF.size(); ++i) {
        if (qint32(i + 1) != iIndex)
            m_oDWF[i]->ResetSelect();
    }
}

void TileGrid::hideTileFrame(int index)
{
    if (tile::clsDWF* found = oDWF(index); found && found->FraOne())
        found->FraOne()->hide();
}

void TileGrid::removeTile(int index)
{
    if (index < 1 || index > int(m_oDWF.size()))
        return;
    m_oDWF.erase(m_oDWF.begin() + (index - 1));
    for (int k = index; k <= int(m_oDWF.size()); ++k)
        m_oDWF[std::size_t(k - 1)]->SetIndex(k);
}

void TileGrid::pu_subActiveLayerUpdate()
{
    const std::optional<QString> current = currentLayerName();
    for (const auto& tile : m_oDWF)
        tile->pu_subActiveLayerCheck(current);
}

void TileGrid::pu_subCtrlViewUpdate()
{
    pr_subSetTileStates([](tile::clsDWF& tile) { tile.SetEnableEvent(false); },
                        [](tile::clsDWF& tile) { tile.SetEnableEvent(true); });
}

void TileGrid::pu_subImageUpdate(const QRectF& overviewTwips)
{
    for (const auto& tile : m_oDWF)
        tile->pu_subImageUpdate(overviewTwips);
}

void TileGrid::relayout()
{
    if (!m_bTileReady)
        return;
    const qint32 width = areaWidthForTiles();
    for (const auto& tile : m_oDWF)
        tile->pu_subUpdateLocation(width, 0);

    const double frameWidth = tile::twipsGeometryOf(*m_tile1.FraOne).width();
    const GridSize grid = gridSizeFor(tileCount(), m_areaWidth, frameWidth);
    m_controls.picMain->window()->setWindowTitle(gridCaption(grid));

    // Setting the range clamps the value (and runs ScrBarV_Change when it moves).
    QScrollBar& bar = *m_controls.scrollBar;
    bar.setRange(1, std::max(grid.rows, 1));
    bar.setSingleStep(1);
    bar.setPageStep(1);
    ScrBarV_Change();
}

void TileGrid::ScrBarV_Change()
{
    if (!m_bTileReady || m_oDWF.empty())
        return;
    const qint32 rowsAbove = m_controls.scrollBar->value() - 1;
    const qint32 width = areaWidthForTiles();
    for (const auto& tile : m_oDWF)
        tile->pu_subUpdateLocation(width, rowsAbove);
}

int TileGrid::scrollValue() const
{
    return m_controls.scrollBar->value();
}

void TileGrid::setScrollValue(int value)
{
    m_controls.scrollBar->setValue(value);
}

QSizeF TileGrid::windowSizeTwips() const
{
    const QRect outer = m_controls.picMain->window()->frameGeometry();
    return {app::pixelsToTwips(outer.width()), app::pixelsToTwips(outer.height())};
}

QSizeF TileGrid::firstFrameSizeTwips() const
{
    const auto* first = m_controls.picMain->findChild<QFrame*>(QStringLiteral("FraOne1"));
    if (!first)
        return {};
    return {app::pixelsToTwips(first->width()), app::pixelsToTwips(first->height())};
}

bool TileGrid::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel over the tile area moves the grid by whole rows, as the scroll bar does.
    if (watched == m_controls.picMain && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int steps = wheel->angleDelta().y() / 120;
        if (steps != 0)
            m_controls.scrollBar->setValue(m_controls.scrollBar->value() - steps);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace viewer
