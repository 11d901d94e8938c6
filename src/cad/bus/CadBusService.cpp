#include "CadBusService.h"

#include "HostWindowControl.h"
#include "acad/LayerCounts.h"
#include "acad/LayerReads.h"
#include "acad/dbus/BusErrors.h"
#include "acad/dbus/BusNames.h"
#include "cad/local/LocalApplication.h"
#include "cad_adaptor.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <vector>

namespace cad {
namespace {

QHash<QString, int> readTestDelays()
{
    QHash<QString, int> delays;
    const QString spec = qEnvironmentVariable("KASANEMI_CAD_TEST_DELAY");
    for (const QString& item : spec.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(QLatin1Char(':'));
        bool ok = false;
        const int ms = parts.size() == 2 ? parts[1].toInt(&ok) : 0;
        if (ok && ms > 0)
            delays.insert(parts[0].trimmed(), ms);
    }
    return delays;
}

acad::DocumentPtr documentOf(LocalApplication& application)
{
    return application.activeDocument();
}

acad::LayerPtr layerNamed(LocalApplication& application, const QString& name)
{
    return documentOf(application)->layers()->item(name);
}

acad::LinetypePtr linetypeNamed(LocalApplication& application, const QString& name)
{
    const acad::LinetypesPtr linetypes = documentOf(application)->linetypes();
    const qint32 count = linetypes->count();
    for (qint32 i = 0; i < count; ++i) {
        acad::LinetypePtr linetype = linetypes->item(i);
        if (linetype->name().compare(name, Qt::CaseInsensitive) == 0)
            return linetype;
    }
    throw acad::AcadError(acad::error::kKeyNotFound, QStringLiteral("キーが見つかりません。線種「%1」").arg(name));
}

acad::SelectionSetPtr selectionSetNamed(LocalApplication& application, const QString& name)
{
    const acad::SelectionSetsPtr sets = documentOf(application)->selectionSets();
    const qint32 count = sets->count();
    for (qint32 i = 0; i < count; ++i) {
        acad::SelectionSetPtr set = sets->item(i);
        if (set->name().compare(name, Qt::CaseInsensitive) == 0)
            return set;
    }
    throw acad::AcadError(acad::error::kKeyNotFound, QStringLiteral("キーが見つかりません。選択セット「%1」").arg(name));
}

// The longest text one argument may carry: far beyond any layer name (255 in
// the CAD) or path, and small enough that folding and matching it cannot make
// the host hold much more than the message itself.
constexpr qsizetype kMaxArgumentText = 65536;

qsizetype longestText(const QDBusArgument& argument);

qsizetype longestText(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QString>())
        return value.toString().size();
    if (value.metaType() == QMetaType::fromType<QStringList>()) {
        qsizetype longest = 0;
        for (const QString& text : value.toStringList())
            longest = std::max(longest, text.size());
        return longest;
    }
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return longestText(value.value<QDBusVariant>().variant());
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        // Structures and lists (layer writes, filter data): every text inside.
        const QDBusArgument argument = value.value<QDBusArgument>();
        return longestText(argument);
    }
    return 0;
}

qsizetype longestText(const QDBusArgument& argument)
{
    qsizetype longest = 0;
    // Const: on a non-const argument beginStructure() and the like are the
    // writing overloads.
    const QDBusArgument& walk = argument;
    const auto inner = [&](auto&& self) -> void {
        while (!walk.atEnd()) {
            switch (walk.currentType()) {
            case QDBusArgument::BasicType:
            case QDBusArgument::VariantType: {
                const QVariant item = walk.asVariant();
                longest = std::max(longest, longestText(item));
                break;
            }
            case QDBusArgument::ArrayType:
                walk.beginArray();
                self(self);
                walk.endArray();
                break;
            case QDBusArgument::StructureType:
                walk.beginStructure();
                self(self);
                walk.endStructure();
                break;
            case QDBusArgument::MapType:
                walk.beginMap();
                self(self);
                walk.endMap();
                break;
            case QDBusArgument::MapEntryType:
                walk.beginMapEntry();
                self(self);
                walk.endMapEntry();
                break;
            case QDBusArgument::UnknownType:
                return;
            }
        }
    };
    inner(inner);
    return longest;
}

} // namespace

