// The refresh: the one operation that turns the active drawing into the
// viewer's content. CmdRefresh_Click connects and chooses the layers;
// pu_subFormShow rebuilds the work folder, has the host's picture macros
// draw the whole drawing, the user's view and every layer (switching layers
// on and thawing them while it does), shows the pictures and builds the
// tiles. Whatever happens, the drawing's layers end as the user left them.

#include "FrmWMF.h"

#include "BulkCommands.h"
#include "CaptionBox.h"
#include "LayerListFile.h"
#include "LayerStateSwitch.h"
#include "OverviewZoom.h"
#include "SortedNames.h"
#include "acad/AcadError.h"
#include "acad/LayerStates.h"
#include "acad/PictureProtocol.h"
#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/FolderRemoval.h"
#include "app/ProgramFolder.h"
#include "app/UserInterface.h"
#include "app/WindowHelpers.h"
#include "tile/TwipsPlacement.h"

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

} // namespace

void frmWMF::CmdRefresh_Click()
{
    // The same failure in many tiles (names the drawing lacks) is reported
    // once a refresh; a close asked for meanwhile ends the refresh at the next
    // tile step and then closes the window.
    const app::OneReportPerCause oneReportEach;
    m_refreshRunning = true;
    struct Finished {
        frmWMF& window;
        ~Finished()
        {
            window.m_refreshRunning = false;
            if (window.m_closeWanted)
                QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection);
        }
    } finished{*this};
    try {
        viewer::HostSession& acad = bridge();
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
        app::SetForeground(app::windowHandle(this));

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
        if (!pr_funBuildLayerLists(doc, sAllLayerArray, sOnLayerArray, bAll))
            return;
        acad.ReadLinetypeList();

        pu_subFormShow(doc, sAllLayerArray, sOnLayerArray, bAll);
    } catch (const RefreshAbandoned&) {
        app::ui().closePleaseWait();  // the layers are back as the user left them
    } catch (const acad::AcadError& e) {
        app::ui().closePleaseWait();
        app::reportUnexpectedError(QStringLiteral("CmdRefresh_Click"), e);
    } catch (const std::exception& e) {
        app::ui().closePleaseWait();
        app::reportUnexpectedError(QStringLiteral("CmdRefresh_Click"), 0, QString::fromLocal8Bit(e.what()));
    }
}

bool frmWMF::pr_funBuildLayerLists(const acad::DocumentPtr& doc, acad::NameList& sAllLayerArray,
                                   acad::NameList& sOnLayerArray, acad::VbBool& bAll)
{
    // The layer names (and on/off states) are read in one step each.
    const auto tableOrder = [&] {
        acad::NameList names = acad::emptyNameList();
        names.append(doc->layerNames());
        return names;
    };

    if (!sCommandCSV().isEmpty()) {
        sAllLayerArray = tableOrder();
        acad::NameList listed = acad::emptyNameList();
        const viewer::LayerListRead read = viewer::readLayerListFile(sCommandCSV(), sAllLayerArray, listed);
        if (read == viewer::LayerListRead::Reported)
            return false;  // the reader has said what was wrong
        // A list that cannot be one of this drawing's layers (a foreign or
        // damaged file) ends the refresh before anything is changed or built;
        // it is not tried again.
        QString refusal;
        if (read == viewer::LayerListRead::Unreadable) {
            refusal = viewer::layerListUnreadable(sCommandCSV());
        } else {
            const viewer::LayerListProblem problem = viewer::checkLayerList(listed, sAllLayerArray);
            if (problem != viewer::LayerListProblem::None)
                refusal = viewer::layerListRefusal(sCommandCSV(), problem, acad::nameCount(listed),
                                                   acad::nameCount(sAllLayerArray));
        }
        if (!refusal.isEmpty()) {
            clearCommandCSV();
            app::ui().message(refusal, app::MsgButtons::Ok, app::MsgIcon::Exclamation, appTitle());
            return false;
        }
        sOnLayerArray = viewer::sortThroughList(*m_lstLayersSort, listed);
        bAll = acad::vbFalse;
        clearCommandCSV();
    } else if (m_chkViewOnly->isChecked()) {
        sAllLayerArray = acad::emptyNameList();
        acad::NameList visible = acad::emptyNameList();
        for (const acad::LayerOnState& layer : doc->layerOnStates()) {
            sAllLayerArray.append(layer.name);
            if (layer.on)
                visible.append(layer.name);
        }
        sOnLayerArray = viewer::sortThroughList(*m_lstLayersSort, visible);
        bAll = acad::vbFalse;
    } else {
        sAllLayerArray = viewer::sortThroughList(*m_lstLayersSort, tableOrder());
        sOnLayerArray = sAllLayerArray;
        bAll = acad::vbTrue;
    }
    return true;
}

