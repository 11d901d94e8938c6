// Tile creation at every refresh, in three passes the refresh calls at fixed
// points: create the tiles (after removing the previous refresh's), load each
// tile's picture once the per-layer macro has drawn them, and let each tile
// read its layer's state once the drawing is back as the user left it. Each
// tile step advances the progress text and lets the window repaint.

#include "FrmWMF.h"

#include "acad/AcadError.h"
#include "acad/PictureProtocol.h"
#include "app/ProgramFolder.h"
#include "app/UserInterface.h"
#include "tile/TileGeometry.h"
#include "tile/TwipsPlacement.h"

#include <QFileInfo>

#include <cmath>

namespace {
constexpr qint32 kErrSubscriptOutOfRange = 9;
}

tile::clsDWF* frmWMF::oDWF(int index) const
{
    if (index < 1 || index > int(m_oDWF.size()))
        return nullptr;
    return m_oDWF[std::size_t(index - 1)].get();
}

void frmWMF::pr_subRemoveTiles()
{
    const QString tag = m_picMain->property("Tag").toString();
    if (tag.isEmpty())
        return;
    // The tiles go first: they hold the controls about to be removed.
    m_oDWF.clear();
    const int previous = tag.toInt();
    for (int i = 2; i <= previous; ++i) {
        // A refresh that failed half way through created fewer tiles than
        // its count says: names that do not exist are skipped.
        QFrame* frame = m_picMain->findChild<QFrame*>(QStringLiteral("FraOne") + QString::number(i),
                                                      Qt::FindDirectChildrenOnly);
        delete frame;  // with the eight controls inside it
    }
}

void frmWMF::pr_subCreateTiles(const acad::NameList& sOnLayerArray)
{
    const qint32 n = acad::nameCount(sOnLayerArray);
    pr_subRemoveTiles();

    m_picMain->setProperty("Tag", QString::number(n));
    m_progressTotal = 3 * n;
    m_progressCount = 0;
    m_oDWF.clear();
    if (n < 1)
        throw acad::AcadError(kErrSubscriptOutOfRange, QStringLiteral("インデックスが有効範囲にありません。"));
    m_oDWF.reserve(std::size_t(n));

    // Every new tile checks whether its layer is the current one: the name is
    // read once for all of them. Should that read fail, each tile asks on
    // its own and reports its own failure.
    const CurrentLayerOfStep currentLayer(*this);
    for (qint32 i = 1; i <= n; ++i) {
        ProgressStep();
        pr_subLetEventsRun();
        const TileControls c = i == 1 ? m_tile1 : createTileControls(i);
        auto tile = std::make_unique<tile::clsDWF>(*this);
        tile::clsDWF* created = tile.get();
        m_oDWF.push_back(std::move(tile));
        created->InitialSettingAutoCAD(sOnLayerArray.at(i), m_oAcadDoc);
        created->InitialSetting(i, c.FraOne, c.FraBar, c.ImgOne, c.CmdView, c.CmdFreeze, c.CmdLock, c.CmdColor,
                                c.CboLineType, c.TxtOne, picMainWidthForTiles());
        emit tileCreated(created);
    }
}

void frmWMF::pr_subLoadTilePictures()
{
    const QString folder = acad::workFolderIn(app::programFolder()) + QLatin1Char('/');
    for (std::size_t k = 0; k < m_oDWF.size(); ++k) {
        ProgressStep();
        pr_subLetEventsRun();
        tile::clsDWF& tile = *m_oDWF[k];
        const QString name = m_sOnLayerArray.at(qsizetype(k + 1));
        // The host names each picture through the same safe mapping.
        const QString path = folder + acad::pictureFileName(name);
        if (!QFileInfo(path).isFile()) {
            tile.ImgOne()->clearPicture();  // tile 1 may still show the last refresh's picture
            continue;
        }
        tile.SetWMF(path);
        const double nameHeight = tile::twipsGeometryOf(*tile.TxtOne()).height();
        const double buttonHeight = tile::twipsGeometryOf(*tile.CmdView()).height();
        pu_subFitImage(*tile.ImgOne(), *tile.FraOne(), qint32(std::nearbyint(buttonHeight + nameHeight)),
                       qint32(std::nearbyint(nameHeight)));
    }
}

void frmWMF::pr_subReadTileStates()
{
    pr_subSetTileStates(
        [this](tile::clsDWF&) {
            ProgressStep();
            pr_subLetEventsRun();
        },
        {});
}

void frmWMF::pr_subSetTileStates(const std::function<void(tile::clsDWF&)>& beforeTile,
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
