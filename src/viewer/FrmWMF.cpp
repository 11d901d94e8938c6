#include "FrmWMF.h"

#include "FrmWMFCommands.h"
#include "Refresh.h"

#include "acad/PictureProtocol.h"
#include "acad/AcadError.h"
#include "app/ErrorReport.h"
#include "app/DeferredRemoval.h"
#include "app/IniSettings.h"
#include "app/ProgramFolder.h"
#include "app/Twips.h"
#include "app/UserInterface.h"
#include "app/WindowHelpers.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QRadioButton>
#include <QComboBox>
#include <QFileInfo>
#include <QStatusBar>

namespace {
const QString kSection = QStringLiteral("WMFPosi");
constexpr int kDefaultLeft = 0;
constexpr int kDefaultTop = 0;
constexpr int kDefaultWidth = 5820;
constexpr int kDefaultHeight = 8625;
} // namespace

frmWMF::frmWMF(QWidget* parent)
    : QMainWindow(parent)
    , m_statusMain(new QStatusBar(this))
    , m_cboZoom(new QComboBox(this))
{
    setObjectName(QStringLiteral("frmWMF"));
    setWindowTitle(QStringLiteral("画層ビューワ"));
    m_statusMain->setObjectName(QStringLiteral("StatusMain"));
    setStatusBar(m_statusMain);
    m_cboZoom->setObjectName(QStringLiteral("CboZoom"));
    m_cboZoom->setToolTip(QStringLiteral("ズーム率"));
    createViewerControls();
    // The toolbar, the layer list's handling and the tiles' commands.
    new viewer::FrmWMFCommands(*this, m_cboZoom, *m_grid,
                               {.zoomUp = [this] { pr_subZoomUp(); },
                                .zoomDown = [this] { pr_subZoomDown(); },
                                .zoomFit = [this] { pr_subZoomFit(); },
                                .refresh = [this] { CmdRefresh_Click(); }});
    // Start-up with a layer-list file refreshes at once.
    connect(this, &frmWMF::refreshRequested, this, &frmWMF::CmdRefresh_Click);
    connect(m_grid, &viewer::TileGrid::tileCreated, this, &frmWMF::tileCreated);
}

frmWMF::~frmWMF()
{
    // The tiles go before the controls they hold.
    delete m_grid;
}

void frmWMF::setHostConnector(std::shared_ptr<acad::HostConnector> connector)
{
    m_connector = std::move(connector);
    m_bridge.reset();
}

viewer::HostSession& frmWMF::bridge()
{
    if (!m_bridge) {
        if (!m_connector)
            throw acad::AcadError(acad::error::kHostUnreachable, QStringLiteral("CAD ホストへの接続方法がありません。"));
        m_bridge = std::make_unique<viewer::HostSession>(m_connector);
    }
    return *m_bridge;
}

viewer::RefreshPanes frmWMF::refreshPanes() const
{
    return {m_fraALL, m_imgALL, m_txtALL, m_fraPart, m_imgPart, m_txtPart,
            m_lstLayers, m_lstLayersSort, m_fraViewDblClick, m_chkViewOnly};
}

void frmWMF::CmdRefresh_Click()
{
    // A close asked for meanwhile ends the refresh at its next tile step and
    // then closes the window.
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
    viewer::HostSession* session = nullptr;
    try {
        session = &bridge();
    } catch (const acad::AcadError& e) {
        app::ui().closePleaseWait();
        app::reportUnexpectedError(QStringLiteral("CmdRefresh_Click"), e);
        return;
    }
    viewer::Refresh refresh(*session, *m_grid, refreshPanes(),
                            {m_statusMain, m_clock, [this] { return m_closeWanted; }});
    refresh.CmdRefresh_Click(m_sCommandCSV);
    if (refresh.overviewRatio())
        m_sngImgALLRatio = *refresh.overviewRatio();
    if (refresh.finished())
        emit refreshFinished();
}

