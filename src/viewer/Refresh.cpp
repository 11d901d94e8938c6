#include "Refresh.h"

#include "BulkCommands.h"
#include "CaptionBox.h"
#include "HostSession.h"
#include "LayerListFile.h"
#include "LayerStateSwitch.h"
#include "OverviewZoom.h"
#include "PictureFit.h"
#include "SortedNames.h"
#include "TileGrid.h"
#include "acad/AcadError.h"
#include "acad/LayerStates.h"
#include "acad/PictureProtocol.h"
#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/DeferredRemoval.h"
#include "app/ProgramFolder.h"
#include "app/UserInterface.h"
#include "app/WindowHelpers.h"
#include "tile/TwipsPlacement.h"
#include "tile/WmfImage.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QStatusBar>

#include <cmath>

namespace {

constexpr qint32 kAllViewports = 1;
// The toolkit's numbers for the refresh's own failures.
constexpr qint32 kErrPathNotFound = 76;


QString appTitle() { return QString::fromUtf16(app::kAppTitle); }

QString gettingLayersText(const QString& drawingName)
{
    return drawingName + QStringLiteral(" の画層情報を取得中．．．");
}

QString refreshFailedText(const QString& drawingName, const QTime& now)
{
    return drawingName + QStringLiteral(" の画層情報を取得できませんでした [") + now.toString(QStringLiteral("hh:mm"))
         + QLatin1Char(']');
}

} // namespace

