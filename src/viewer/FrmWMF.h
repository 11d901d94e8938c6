#pragma once

#include "acad/HostConnector.h"
#include "viewer/HostSession.h"
#include "tile/TileHost.h"
#include "tile/clsDWF.h"
#include "undo/LayerUndoHistory.h"

#include <QMainWindow>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QTime>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QListWidget;
class QRadioButton;
class QScrollBar;
class QStatusBar;

namespace viewer {
class CaptionBox;
}

/// The main window of the layer viewer: the overview panes and the layer
/// list along the top, the grid of layer tiles below, the status bar at the
/// bottom. Its parts live in files by concern: start-up and close
/// (FrmWMF.cpp), controls (FrmWMFControls.cpp), the refresh
/// (RefreshPipeline.cpp), tile creation (TileFactory.cpp), grid and
/// scrolling (FrmWMFLayout.cpp), overview and zoom (FrmWMFOverview.cpp).
/// All positions and sizes are in twips, converted to pixels in one place.
class frmWMF : public QMainWindow, public tile::TileHost {
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
    /// the refresh has consumed it through clearCommandCSV()).
    const QString& sCommandCSV() const { return m_sCommandCSV; }
    void clearCommandCSV() { m_sCommandCSV.clear(); }

    /// The settings path as SetINI resolved it.
    const QString& settingsPath() const { return m_sIniPath; }

    QStatusBar* StatusMain() const { return m_statusMain; }
    QComboBox* CboZoom() const { return m_cboZoom; }

    // --- connection ----------------------------------------------------------
    /// How the refresh finds or starts the drawing host. Without one set, the
    /// first refresh uses the session bus (the real program).
    void setHostConnector(std::shared_ptr<acad::HostConnector> connector);
    viewer::HostSession& bridge();

    // --- refresh (RefreshPipeline.cpp) ----------------------------------------
    void pu_subCmdRefresh_Click() { CmdRefresh_Click(); }
    /// Connects, checks the drawing was saved, loads the macro project, picks
    /// the layers (list file, visible layers or all) and runs pu_subFormShow.
    /// Traps every failure: the report names "CmdRefresh_Click", the user's
    /// layer states are put back and the please-wait window is closed.
    void CmdRefresh_Click();
    /// The refresh from the work folder on: overview pictures, tiles, grid,
    /// counts and status text. Throws on failure (CmdRefresh_Click reports);
    /// once it has switched layers, a failure puts the user's states back.
    void pu_subFormShow(acad::DocumentPtr& oAcadDoc, acad::NameList& sAllLayerArray,
                        acad::NameList& sOnLayerArray, acad::VbBool& bAll);
    /// The grid may be laid out (all tiles exist).
    bool bTileReady() const { return m_bTileReady; }
    bool bRefreshDone() const override { return m_bRefreshDone; }
    /// The drawing of the last refresh; null before the first.
    const acad::DocumentPtr& oAcadDoc() const { return m_oAcadDoc; }
    /// The window's copies of the last refresh's layer lists.
    const acad::NameList& keptAllLayerArray() const { return m_sAllLayerArray; }
    const acad::NameList& keptOnLayerArray() const { return m_sOnLayerArray; }
    /// The clock of the status text ("hh:mm"); tests may fix it.
    void setClock(std::function<QTime()> clock) { m_clock = std::move(clock); }

    // --- tiles and grid (TileFactory.cpp, FrmWMFLayout.cpp) --------------------
    /// Number of tiles (the upper bound of oDWF).
    int tileCount() const { return int(m_oDWF.size()); }
    /// Tile `index` (1-based); null when there is none.
    tile::clsDWF* oDWF(int index) const;
    /// The tile array itself, for the commands that drop tiles from it.
    std::vector<std::unique_ptr<tile::clsDWF>>& tileArray() { return m_oDWF; }
    /// Pane layout, then (once tiles are ready) tile flow, caption and scroll bar.
    void Form_Resize();
    /// Places every tile for the scroll bar's value.
    void ScrBarV_Change();
    void pu_subCtrlViewUpdate() override;
    void pu_subActiveLayerUpdate() override;
    QString currentLayerName(acad::Document& document) override;
    void pu_subResetSelect(qint32 iIndex) override;
    /// PicMain's width in twips, as the last pane layout set it.
    double picMainWidthTwips() const { return m_picMainWidth; }

    // --- overview and zoom (FrmWMFOverview.cpp) --------------------------------
    /// Shrinks a picture (never enlarges it), keeping its proportions, into
    /// its frame above a strip `lnReserve` high, centred, `lnTop` lower.
    void pu_subFitImage(tile::WmfImage& oImg, const QWidget& oFra, qint32 lnReserve, qint32 lnTop);
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
    QListWidget* LstLayers() override { return m_lstLayers; }
    QListWidget* LstLayersSort() const { return m_lstLayersSort; }
    QGroupBox* FraViewDblClick() const { return m_fraViewDblClick; }
    QRadioButton* OptDblClickActiveButton() const { return m_optDblClickActive; }
    QRadioButton* OptDblClickExclusiveViewButton() const { return m_optDblClickExclusiveView; }
    QCheckBox* ChkViewOnly() const { return m_chkViewOnly; }
    QWidget* PicMain() const { return m_picMain; }
    QScrollBar* ScrBarV() const { return m_scrBarV; }