void frmWMF::pu_subFormShow(acad::DocumentPtr& oAcadDoc, acad::NameList& sAllLayerArray,
                            acad::NameList& sOnLayerArray, acad::VbBool& bAll)
{
    const qint32 n = acad::nameCount(sOnLayerArray);
    viewer::HostSession& acad = bridge();

    app::ui().showPleaseWait(QStringLiteral("現在の図面から画層を取得中．．．"));
    m_bTileReady = false;
    m_bRefreshDone = false;
    // The refresh itself switches layers, and what came before it is not
    // taken back across it.
    m_undoHistory.clear();

    acad.ReadLayerSnapshot();
    // From the moment layers are switched until they are put back, a
    // failure puts every layer back as the snapshot recorded it.
    viewer::LayerStateGuard restoreOnFailure(oAcadDoc, acad.aLayerSnapshot);

    pr_subRebuildWorkFolder();

    m_oAcadDoc = oAcadDoc;
    // Read once: every progress step shows it.
    m_sDocumentName = oAcadDoc->name();
    StatusMain()->showMessage(gettingLayersText(m_sDocumentName));
    m_sAllLayerArray = sAllLayerArray;
    m_sOnLayerArray = sOnLayerArray;

    m_lstLayers->clear();
    m_lstLayers->addItems(sOnLayerArray.mid(1));

    const bool everyLayerShown = acad::nameCount(sAllLayerArray) == n;
    pr_subPlaceUpperBand(everyLayerShown);

    // The whole drawing: every layer but the current one on and thawed.
    restoreOnFailure.arm();
    acad::switchLayersOnAndThawed(*oAcadDoc);
    oAcadDoc->regen(kAllViewports);
    acad.oAcadApp->runMacro(acad::macro::kMakeAll);

    if (bAll == acad::vbFalse) {
        // The user's own view: their states back, then its picture.
        viewer::restoreLayerStates(*oAcadDoc, acad.aLayerSnapshot);
        restoreOnFailure.disarm();
        oAcadDoc->regen(kAllViewports);
        acad.oAcadApp->runMacro(acad::macro::kMakePart);
    }

    pr_subLoadOverview(*m_imgALL, *m_fraALL, *m_txtALL, acad::kAllPictureName);
    if (bAll == acad::vbFalse)
        pr_subLoadOverview(*m_imgPart, *m_fraPart, *m_txtPart, acad::kPartPictureName);
    m_sngImgALLRatio = viewer::proportionOf(m_imgALL->twipsGeometry());

    pr_subCreateTiles(sOnLayerArray);
    acad.oAcadApp->runMacro(bAll != acad::vbFalse ? acad::macro::kMakeAllLayer : acad::macro::kMakeViewLayer);
    pr_subLoadTilePictures();

    if (bAll != acad::vbFalse && everyLayerShown) {
        viewer::restoreLayerStates(*oAcadDoc, acad.aLayerSnapshot);
        restoreOnFailure.disarm();
        oAcadDoc->regen(kAllViewports);
    }

    pr_subReadTileStates();

    m_bTileReady = true;
    Form_Resize();
    const viewer::LayerCountTexts counts =
        viewer::pr_subLayerCountText(m_oAcadDoc, m_sAllLayerArray, m_sOnLayerArray);
    m_txtALL->setText(counts.all);
    m_txtPart->setText(counts.part);
    StatusMain()->showMessage(oAcadDoc->name() + QStringLiteral(" [") + m_clock().toString(QStringLiteral("hh:mm"))
                              + QStringLiteral("] 更新"));
    m_bRefreshDone = true;
    app::ui().closePleaseWait();
    emit refreshFinished();
}

void frmWMF::pr_subRebuildWorkFolder()
{
    const QString work = acad::workFolderIn(app::programFolder());
    const QFileInfo info(work);
    if ((info.exists() || info.isSymLink()) && !app::removeTreeWithoutFollowingLinks(work))
        throw acad::AcadError(kErrPathNotFound, QStringLiteral("パスが見つかりません。") + work);
    if (!QDir().mkpath(acad::systemFolderIn(work)))
        throw acad::AcadError(kErrPathNotFound, QStringLiteral("パスが見つかりません。") + work);
}

void frmWMF::pr_subPlaceUpperBand(bool everyLayerShown)
{
    const double listLeft = everyLayerShown ? 2970 : 5760;
    const double optionsLeft = everyLayerShown ? 5820 : 8610;
    m_fraPart->setVisible(!everyLayerShown);
    tile::moveInTwips(*m_lstLayers, listLeft, tile::twipsGeometryOf(*m_lstLayers).top());
    tile::moveInTwips(*m_fraViewDblClick, optionsLeft, tile::twipsGeometryOf(*m_fraViewDblClick).top());
    tile::moveInTwips(*m_chkViewOnly, optionsLeft, tile::twipsGeometryOf(*m_chkViewOnly).top());
}

void frmWMF::pr_subLoadOverview(tile::WmfImage& image, QFrame& frame, const viewer::CaptionBox& caption,
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

void frmWMF::pr_subLetEventsRun()
{
    app::ui().processEvents();
    if (m_closeWanted)
        throw RefreshAbandoned();
}

void frmWMF::ProgressStep()
{
    ++m_progressCount;
    const double share = m_progressTotal > 0 ? double(m_progressCount) / m_progressTotal : 0;
    const QString percent = QString::number(qint64(std::floor(share * 100 + 0.5))) + QLatin1Char('%');
    StatusMain()->showMessage(gettingLayersText(m_sDocumentName) + percent);
}
