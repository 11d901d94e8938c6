#include "CadMainWindow.h"

#include "DrawingView.h"
#include "app/UserInterface.h"
#include "app/WindowHelpers.h"
#include "cad/CadDocument.h"
#include "cad/dwg/DwgConverter.h"
#include "cad/local/LocalApplication.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QStatusBar>

namespace cad {
namespace {
const QString kOpenFilter = QStringLiteral("図面 (*.dxf *.dwg);;DXF 図面 (*.dxf);;DWG 図面 (*.dwg)");
const QString kDxfFilter = QStringLiteral("DXF 図面 (*.dxf)");
const QString kConvertingDwg = QStringLiteral("DWG 図面を変換して読み込み中．．．");
}

CadMainWindow::CadMainWindow(std::shared_ptr<LocalApplication> application, QWidget* parent)
    : QMainWindow(parent), m_application(std::move(application)), m_view(new DrawingView(this))
{
    setCentralWidget(m_view);
    createActions();
    statusBar();
    connect(m_view, &DrawingView::drawn, this, [this](qulonglong outlined) {
        m_viewOutlined = outlined;
        updateStatus();
    });
    attachDocument();
    app::placeFittingScreen(*this, QSize(960, 720));
}

CadMainWindow::~CadMainWindow() = default;

void CadMainWindow::createActions()
{
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    QAction* open = fileMenu->addAction(QStringLiteral("開く(&O)..."), this, [this] { openDrawing(); });
    open->setShortcut(QKeySequence::Open);
    QAction* save = fileMenu->addAction(QStringLiteral("上書き保存(&S)"), this, [this] { saveDrawing(); });
    save->setShortcut(QKeySequence::Save);
    QAction* saveAs =
        fileMenu->addAction(QStringLiteral("名前を付けて保存(&A)..."), this, [this] { saveDrawingAs(); });
    saveAs->setShortcut(QKeySequence::SaveAs);
    fileMenu->addSeparator();
    QAction* quit = fileMenu->addAction(QStringLiteral("終了(&X)"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);
}

void CadMainWindow::attachDocument()
{
    disconnect(m_regenConnection);
    disconnect(m_changeConnection);
    disconnect(m_cutConnection);
    m_viewOutlined = m_picturesOutlined = 0;
    CadDocument& document = m_application->document();
    m_view->setDocument(m_application->documentPtr());
    // The picture follows the drawing at each regeneration, as the CAD
    // program's display does; the title may change with a rename or save.
    m_regenConnection = connect(&document, &CadDocument::regenerated, this, [this] {
        m_view->redraw();
        updateTitle();
    });
    m_changeConnection = connect(&document, &CadDocument::layersChanged, this, &CadMainWindow::updateTitle);
    m_cutConnection = connect(&document, &CadDocument::picturesCut, this, [this](qulonglong outlined) {
        m_picturesOutlined = outlined;
        updateStatus();
    });
    updateTitle();
    updateStatus();
}

void CadMainWindow::updateStatus()
{
    QStringList notes;
    const QString warning = m_application->document().loadWarning();
    if (!warning.isEmpty())
        notes << QStringLiteral("図面ファイルが途中で終わっています（読めたところまで開きました）：%1").arg(warning);
    if (const qulonglong outlined = std::max(m_viewOutlined, m_picturesOutlined))
        notes << QStringLiteral("ブロックの入れ子が多すぎるため、%1 個のブロック参照を外形の枠だけで描きました。")
                     .arg(outlined);
    statusBar()->showMessage(notes.join(QStringLiteral("　")));
}

QString CadMainWindow::statusText() const
{
    return statusBar()->currentMessage();
}

void CadMainWindow::warnAboutLoad()
{
    const QString warning = m_application->document().loadWarning();
    if (!warning.isEmpty())
        app::ui().message(QStringLiteral("図面ファイルが途中で終わっています。読めたところまで開きました。\r%1").arg(warning),
                          app::MsgButtons::Ok, app::MsgIcon::Exclamation, windowTitle());
}

void CadMainWindow::updateTitle()
{
    setWindowTitle(m_application->caption());
}

qint64 CadMainWindow::handle()
{
    const qint64 id = qint64(winId()) & 0xffffffffLL;
    return id != 0 ? id : 1;
}

qint64 CadMainWindow::handleIfTitled(const QString& title)
{
    return title == windowTitle() ? handle() : 0;
}

bool CadMainWindow::bringToFront(qint64 handle)
{
    if (handle != this->handle())
        return false;
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    return true;
}

void CadMainWindow::showWindow(bool visible)
{
    setVisible(visible);
}

void CadMainWindow::showSaved()
{
    updateTitle();
}

bool CadMainWindow::maySafelyDropDrawing()
{
    CadDocument& document = m_application->document();
    if (!document.isModified())
        return true;
    const app::MsgAnswer answer = app::ui().message(
        QStringLiteral("図面 %1 の画層の変更は保存されていません。\r保存しますか？").arg(document.name()),
        app::MsgButtons::YesNoCancel, app::MsgIcon::Exclamation, windowTitle());
    switch (answer) {
    case app::MsgAnswer::Yes:
        return saveDrawing();
    case app::MsgAnswer::No:
        return true;
    default:
        return false;
    }
}

bool CadMainWindow::openDrawing(const QString& path)
{
    if (!maySafelyDropDrawing())
        return false;
    QString file = path;
    if (file.isEmpty()) {
        file = app::ui().openFileName(QStringLiteral("図面を開く"),
                                      QFileInfo(m_application->document().fullName()).absolutePath(),
                                      kOpenFilter);
        if (file.isEmpty())
            return false;
    }
    // A DWG goes through the converter first, which takes a few seconds
    // with nothing else to show for them.
    const bool dwg = dwg::isDwgFile(file);
    if (dwg)
        app::ui().showPleaseWait(kConvertingDwg);
    try {
        std::shared_ptr<CadDocument> document = CadDocument::open(file);
        if (dwg)
            app::ui().closePleaseWait();
        m_application->setDocument(std::move(document));
    } catch (const acad::AcadError& failure) {
        if (dwg)
            app::ui().closePleaseWait();
        reportFailure(QStringLiteral("図面を開けませんでした。\r%1").arg(failure.description()));
        return false;
    }
    attachDocument();
    warnAboutLoad();
    return true;
}

bool CadMainWindow::saveDrawing()
{
    CadDocument& document = m_application->document();
    if (!QFileInfo::exists(document.fullName()))
        return saveDrawingAs();
    if (document.isDwg()) {
        // Nothing here writes DWG: the user's DWG stays as it is, and the
        // changes can go into a DXF beside it.
        const app::MsgAnswer answer = app::ui().message(
            QStringLiteral("図面 %1 は DWG 形式のため上書き保存できません。\r名前を付けて DXF 形式で保存しますか？")
                .arg(document.name()),
            app::MsgButtons::YesNo, app::MsgIcon::Exclamation, windowTitle());
        return answer == app::MsgAnswer::Yes && saveDrawingAs();
    }
    try {
        document.save();
    } catch (const acad::AcadError& failure) {
        reportFailure(QStringLiteral("図面を保存できませんでした。\r%1").arg(failure.description()));
        return false;
    }
    updateTitle();
    return true;
}

bool CadMainWindow::saveDrawingAs(const QString& path)
{
    CadDocument& document = m_application->document();
    QString file = path;
    if (file.isEmpty()) {
        QString proposed = document.fullName();
        if (proposed.endsWith(QLatin1String(".dwg"), Qt::CaseInsensitive))
            proposed = proposed.chopped(4) + QStringLiteral(".dxf");
        file = app::ui().saveFileName(QStringLiteral("名前を付けて保存"), proposed, kDxfFilter);
        if (file.isEmpty())
            return false;
    }
    try {
        document.saveAs(file);
    } catch (const acad::AcadError& failure) {
        reportFailure(QStringLiteral("図面を保存できませんでした。\r%1").arg(failure.description()));
        return false;
    }
    updateTitle();
    return true;
}

void CadMainWindow::reportFailure(const QString& text)
{
    app::ui().message(text, app::MsgButtons::Ok, app::MsgIcon::Critical, windowTitle());
}

void CadMainWindow::closeEvent(QCloseEvent* event)
{
    if (maySafelyDropDrawing())
        event->accept();
    else
        event->ignore();
}

} // namespace cad
