#pragma once

#include "acad/AcadSurface.h"
#include "acad/LayerSnapshot.h"

#include <QString>
#include <QTime>

#include <functional>
#include <optional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QListWidget;
class QStatusBar;

namespace app {
class DeferredRemoval;
}

namespace tile {
class WmfImage;
}

namespace viewer {

class CaptionBox;
class HostSession;
class TileGrid;

/// The main window's controls a refresh fills: the two overview panes, the
/// layer list and its sorted helper, and the band's options it moves.
struct RefreshPanes {
    QFrame* fraALL = nullptr;
    tile::WmfImage* imgALL = nullptr;
    CaptionBox* txtALL = nullptr;
    QFrame* fraPart = nullptr;
    tile::WmfImage* imgPart = nullptr;
    CaptionBox* txtPart = nullptr;
    QListWidget* lstLayers = nullptr;
    QListWidget* lstLayersSort = nullptr;
    QGroupBox* fraViewDblClick = nullptr;
    QCheckBox* chkViewOnly = nullptr;
};

/// Where a refresh reports how far it is.
struct RefreshProgress {
    /// The status line: the progress while the tiles are built, then
    /// " [hh:mm] 更新" with the drawing's name.
    QStatusBar* status = nullptr;
    /// The clock of that end text.
    std::function<QTime()> clock = [] { return QTime::currentTime(); };
    /// True once the user asked to close the window: the refresh ends at its
    /// next tile step, putting the layers back on its way out.
    std::function<bool()> closeWanted = [] { return false; };
};

/// One refresh: the operation that turns the active drawing into the viewer's
/// content. It connects and chooses the layers, rebuilds the work folder, has
/// the host's picture macros draw the whole drawing, the user's view and every
/// layer (switching layers on and thawing them while it does), shows the
/// overview pictures and builds the tiles in the grid. Whatever happens, the
/// drawing's layers end as the user left them.
class Refresh {
public:
    Refresh(HostSession& session, TileGrid& grid, const RefreshPanes& panes, RefreshProgress progress);

    /// Connects, checks the drawing was saved, loads the macro project, picks
    /// the layers (the list file `layerListPath`, the visible layers or all)
    /// and runs pu_subFormShow. The list file is used once: the path is
    /// emptied when it was read or refused. Traps every failure: the report
    /// names "CmdRefresh_Click", the user's layer states are put back and the
    /// please-wait window is closed.
    void CmdRefresh_Click(QString& layerListPath);
    /// The refresh from the work folder on: overview pictures, tiles, grid,
    /// counts and status text. Throws on failure (CmdRefresh_Click reports);
    /// once it has switched layers, a failure puts the user's states back.
    void pu_subFormShow(acad::DocumentPtr& oAcadDoc, acad::NameList& sAllLayerArray,
                        acad::NameList& sOnLayerArray, acad::VbBool& bAll);

    /// The refresh ran to its end.
    bool finished() const { return m_finished; }
    /// The overview's height / width as this refresh recorded it; none when
    /// it did not get so far.
    std::optional<float> overviewRatio() const { return m_overviewRatio; }

private:
    struct Abandoned {};

    bool pr_funBuildLayerLists(const acad::DocumentPtr& doc, QString& layerListPath, acad::NameList& sAllLayerArray,
                               acad::NameList& sOnLayerArray, acad::VbBool& bAll);
    /// Empties LAYER (its old contents set aside in `previous`) and makes
    /// LAYER and LAYER/SYS.
    void pr_subRebuildWorkFolder(app::DeferredRemoval& previous);
    void pr_subPlaceUpperBand(bool everyLayerShown);
    void pr_subLoadOverview(tile::WmfImage& image, QFrame& frame, const CaptionBox& caption,
                            const QString& fileName);
    /// One tile step: the progress text, then pending events; throws
    /// Abandoned when the user asked to close meanwhile.
    void tileStep();
    void showStatus(const QString& text);

    HostSession& m_session;
    TileGrid& m_grid;
    RefreshPanes m_panes;
    RefreshProgress m_progress;
    /// The drawing's name as the refresh read it, for its progress texts.
    QString m_sDocumentName;
    int m_progressCount = 0;
    int m_progressTotal = 0;
    bool m_finished = false;
    std::optional<float> m_overviewRatio;
};

} // namespace viewer
