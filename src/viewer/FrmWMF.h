#pragma once

#include "acad/HostConnector.h"
#include "viewer/HostSession.h"
#include "viewer/Refresh.h"
#include "viewer/TileGrid.h"

#include <QMainWindow>
#include <QPointF>
#include <QString>
#include <QTime>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QListWidget;
class QRadioButton;
class QScrollBar;
class QStatusBar;

namespace tile {
class WmfImage;
}

namespace viewer {
class CaptionBox;
}

/// The main window of the layer viewer: the overview panes and the layer
/// list along the top, the grid of layer tiles below, the status bar at the
/// bottom. The window keeps its panes, the zoom, its settings and its close;
/// the refresh is a viewer::Refresh over the host session and the tile grid,
/// and the tiles live in the viewer::TileGrid. Its parts live in files by
/// concern: start-up, refresh and close (FrmWMF.cpp), controls
/// (FrmWMFControls.cpp), pane layout (FrmWMFLayout.cpp), overview and zoom
/// (FrmWMFOverview.cpp). All positions and sizes are in twips, converted to
/// pixels in one place.
class frmWMF : public QMainWindow {
    Q_OBJECT
public:
    explicit frmWMF(QWidget* parent = nullptr);
    ~frmWMF() override;

    /// Start-up: resolves the settings file (creating it when missing), applies
    /// the saved position and size as read, shows the window, keeps
    /// `commandLine` as the layer-list path when a file of that exact name
    /// exists, fills the zoom-step list, lets pending events run once, brings
    /// the window to the front and, with a layer-list path, emits
    /// refreshRequested() at once.
    void Form_Load(const QString& commandLine);

    /// The layer-list file named on the command line; empty when none (or once
    /// a refresh has used it).
    const QString& sCommandCSV() const { return m_sCommandCSV; }

    QStatusBar* StatusMain() const { return m_statusMain; }
    QComboBox* CboZoom() const { return m_cboZoom; }

    // --- connection ----------------------------------------------------------
    /// How the refresh finds or starts the drawing host. Without one set, the
    /// first refresh uses the session bus (the real program).
    void setHostConnector(std::shared_ptr<acad::HostConnector> connector);
    viewer::HostSession& bridge();

    // --- refresh (viewer::Refresh) ---------------------------------------------
    /// Runs a refresh (see viewer::Refresh::CmdRefresh_Click) with the
    /// command line's list file, if still unused; a close asked for meanwhile
    /// ends the refresh at its next tile step and then closes the window.
    void CmdRefresh_Click();
    /// The refresh from the work folder on (viewer::Refresh::pu_subFormShow).
    void pu_subFormShow(acad::DocumentPtr& oAcadDoc, acad::NameList& sAllLayerArray,
                        acad::NameList& sOnLayerArray, acad::VbBool& bAll);
    /// The grid may be laid out (all tiles exist).
    bool bTileReady() const { return m_grid->bTileReady(); }
    bool bRefreshDone() const { return m_grid->bRefreshDone(); }
    /// The drawing of the last refresh; null before the first.
    const acad::DocumentPtr& oAcadDoc() const { return m_grid->oAcadDoc(); }
    /// The clock of the status text ("hh:mm"); tests may fix it.
    void setClock(std::function<QTime()> clock) { m_clock = std::move(clock); }

    // --- tiles and lower area (FrmWMFLayout.cpp) --------------------------------
    /// The tile grid: the tiles, their placement, scrolling and selection.
    viewer::TileGrid& tiles() const { return *m_grid; }
    /// Pane layout, then (once tiles are ready) tile flow, caption and scroll bar.
    void Form_Resize();
    /// PicMain's width in twips, as the last pane layout set it.
    double picMainWidthTwips() const { return m_grid->areaWidth(); }

    // --- overview and zoom (FrmWMFOverview.cpp) --------------------------------
    /// One zoom step in / out about the overview's centre (step from CboZoom),
    /// refused with a message when it would distort the picture; then the
    /// second pane and the tiles follow.
    void pr_subZoomUp();
    void pr_subZoomDown();
    /// Fits the overview into its pane again; the others follow.
    void pr_subZoomFit();
    /// The overview's height / width as recorded by the last refresh; 0 before one.
    float sngImgALLRatio() const { return m_sngImgALLRatio; }

