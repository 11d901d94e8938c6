#include "AcadBridge.h"

#include "BatchReads.h"
#include "LayerReads.h"

#include "app/AppInfo.h"
#include "app/UserInterface.h"

namespace acad {
namespace {

const QString kApplicationTitle = QString::fromUtf16(app::kAppTitle);
// The two lines of the question are joined by a lone carriage return.
const QString kStartQuestion = QStringLiteral("AutoCADが起動されていません。\r起動して宜しいですか？");
const QString kStartingMessage = QStringLiteral("AutoCAD起動中．．．");
const QString kStartFailed = QStringLiteral("404 Not Find AutoCAD.Application");
// The one selection set the object count creates and leaves in the drawing.
const QString kCountSetName = QStringLiteral("cSet");
// Select mode "all" and the group code of the layer name.
constexpr qint32 kSelectAll = 5;
constexpr qint16 kLayerNameGroupCode = 8;

// A failure of the way to the host rather than of the host's answer.
bool hostLost(const AcadError& failure)
{
    return failure.number() == error::kHostUnreachable || failure.number() == error::kHostTimeout;
}

// Removes every named selection set of the document, its own or another
// program's. The host's refusal ends nothing: a set that cannot be deleted
// stays. A host that is gone or does not answer ends the count at once,
// rather than after one failed call (or one time limit) per set.
void deleteAllSelectionSets(Document& document)
{
    qint32 count = 0;
    SelectionSetsPtr sets;
    try {
        sets = document.selectionSets();
        count = sets->count();
    } catch (const AcadError& failure) {
        if (hostLost(failure))
            throw;
        return;
    }
    for (qint32 i = 0; i < count; ++i) {
        try {
            sets->item(0)->erase();
        } catch (const AcadError& failure) {
            if (hostLost(failure))
                throw;
        }
    }
}

qint32 countNames(const DocumentPtr& document, const QStringList& names)
{
    if (!document)
        throw AcadError(error::kHostUnreachable, QStringLiteral("No document to count in"));
    if (auto* batch = dynamic_cast<BatchReads*>(document.get()))
        return batch->countLayerObjects(names);

    deleteAllSelectionSets(*document);
    const SelectionSetPtr set = document->selectionSets()->add(kCountSetName);
    qint32 total = 0;
    for (const QString& name : names) {
        set->clear();
        set->select(kSelectAll, {kLayerNameGroupCode}, QVariantList{name});
        total += set->count();
    }
    return total;
}

DocumentPtr requireDocument(const DocumentPtr& document)
{
    if (!document)
        throw AcadError(error::kHostUnreachable, QStringLiteral("No active document: the host is not connected"));
    return document;
}

} // namespace

AcadBridge::AcadBridge(std::shared_ptr<HostConnector> connector)
    : m_connector(std::move(connector))
{
}

bool AcadBridge::ConnectAutoCAD(VbBool& bCancel, QString& sErrMsg)
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

void AcadBridge::SetActiveDocument()
{
    if (!oAcadApp)
        throw AcadError(error::kHostUnreachable, QStringLiteral("The host is not connected"));
    oActiveDoc = oAcadApp->activeDocument();
}

qint32 AcadBridge::GetLayerCount()
{
    return requireDocument(oActiveDoc)->layers()->count();
}

void AcadBridge::ReadLayerSnapshot()
{
    const DocumentPtr document = requireDocument(oActiveDoc);
    // Built aside and swapped in, so a failed read leaves the old snapshot
    // rather than half a new one.
    std::vector<LayerSnapshot> snapshot(1);
    std::vector<LayerSnapshot> records;
    if (auto* batch = dynamic_cast<BatchReads*>(document.get())) {
        records = batch->layerSnapshotAll();
    } else {
        // Sized by the layer count, then filled by enumerating the layers.
        snapshot.reserve(size_t(qMax(GetLayerCount(), 0)) + 1);
        records = readLayerRecords(*document);
    }
    snapshot.insert(snapshot.end(), std::make_move_iterator(records.begin()),
                    std::make_move_iterator(records.end()));
    aLayerSnapshot = std::move(snapshot);
}

void AcadBridge::ReadLinetypeList()
{
    const DocumentPtr document = requireDocument(oActiveDoc);
    NameList list = emptyNameList();
    if (auto* batch = dynamic_cast<BatchReads*>(document.get())) {
        for (const QString& name : batch->linetypeNames()) {
            if (!isPseudoLinetype(name))
                list.append(name);
        }
    } else {
        const LinetypesPtr linetypes = document->linetypes();
        const qint32 count = linetypes->count();
        for (qint32 index = 0; index < count; ++index) {
            const LinetypePtr linetype = linetypes->item(index);
            if (isPseudoLinetype(linetype->name()))
                continue;
            list.append(linetype->name());
        }
    }
    sLineTypeList = std::move(list);
}

qint32 AcadBridge::CountLayerObjects(const DocumentPtr& oAcadDoc, const QString& layerName)
{
    return countNames(oAcadDoc, QStringList{layerName});
}

qint32 AcadBridge::CountLayerObjects(const DocumentPtr& oAcadDoc, const NameList& layerNames)
{
    // Element 0 is never read.
    return countNames(oAcadDoc, layerNames.mid(1));
}

std::vector<qint32> AcadBridge::CountLayerObjectsEach(const DocumentPtr& oAcadDoc, const NameList& layerNames)
{
    const QStringList names = layerNames.mid(1);
    if (auto* batch = dynamic_cast<BatchReads*>(oAcadDoc.get()))
        return batch->countLayerObjectsEach(names);
    std::vector<qint32> counts;
    counts.reserve(size_t(names.size()));
    for (const QString& name : names)
        counts.push_back(countNames(oAcadDoc, QStringList{name}));
    return counts;
}

} // namespace acad