    // --- what the tiles ask of the window (TileHost) ---------------------------
    const acad::NameList& sLineTypeList() const override;
    void ReadLinetypeList() override;
    const tile::WmfImage& overviewImage() const override { return *m_imgALL; }
    qint64 lnAcadHwnd() const override;
    bool OptDblClickActive() const override;
    bool OptDblClickExclusiveView() const override;
    void recordLayerChange(undo::LayerChangeStep step) override { m_undoHistory.push(std::move(step)); }

    /// The viewer's own layer changes since the last refresh (each refresh
    /// starts a new history).
    undo::LayerUndoHistory& layerUndoHistory() { return m_undoHistory; }

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The nine controls of one tile.
    struct TileControls {
        QFrame* FraOne = nullptr;
        QFrame* FraBar = nullptr;
        tile::WmfImage* ImgOne = nullptr;
        tile::ImageButton* CmdView = nullptr;
        tile::ImageButton* CmdFreeze = nullptr;
        tile::ImageButton* CmdLock = nullptr;
        tile::ImageButton* CmdColor = nullptr;
        QComboBox* CboLineType = nullptr;
        QLineEdit* TxtOne = nullptr;
    };

    void createViewerControls();
    TileControls createTileControls(qint32 i);

    // Refresh steps.
    bool pr_funBuildLayerLists(const acad::DocumentPtr& doc, acad::NameList& sAllLayerArray,
                               acad::NameList& sOnLayerArray, acad::VbBool& bAll);
    void pr_subRebuildWorkFolder();
    void pr_subPlaceUpperBand(bool everyLayerShown);
    void pr_subLoadOverview(tile::WmfImage& image, QFrame& frame, const viewer::CaptionBox& caption,
                            const QString& fileName);
    void ProgressStep();
    /// Lets pending window messages run (each tile step); when the user asked
    /// to close the window meanwhile, ends the refresh by throwing
    /// RefreshAbandoned (its layer states are put back on the way out).
    void pr_subLetEventsRun();
    struct RefreshAbandoned {};

    // Tile passes.
    void pr_subRemoveTiles();
    void pr_subCreateTiles(const acad::NameList& sOnLayerArray);
    void pr_subLoadTilePictures();
    void pr_subReadTileStates();
    /// Every tile re-reads its layer (one read of the drawing for all tiles
    /// where the backend has one), each step preceded by `beforeTile`.
    void pr_subSetTileStates(const std::function<void(tile::clsDWF&)>& beforeTile,
                             const std::function<void(tile::clsDWF&)>& afterTile);

    // Lower area.
    void pr_subPaneLayout();
    QSizeF windowSizeTwips() const;
    double statusTopTwips() const;
    qint32 picMainWidthForTiles() const;

    // Overview.
    void pr_subZoom(const QString& sDirection);
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
    TileControls m_tile1;

    // Refresh state.
    acad::DocumentPtr m_oAcadDoc;
    acad::NameList m_sAllLayerArray = acad::emptyNameList();
    acad::NameList m_sOnLayerArray = acad::emptyNameList();
    std::vector<std::unique_ptr<tile::clsDWF>> m_oDWF;
    bool m_bTileReady = false;
    bool m_bRefreshDone = false;
    bool m_refreshRunning = false;
    bool m_closeWanted = false;
    /// The drawing's name as the refresh read it, for its progress texts.
    QString m_sDocumentName;
    /// The current layer's name while a step checks every tile against it.
    std::optional<QString> m_sCurrentLayerOfStep;
    /// Reads the current layer's name for the tiles of one step and forgets
    /// it when the step ends.
    class CurrentLayerOfStep {
    public:
        explicit CurrentLayerOfStep(frmWMF& window);
        ~CurrentLayerOfStep();
        CurrentLayerOfStep(const CurrentLayerOfStep&) = delete;
        CurrentLayerOfStep& operator=(const CurrentLayerOfStep&) = delete;

    private:
        frmWMF& m_window;
    };
    int m_progressCount = 0;
    int m_progressTotal = 0;
    std::function<QTime()> m_clock = [] { return QTime::currentTime(); };
    undo::LayerUndoHistory m_undoHistory;

    // Lower area and overview.
    double m_picMainWidth = 0;
    float m_sngImgALLRatio = 0;
    qint32 m_lnImgALLDrag = 0;
    qint32 m_lnImgALLDownX = 0;
    qint32 m_lnImgALLDownY = 0;
};