    // --- controls -------------------------------------------------------------
    QFrame* FraALL() const { return m_fraALL; }
    tile::WmfImage* ImgALL() const { return m_imgALL; }
    viewer::CaptionBox* TxtALL() const { return m_txtALL; }
    QFrame* FraPart() const { return m_fraPart; }
    tile::WmfImage* ImgPart() const { return m_imgPart; }
    viewer::CaptionBox* TxtPart() const { return m_txtPart; }
    QListWidget* LstLayers() const { return m_lstLayers; }
    QListWidget* LstLayersSort() const { return m_lstLayersSort; }
    QGroupBox* FraViewDblClick() const { return m_fraViewDblClick; }
    QRadioButton* OptDblClickActiveButton() const { return m_optDblClickActive; }
    QRadioButton* OptDblClickExclusiveViewButton() const { return m_optDblClickExclusiveView; }
    QCheckBox* ChkViewOnly() const { return m_chkViewOnly; }
    QWidget* PicMain() const { return m_picMain; }
    QScrollBar* ScrBarV() const { return m_scrBarV; }

    /// The viewer's own layer changes since the last refresh (each refresh
    /// starts a new history).
    undo::LayerUndoHistory& layerUndoHistory() { return m_grid->layerUndoHistory(); }

signals:
    /// Start-up was given a layer-list file: the refresh must run right away.
    void refreshRequested();
    /// A refresh created `tile` (its commands attach here).
    void tileCreated(tile::clsDWF* tile);
    /// A refresh completed (the tiles are laid out, the counts written).
    void refreshFinished();

protected:
    /// Close: saves the position and size, then deletes the work folder.
    void closeEvent(QCloseEvent* event) override;
    /// Status tips never reach StatusMain: it shows only what the program writes.
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// Which way a zoom step goes.
    enum class ZoomDirection { In, Out };

    void createViewerControls();
    viewer::RefreshPanes refreshPanes() const;

    // Lower area.
    void pr_subPaneLayout();
    QSizeF windowSizeTwips() const;
    double statusTopTwips() const;

    // Overview.
    void pr_subZoom(ZoomDirection direction);
    void pr_subImgPartUpdate();
    void ImgALL_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF posTwips);
    void ImgALL_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF posTwips);
    void ImgALL_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF posTwips);

    void pr_subZoomListInit();
    void Form_Unload();
    /// Gives the window the outer position and size it was restored with, once
    /// the window system has told us the frame's size.
    void applyRestoredOuterGeometry();

    QStatusBar* m_statusMain;
    QComboBox* m_cboZoom;
    QString m_sIniPath;
    QString m_sCommandCSV;
    QRect m_restoredOuter;

    std::shared_ptr<acad::HostConnector> m_connector;
    std::unique_ptr<viewer::HostSession> m_bridge;

    // Controls.
    QFrame* m_fraALL = nullptr;
    tile::WmfImage* m_imgALL = nullptr;
    viewer::CaptionBox* m_txtALL = nullptr;
    QFrame* m_fraPart = nullptr;
    tile::WmfImage* m_imgPart = nullptr;
    viewer::CaptionBox* m_txtPart = nullptr;
    QListWidget* m_lstLayers = nullptr;
    QListWidget* m_lstLayersSort = nullptr;
    QGroupBox* m_fraViewDblClick = nullptr;
    QRadioButton* m_optDblClickActive = nullptr;
    QRadioButton* m_optDblClickExclusiveView = nullptr;
    QCheckBox* m_chkViewOnly = nullptr;
    QWidget* m_picMain = nullptr;
    QScrollBar* m_scrBarV = nullptr;
    viewer::TileGrid* m_grid = nullptr;

    // Refresh state.
    bool m_refreshRunning = false;
    bool m_closeWanted = false;
    std::function<QTime()> m_clock = [] { return QTime::currentTime(); };

    // Overview.
    float m_sngImgALLRatio = 0;
    qint32 m_lnImgALLDrag = 0;
    qint32 m_lnImgALLDownX = 0;
    qint32 m_lnImgALLDownY = 0;
};