CadBusService::CadBusService(std::shared_ptr<LocalApplication> application, HostWindowControl* window,
                             QObject* parent)
    : QObject(parent), m_application(std::move(application)), m_window(window),
      m_testDelays(readTestDelays())
{
    acad::dbus::registerBusTypes();
    new CadAdaptor(this); // owned by this object; exposes its slots on the bus
}

bool CadBusService::publish(QString& error)
{
    std::optional<QDBusConnection> bus = acad::dbus::sessionBus();
    if (!bus) {
        error = QStringLiteral("This session has no message bus (DBUS_SESSION_BUS_ADDRESS is not set)");
        return false;
    }
    if (!bus->registerObject(acad::dbus::kObjectPath, this)) {
        error = QStringLiteral("The object %1 is already served on the bus").arg(acad::dbus::kObjectPath);
        return false;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus->interface()->registerService(acad::dbus::kServiceName, QDBusConnectionInterface::DontQueueService,
                                          QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus->unregisterObject(acad::dbus::kObjectPath);
        error = QStringLiteral("Another drawing host already owns %1").arg(acad::dbus::kServiceName);
        return false;
    }
    return true;
}

template <typename Fn>
auto CadBusService::serve(const char* member, Fn&& fn) -> decltype(fn())
{
    using Result = decltype(fn());
    if (const auto delay = m_testDelays.constFind(QLatin1String(member)); delay != m_testDelays.cend())
        QThread::msleep(ulong(*delay));
    try {
        if (calledFromDBus())
            refuseOversizedArguments();
        return fn();
    } catch (const acad::AcadError& failure) {
        if (calledFromDBus())
            sendErrorReply(acad::dbus::kErrorName, acad::dbus::encodeHostError(failure));
    } catch (const std::exception& failure) {
        if (calledFromDBus())
            sendErrorReply(acad::dbus::kErrorName,
                           acad::dbus::encodeHostError(acad::AcadError(
                               acad::error::kHostFailure, QString::fromLocal8Bit(failure.what()))));
    }
    if constexpr (!std::is_void_v<Result>)
        return Result{};
}

void CadBusService::refuseOversizedArguments() const
{
    qsizetype longest = 0;
    for (const QVariant& argument : message().arguments())
        longest = std::max(longest, longestText(argument));
    if (longest > kMaxArgumentText)
        throw acad::AcadError(acad::error::kLimitReached,
                              QStringLiteral("%1 文字の文字列は長すぎます（%2 文字まで）。")
                                  .arg(longest)
                                  .arg(kMaxArgumentText));
}

void CadBusService::SetVisible(bool visible)
{
    serve("SetVisible", [&] {
        m_application->setVisible(visible);
        if (m_window)
            m_window->showWindow(visible);
    });
}

QString CadBusService::Caption()
{
    return serve("Caption", [&] { return m_application->caption(); });
}

void CadBusService::LoadDVB(const QString& path)
{
    serve("LoadDVB", [&] {
        // As for SaveAs: a relative path would be read from the host's
        // working folder, not the caller's.
        if (!QFileInfo(path).isAbsolute())
            throw acad::AcadError(acad::error::kInvalidArgument,
                                  QStringLiteral("マクロ プロジェクトの読み込みには絶対パスが必要です（「%1」）。").arg(path));
        m_application->loadDVB(path);
    });
}

void CadBusService::RunMacro(const QString& macroName)
{
    serve("RunMacro", [&] { m_application->runMacro(macroName); });
}

qlonglong CadBusService::WindowHandle(const QString& title)
{
    return serve("WindowHandle", [&] { return m_window ? m_window->handleIfTitled(title) : qint64(0); });
}

bool CadBusService::BringToFront(qlonglong handle)
{
    return serve("BringToFront", [&] { return m_window && m_window->bringToFront(handle); });
}

QString CadBusService::ActiveDocument()
{
    return serve("ActiveDocument", [&] { return documentOf(*m_application)->fullName(); });
}

QString CadBusService::DocumentFullName()
{
    return serve("DocumentFullName", [&] { return documentOf(*m_application)->fullName(); });
}

QString CadBusService::DocumentName()
{
    return serve("DocumentName", [&] { return documentOf(*m_application)->name(); });
}

void CadBusService::Regen(int which)
{
    serve("Regen", [&] { documentOf(*m_application)->regen(which); });
}

QString CadBusService::ActiveLayer()
{
    return serve("ActiveLayer", [&] { return documentOf(*m_application)->activeLayer()->name(); });
}

void CadBusService::SetActiveLayer(const QString& layer)
{
    serve("SetActiveLayer", [&] {
        const acad::DocumentPtr document = documentOf(*m_application);
        document->setActiveLayer(document->layers()->item(layer));
    });
}

int CadBusService::LayerCount()
{
    return serve("LayerCount", [&] { return documentOf(*m_application)->layers()->count(); });
}

QString CadBusService::LayerAt(int index)
{
    return serve("LayerAt", [&] { return documentOf(*m_application)->layers()->item(index)->name(); });
}

QString CadBusService::LayerByName(const QString& name)
{
    return serve("LayerByName", [&] { return layerNamed(*m_application, name)->name(); });
}

QString CadBusService::LayerName(const QString& layer)
{
    return serve("LayerName", [&] { return layerNamed(*m_application, layer)->name(); });
}

void CadBusService::SetLayerName(const QString& layer, const QString& newName)
{
    serve("SetLayerName", [&] { layerNamed(*m_application, layer)->setName(newName); });
}

bool CadBusService::LayerOn(const QString& layer)
{
    return serve("LayerOn", [&] { return layerNamed(*m_application, layer)->layerOn(); });
}

void CadBusService::SetLayerOn(const QString& layer, bool on)
{
    serve("SetLayerOn", [&] { layerNamed(*m_application, layer)->setLayerOn(on); });
}

bool CadBusService::LayerFreeze(const QString& layer)
{
    return serve("LayerFreeze", [&] { return layerNamed(*m_application, layer)->freeze(); });
}

void CadBusService::SetLayerFreeze(const QString& layer, bool frozen)
{
    serve("SetLayerFreeze", [&] { layerNamed(*m_application, layer)->setFreeze(frozen); });
}

bool CadBusService::LayerLock(const QString& layer)
{
    return serve("LayerLock", [&] { return layerNamed(*m_application, layer)->lock(); });
}

void CadBusService::SetLayerLock(const QString& layer, bool locked)
{
    serve("SetLayerLock", [&] { layerNamed(*m_application, layer)->setLock(locked); });
}

QString CadBusService::LayerLinetype(const QString& layer)
{
    return serve("LayerLinetype", [&] { return layerNamed(*m_application, layer)->linetype(); });
}

void CadBusService::SetLayerLinetype(const QString& layer, const QString& linetype)
{
    serve("SetLayerLinetype", [&] { layerNamed(*m_application, layer)->setLinetype(linetype); });
}

int CadBusService::LayerColor(const QString& layer)
{
    return serve("LayerColor", [&] { return layerNamed(*m_application, layer)->color(); });
}

int CadBusService::LayerLineweight(const QString& layer)
{
    return serve("LayerLineweight", [&] { return layerNamed(*m_application, layer)->lineweight(); });
}

QString CadBusService::LayerPlotStyleName(const QString& layer)
{
    return serve("LayerPlotStyleName", [&] { return layerNamed(*m_application, layer)->plotStyleName(); });
}

bool CadBusService::LayerPlottable(const QString& layer)
{
    return serve("LayerPlottable", [&] { return layerNamed(*m_application, layer)->plottable(); });
}

bool CadBusService::LayerViewportDefault(const QString& layer)
{
    return serve("LayerViewportDefault", [&] { return layerNamed(*m_application, layer)->viewportDefault(); });
}

int CadBusService::LinetypeCount()
{
    return serve("LinetypeCount", [&] { return documentOf(*m_application)->linetypes()->count(); });
}

QString CadBusService::LinetypeAt(int index)
{
    return serve("LinetypeAt", [&] { return documentOf(*m_application)->linetypes()->item(index)->name(); });
}

QString CadBusService::LinetypeName(const QString& linetype)
{
    return serve("LinetypeName", [&] { return linetypeNamed(*m_application, linetype)->name(); });
}

int CadBusService::SelectionSetCount()
{
    return serve("SelectionSetCount", [&] { return documentOf(*m_application)->selectionSets()->count(); });
}

QString CadBusService::SelectionSetAt(int index)
{
    return serve("SelectionSetAt",
                 [&] { return documentOf(*m_application)->selectionSets()->item(index)->name(); });
}

QString CadBusService::AddSelectionSet(const QString& name)
{
    return serve("AddSelectionSet", [&] { return documentOf(*m_application)->selectionSets()->add(name)->name(); });
}

int CadBusService::SelectionSetSize(const QString& set)
{
    return serve("SelectionSetSize", [&] { return selectionSetNamed(*m_application, set)->count(); });
}

void CadBusService::ClearSelectionSet(const QString& set)
{
    serve("ClearSelectionSet", [&] { selectionSetNamed(*m_application, set)->clear(); });
}

void CadBusService::SelectInSelectionSet(const QString& set, int mode, const QList<short>& filterType,
                                         const QVariantList& filterData)
{
    serve("SelectInSelectionSet", [&] {
        const std::vector<qint16> types(filterType.begin(), filterType.end());
        selectionSetNamed(*m_application, set)->select(mode, types, filterData);
    });
}

void CadBusService::DeleteSelectionSet(const QString& set)
{
    serve("DeleteSelectionSet", [&] { selectionSetNamed(*m_application, set)->erase(); });
}

QList<acad::LayerSnapshot> CadBusService::LayerSnapshotAll()
{
    return serve("LayerSnapshotAll", [&] {
        const std::vector<acad::LayerSnapshot> records = documentOf(*m_application)->layerSnapshotAll();
        return QList<acad::LayerSnapshot>(records.begin(), records.end());
    });
}

QStringList CadBusService::LayerNames()
{
    return serve("LayerNames", [&] { return documentOf(*m_application)->layerNames(); });
}

QStringList CadBusService::LinetypeNames()
{
    return serve("LinetypeNames", [&] { return acad::readLinetypeNames(*documentOf(*m_application)); });
}

int CadBusService::CountLayerObjects(const QStringList& layers)
{
    return serve("CountLayerObjects", [&] {
        // The viewer's own count over the host's document: the same steps as
        // the single members, without a round trip for each.
        return acad::CountLayerObjectsOf(documentOf(*m_application), layers);
    });
}

QList<int> CadBusService::CountLayerObjectsEach(const QStringList& layers)
{
    return serve("CountLayerObjectsEach", [&] {
        const std::vector<qint32> each = documentOf(*m_application)->countLayerObjectsEach(layers);
        return QList<int>(each.begin(), each.end());
    });
}


QList<int> CadBusService::SetLayerProperties(const QList<acad::LayerWrite>& writes, bool stopAtRefusal)
{
    return serve("SetLayerProperties", [&] {
        const acad::LayerWrites batch(writes.begin(), writes.end());
        try {
            const std::vector<qint32> refused = documentOf(*m_application)->setLayerProperties(
                batch, stopAtRefusal ? acad::OnRefusal::Stop : acad::OnRefusal::Skip);
            return QList<int>(refused.begin(), refused.end());
        } catch (const acad::LayerWriteRefused& refusal) {
            // The position travels with the host's number and description.
            if (calledFromDBus())
                sendErrorReply(acad::dbus::kLayerWriteRefusedName, acad::dbus::encodeLayerWriteRefused(refusal));
            return QList<int>();
        }
    });
}

void CadBusService::Save()
{
    serve("Save", [&] {
        m_application->document().save();
        if (m_window)
            m_window->showSaved();
    });
}

void CadBusService::SaveAs(const QString& path)
{
    serve("SaveAs", [&] {
        // The caller's working folder is not the host's: a relative path would
        // land somewhere the caller did not mean.
        if (!QFileInfo(path).isAbsolute())
            throw acad::AcadError(acad::error::kInvalidArgument,
                                  QStringLiteral("名前を付けて保存には絶対パスが必要です（「%1」）。").arg(path));
        m_application->document().saveAs(path);
        if (m_window)
            m_window->showSaved();
    });
}

} // namespace cad