void frmWMF::pu_subFormShow(acad::DocumentPtr& oAcadDoc, acad::NameList& sAllLayerArray,
                            acad::NameList& sOnLayerArray, acad::VbBool& bAll)
{
    viewer::Refresh refresh(bridge(), *m_grid, refreshPanes(), {m_statusMain, m_clock, [] { return false; }});
    refresh.pu_subFormShow(oAcadDoc, sAllLayerArray, sOnLayerArray, bAll);
    if (refresh.overviewRatio())
        m_sngImgALLRatio = *refresh.overviewRatio();
    if (refresh.finished())
        emit refreshFinished();
}

void frmWMF::Form_Load(const QString& commandLine)
{
    m_sIniPath = QStringLiteral("QEMTINF.ini");
    app::SetINI(m_sIniPath);

    const int left = app::GetINI(m_sIniPath, kSection, QStringLiteral("left"), kDefaultLeft, true).toInt();
    const int top = app::GetINI(m_sIniPath, kSection, QStringLiteral("top"), kDefaultTop, true).toInt();
    const int width = app::GetINI(m_sIniPath, kSection, QStringLiteral("width"), kDefaultWidth, true).toInt();
    const int height = app::GetINI(m_sIniPath, kSection, QStringLiteral("height"), kDefaultHeight, true).toInt();
    // Applied as read: a position saved off-screen stays off-screen.
    m_restoredOuter = QRect(app::twipsToPixels(left), app::twipsToPixels(top), app::twipsToPixels(width),
                            app::twipsToPixels(height));
    move(m_restoredOuter.topLeft());
    resize(m_restoredOuter.size());

    show();

    m_sCommandCSV = commandLine;
    if (!QFileInfo(m_sCommandCSV).isFile())  // a folder or nothing at all is no list file
        m_sCommandCSV.clear();

    pr_subZoomListInit();
    // What an earlier run set aside and could not delete (it was killed).
    app::removeLeftAsideFolders(acad::workFolderIn(app::programFolder()));

    app::ui().processEvents();
    applyRestoredOuterGeometry();
    app::SetForeground(app::windowHandle(this));

    if (!m_sCommandCSV.isEmpty())
        emit refreshRequested();
}

void frmWMF::applyRestoredOuterGeometry()
{
    // Saved values are the outer frame's; resize() sets the inner size, so the
    // frame is taken off once the window system has reported it. Without this
    // the window would grow by its frame at every start.
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    if (frameExtra.width() > 0 || frameExtra.height() > 0)
        resize(m_restoredOuter.size() - frameExtra);
    if (frameGeometry().topLeft() != m_restoredOuter.topLeft())
        move(m_restoredOuter.topLeft());
}

void frmWMF::pr_subZoomListInit()
{
    m_cboZoom->clear();
    for (int step = 5; step <= 95; step += 5)
        m_cboZoom->addItem(QString::number(step));
    m_cboZoom->setCurrentIndex(7);  // "40"
}

void frmWMF::Form_Unload()
{
    const QRect outer = frameGeometry();
    app::WriteINI(m_sIniPath, kSection, QStringLiteral("left"), app::pixelsToTwips(outer.x()));
    app::WriteINI(m_sIniPath, kSection, QStringLiteral("top"), app::pixelsToTwips(outer.y()));
    app::WriteINI(m_sIniPath, kSection, QStringLiteral("width"), app::pixelsToTwips(outer.width()));
    app::WriteINI(m_sIniPath, kSection, QStringLiteral("height"), app::pixelsToTwips(outer.height()));

    // Gone from its path at once; its files are deleted off the user's
    // thread, and the process waits for that before it ends.
    const QString workFolder = acad::workFolderIn(app::programFolder());
    if (QFileInfo(workFolder).isDir() || QFileInfo(workFolder).isSymLink())
        app::DeferredRemoval().setAside(workFolder);
}

bool frmWMF::event(QEvent* event)
{
    // A status tip would replace the refresh's text (" [hh:mm] 更新", the
    // progress) and clear it when the pointer moves on.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void frmWMF::closeEvent(QCloseEvent* event)
{
    if (m_refreshRunning) {
        // The refresh ends at its next step and closes the window then.
        m_closeWanted = true;
        event->ignore();
        return;
    }
    m_closeWanted = false;
    Form_Unload();
    QMainWindow::closeEvent(event);
}
