#include "HostSession.h"

#include "acad/AcadError.h"
#include "acad/LayerReads.h"
#include "app/AppInfo.h"
#include "app/UserInterface.h"

namespace viewer {

using namespace acad;

namespace {

const QString kApplicationTitle = QString::fromUtf16(app::kAppTitle);
// The two lines of the question are joined by a lone carriage return.
const QString kStartQuestion = QStringLiteral("AutoCADが起動されていません。\r起動して宜しいですか？");
const QString kStartingMessage = QStringLiteral("AutoCAD起動中．．．");
const QString kStartFailed = QStringLiteral("404 Not Find AutoCAD.Application");

DocumentPtr requireDocument(const DocumentPtr& document)
{
    if (!document)
        throw AcadError(error::kHostUnreachable, QStringLiteral("アクティブな図面がありません。CAD ホストに接続されていません。"));
    return document;
}

} // namespace

HostSession::HostSession(std::shared_ptr<acad::HostConnector> connector)
    : m_connector(std::move(connector))
{
}

bool HostSession::ConnectAutoCAD(VbBool& bCancel, QString& sErrMsg)
{
    bCancel = vbFalse;
    sErrMsg.clear();

    // A running host is attached without a question.
    try {
        if (ApplicationPtr running = m_connector->attachRunning()) {
            oAcadApp = std::move(running);
            return true;
        }
    } catch (const std::exception&) {
        // Not running (or no way to reach one): ask whether to start it.
    }

    const app::MsgAnswer answer = app::ui().message(kStartQuestion, app::MsgButtons::YesNo,
                                                    app::MsgIcon::Exclamation, kApplicationTitle);
    if (answer != app::MsgAnswer::Yes) {
        oAcadApp.reset();
        bCancel = vbTrue;
        return true;
    }

    app::ui().showPleaseWait(kStartingMessage);
    ApplicationPtr started;
    try {
        started = m_connector->startNew();
    } catch (const std::exception&) {
        started.reset();
    }
    if (!started) {
        sErrMsg = kStartFailed;
        bCancel = vbTrue;
        oAcadApp.reset();
        app::ui().closePleaseWait();
        return false;
    }
    oAcadApp = std::move(started);
    // A new host starts hidden; failing to show it is not a failure to connect.
    try {
        oAcadApp->setVisible(true);
    } catch (const std::exception&) {
    }
    app::ui().closePleaseWait();
    return true;
}

void HostSession::SetActiveDocument()
{
    if (!oAcadApp)
        throw AcadError(error::kHostUnreachable, QStringLiteral("CAD ホストに接続されていません。"));
    oActiveDoc = oAcadApp->activeDocument();
}

qint32 HostSession::GetLayerCount()
{
    return requireDocument(oActiveDoc)->layers()->count();
}

void HostSession::ReadLayerSnapshot()
{
    const DocumentPtr document = requireDocument(oActiveDoc);
    // Built aside and swapped in, so a failed read leaves the old snapshot
    // rather than half a new one.
    std::vector<LayerSnapshot> snapshot(1);
    std::vector<LayerSnapshot> records = document->layerSnapshotAll();
    snapshot.insert(snapshot.end(), std::make_move_iterator(records.begin()),
                    std::make_move_iterator(records.end()));
    aLayerSnapshot = std::move(snapshot);
}

void HostSession::ReadLinetypeList()
{
    const DocumentPtr document = requireDocument(oActiveDoc);
    NameList list = emptyNameList();
    list.append(document->linetypeList());
    sLineTypeList = std::move(list);
}

} // namespace viewer