namespace viewer {

Refresh::Refresh(HostSession& session, TileGrid& grid, const RefreshPanes& panes, RefreshProgress progress)
    : m_session(session), m_grid(grid), m_panes(panes), m_progress(std::move(progress))
{
    // The tiles' linetype boxes and the double-click read the session.
    m_grid.setSession(&m_session);
}

void Refresh::showStatus(const QString& text)
{
    if (m_progress.status)
        m_progress.status->showMessage(text);
}

void Refresh::CmdRefresh_Click(QString& layerListPath)
{
    // The same failure in many tiles (names the drawing lacks) is reported
    // once a refresh.
    const app::OneReportPerCause oneReportEach;
    // A refresh that fails part way must not look like one still running:
    // whatever ends it, a status still reading "…取得中" says it failed.
    struct SayWhenFailed {
        Refresh& refresh;
        ~SayWhenFailed()
        {
            const RefreshProgress& progress = refresh.m_progress;
            if (progress.status
                && progress.status->currentMessage().startsWith(gettingLayersText(refresh.m_sDocumentName)))
                progress.status->showMessage(refreshFailedText(refresh.m_sDocumentName, progress.clock()));
        }
    } sayWhenFailed{*this};
    try {
        HostSession& acad = m_session;
        acad::VbBool bCancel = acad::vbFalse;
        QString sErrMsg;
        const bool connected = acad.ConnectAutoCAD(bCancel, sErrMsg);
        if (connected && bCancel != acad::vbFalse)
            return;  // the user declined to start the host
        if (!connected) {
            if (bCancel != acad::vbFalse && !sErrMsg.isEmpty())
                app::ui().message(QStringLiteral("AutoCADが見つかりません。AutoCADを起動してから試して下さい。"),
                                  app::MsgButtons::Ok, app::MsgIcon::Critical, sErrMsg);
            return;
        }
        acad.SetActiveDocument();
        QString stagingError;
        const QString project = app::shippedFileInProgramFolder(QStringLiteral("QEMTIN.dvb"), &stagingError);
        if (project.isEmpty())
            throw acad::AcadError(kErrPathNotFound, QStringLiteral("パスが見つかりません。") + stagingError);
        acad.oAcadApp->loadDVB(project);

        acad.lnAcadHwnd = app::GetWindowHandle(QString(), acad.oAcadApp->caption());
        app::SetForeground(qint32(acad.lnAcadHwnd));
        app::SetForeground(app::windowHandle(m_panes.lstLayers->window()));

        acad::DocumentPtr doc = acad.oAcadApp->activeDocument();
        if (!QFileInfo(doc->fullName()).isFile()) {
            app::ui().message(QStringLiteral("『 ") + doc->name() + QStringLiteral(" 』は保存されていません。\r\n")
                                  + QStringLiteral("保存してから実行してください。"),
                              app::MsgButtons::Ok, app::MsgIcon::Exclamation, appTitle());
            return;
        }

        acad::NameList sAllLayerArray = acad::emptyNameList();
        acad::NameList sOnLayerArray = acad::emptyNameList();
        acad::VbBool bAll = acad::vbFalse;
        if (!pr_funBuildLayerLists(doc, layerListPath, sAllLayerArray, sOnLayerArray, bAll))
            return;
        acad.ReadLinetypeList();

        pu_subFormShow(doc, sAllLayerArray, sOnLayerArray, bAll);
    } catch (const Abandoned&) {
        app::ui().closePleaseWait();  // the layers are back as the user left them
    } catch (const acad::AcadError& e) {
        app::ui().closePleaseWait();
        app::reportUnexpectedError(QStringLiteral("CmdRefresh_Click"), e);
    } catch (const std::exception& e) {
        app::ui().closePleaseWait();
        app::reportUnexpectedError(QStringLiteral("CmdRefresh_Click"), 0, QString::fromLocal8Bit(e.what()));
    }
}

bool Refresh::pr_funBuildLayerLists(const acad::DocumentPtr& doc, QString& layerListPath,
                                    acad::NameList& sAllLayerArray, acad::NameList& sOnLayerArray,
                                    acad::VbBool& bAll)
{
    // The layer names (and on/off states) are read in one step each.
    const auto tableOrder = [&] {
        acad::NameList names = acad::emptyNameList();
        names.append(doc->layerNames());
        return names;
    };

    if (!layerListPath.isEmpty()) {
        sAllLayerArray = tableOrder();
        acad::NameList listed = acad::emptyNameList();
        const LayerListRead read = readLayerListFile(layerListPath, sAllLayerArray, listed);
        if (read == LayerListRead::Reported)
            return false;  // the reader has said what was wrong
        // A list that cannot be one of this drawing's layers (a foreign or
        // damaged file) ends the refresh before anything is changed or built;
        // it is not tried again.
        QString refusal;
        if (read == LayerListRead::Unreadable) {
            refusal = layerListUnreadable(layerListPath);
        } else {
            const LayerListProblem problem = checkLayerList(listed, sAllLayerArray);
            if (problem != LayerListProblem::None)
                refusal = layerListRefusal(layerListPath, problem, acad::nameCount(listed),
                                                   acad::nameCount(sAllLayerArray));
        }
        if (!refusal.isEmpty()) {
            layerListPath.clear();
            app::ui().message(refusal, app::MsgButtons::Ok, app::MsgIcon::Exclamation, appTitle());
            return false;
        }
        sOnLayerArray = sortThroughList(*m_panes.lstLayersSort, listed);
        bAll = acad::vbFalse;
        layerListPath.clear();
    } else if (m_panes.chkViewOnly->isChecked()) {
        sAllLayerArray = acad::emptyNameList();
        acad::NameList visible = acad::emptyNameList();
        for (const acad::LayerOnState& layer : doc->layerOnStates()) {
            sAllLayerArray.append(layer.name);
            if (layer.on)
                visible.append(layer.name);
        }
        sOnLayerArray = sortThroughList(*m_panes.lstLayersSort, visible);
        bAll = acad::vbFalse;
    } else {
        sAllLayerArray = sortThroughList(*m_panes.lstLayersSort, tableOrder());
        sOnLayerArray = sAllLayerArray;
        bAll = acad::vbTrue;
    }
    return true;
}

void Refresh::pu_subFormShow(acad::DocumentPtr& oAcadDoc, acad::NameList& sAllLayerArray,
                             acad::NameList& sOnLayerArray, acad::VbBool& bAll)
{
    const qint32 n = acad::nameCount(sOnLayerArray);
    HostSession& acad = m_session;

    app::ui().showPleaseWait(QStringLiteral("現在の図面から画層を取得中．．．"));
    // The refresh itself switches layers, and what came before it is not
    // taken back across it.
    m_grid.beginRefresh();

    acad.ReadLayerSnapshot();
    // From the moment layers are switched until they are put back, a
    // failure puts every layer back as the snapshot recorded it.
    LayerStateGuard restoreOnFailure(oAcadDoc, acad.aLayerSnapshot);

    // The previous pictures are deleted once the new ones are made, however
    // this refresh ends (see app/DeferredRemoval.h for why not before).
    app::DeferredRemoval previousPictures;
    pr_subRebuildWorkFolder(previousPictures);

    m_grid.setDocument(oAcadDoc);
    // Read once: every progress step shows it.
    m_sDocumentName = oAcadDoc->name();
    showStatus(gettingLayersText(m_sDocumentName));

    m_panes.lstLayers->clear();
    m_panes.lstLayers->addItems(sOnLayerArray.mid(1));

    const bool everyLayerShown = acad::nameCount(sAllLayerArray) == n;
    pr_subPlaceUpperBand(everyLayerShown);

    // The whole drawing: every layer but the current one on and thawed.
    restoreOnFailure.arm();
    acad::switchLayersOnAndThawed(*oAcadDoc);
    oAcadDoc->regen(kAllViewports);
    acad.oAcadApp->runMacro(acad::macro::kMakeAll);

    if (bAll == acad::vbFalse) {
        // The user's own view: their states back, then its picture.
        restoreLayerStates(*oAcadDoc, acad.aLayerSnapshot);
        restoreOnFailure.disarm();
        oAcadDoc->regen(kAllViewports);
        acad.oAcadApp->runMacro(acad::macro::kMakePart);
    }

    pr_subLoadOverview(*m_panes.imgALL, *m_panes.fraALL, *m_panes.txtALL, acad::kAllPictureName);
    if (bAll == acad::vbFalse)
        pr_subLoadOverview(*m_panes.imgPart, *m_panes.fraPart, *m_panes.txtPart, acad::kPartPictureName);
    m_overviewRatio = proportionOf(m_panes.imgALL->twipsGeometry());

    // Three tile steps a layer: create, picture, state.
    m_progressTotal = 3 * n;
    m_progressCount = 0;
    const TileGrid::TileStep step = [this] { tileStep(); };
    m_grid.pr_subCreateTiles(sOnLayerArray, step);
    acad.oAcadApp->runMacro(bAll != acad::vbFalse ? acad::macro::kMakeAllLayer : acad::macro::kMakeViewLayer);
    previousPictures.release();
    m_grid.pr_subLoadTilePictures(sOnLayerArray, acad::workFolderIn(app::programFolder()) + QLatin1Char('/'), step);

    if (bAll != acad::vbFalse && everyLayerShown) {
        restoreLayerStates(*oAcadDoc, acad.aLayerSnapshot);
        restoreOnFailure.disarm();
        oAcadDoc->regen(kAllViewports);
    }

    m_grid.pr_subReadTileStates(step);

    m_grid.setTileReady(true);
    m_grid.relayout();
    const LayerCountTexts counts = pr_subLayerCountText(oAcadDoc, sAllLayerArray, sOnLayerArray);
    m_panes.txtALL->setText(counts.all);
    m_panes.txtPart->setText(counts.part);
    showStatus(oAcadDoc->name() + QStringLiteral(" [") + m_progress.clock().toString(QStringLiteral("hh:mm"))
               + QStringLiteral("] 更新"));
    m_grid.setRefreshDone(true);
    app::ui().closePleaseWait();
    m_finished = true;
}

void Refresh::pr_subRebuildWorkFolder(app::DeferredRemoval& previous)
{
    const QString work = acad::workFolderIn(app::programFolder());
    // What a killed or crashed viewer left set aside goes too.
    app::removeLeftAsideFolders(work);
    if (!previous.setAside(work))
        throw acad::AcadError(kErrPathNotFound, QStringLiteral("パスが見つかりません。") + work);
    if (!QDir().mkpath(acad::systemFolderIn(work)))
        throw acad::AcadError(kErrPathNotFound, QStringLiteral("パスが見つかりません。") + work);
}

void Refresh::pr_subPlaceUpperBand(bool everyLayerShown)
{
    const double listLeft = everyLayerShown ? 2970 : 5760;
    const double optionsLeft = everyLayerShown ? 5820 : 8610;
    m_panes.fraPart->setVisible(!everyLayerShown);
    tile::moveInTwips(*m_panes.lstLayers, listLeft, tile::twipsGeometryOf(*m_panes.lstLayers).top());
    tile::moveInTwips(*m_panes.fraViewDblClick, optionsLeft, tile::twipsGeometryOf(*m_panes.fraViewDblClick).top());
    tile::moveInTwips(*m_panes.chkViewOnly, optionsLeft, tile::twipsGeometryOf(*m_panes.chkViewOnly).top());
}

void Refresh::pr_subLoadOverview(tile::WmfImage& image, QFrame& frame, const CaptionBox& caption,
                                 const QString& fileName)
{
    // A missing picture is no error: the pane keeps what it showed.
    const QString path = acad::systemFolderIn(acad::workFolderIn(app::programFolder())) + u'/' + fileName;
    if (QFileInfo(path).isFile()) {
        QString reason;
        if (!image.loadPicture(path, &reason))
            throw acad::AcadError(481, QStringLiteral("ピクチャが不正です。") + reason);
    }
    pu_subFitImage(image, frame, qint32(std::nearbyint(tile::twipsGeometryOf(caption).height())), 0);
}

void Refresh::tileStep()
{
    ++m_progressCount;
    const double share = m_progressTotal > 0 ? double(m_progressCount) / m_progressTotal : 0;
    const QString percent = QString::number(qint64(std::floor(share * 100 + 0.5))) + QLatin1Char('%');
    showStatus(gettingLayersText(m_sDocumentName) + percent);
    app::ui().processEvents();
    if (m_progress.closeWanted())
        throw Abandoned();
}

} // namespace viewer
