#include "BusSurface.h"

#include "BusErrors.h"
#include "BusNames.h"
#include "acad/LayerReads.h"
#include "acad/LayerStates.h"
#include "cad_interface.h"

#include <QDBusConnectionInterface>
#include <QHash>

#include <atomic>

namespace acad::dbus {
namespace {

std::atomic<quint64> g_callCount{0};

// The connection to one host: two proxies of the same interface that differ
// only in their time limit, and the turning of bus failures into AcadError.
class BusLink {
public:
    BusLink(const QDBusConnection& bus, CallLimits limits)
        : m_bus(bus), m_limits(limits),
          m_proxy(kServiceName, kObjectPath, m_bus),
          m_macroProxy(kServiceName, kObjectPath, m_bus)
    {
        registerBusTypes();
        m_proxy.setTimeout(limits.callMs);
        m_macroProxy.setTimeout(limits.macroMs);
    }

    OrgKasanemiCadInterface& call() { return m_proxy; }
    OrgKasanemiCadInterface& macroCall() { return m_macroProxy; }

    template <typename T>
    T take(QDBusPendingReply<T> reply, int limitMs = 0)
    {
        ++g_callCount;
        reply.waitForFinished();
        if (reply.isError())
            throw failure(reply.error(), limitMs);
        return reply.value();
    }

    /// SetLayerProperties: a refusal that ended the batch keeps the refused
    /// write's position.
    std::vector<qint32> takeWrites(const LayerWrites& writes, bool stopAtRefusal)
    {
        ++g_callCount;
        QDBusPendingReply<QList<int>> reply =
            m_proxy.SetLayerProperties(QList<LayerWrite>(writes.begin(), writes.end()), stopAtRefusal);
        reply.waitForFinished();
        if (reply.isError()) {
            if (std::optional<LayerWriteRefused> refusal = decodeLayerWriteRefused(reply.error(), writes))
                throw *refusal;
            throw failure(reply.error(), 0);
        }
        const QList<int> refused = reply.value();
        return std::vector<qint32>(refused.begin(), refused.end());
    }

    void finish(QDBusPendingReply<> reply, int limitMs = 0)
    {
        ++g_callCount;
        reply.waitForFinished();
        if (reply.isError())
            throw failure(reply.error(), limitMs);
    }

    const CallLimits& limits() const { return m_limits; }

private:
    AcadError failure(const QDBusError& error, int limitMs)
    {
        bool running = false;
        if (QDBusConnectionInterface* daemon = m_bus.interface())
            running = daemon->isServiceRegistered(kServiceName).value();
        return decodeBusError(error, running, limitMs ? limitMs : m_limits.callMs);
    }

    QDBusConnection m_bus;
    CallLimits m_limits;
    OrgKasanemiCadInterface m_proxy;
    OrgKasanemiCadInterface m_macroProxy;
};
using LinkPtr = std::shared_ptr<BusLink>;

class BusLayer : public Layer {
public:
    BusLayer(LinkPtr link, QString name) : m_link(std::move(link)), m_name(std::move(name)) {}

    /// The name this proxy follows, without asking the host.
    const QString& followedName() const { return m_name; }

    QString name() override { return m_link->take(m_link->call().LayerName(m_name)); }
    void setName(const QString& name) override
    {
        m_link->finish(m_link->call().SetLayerName(m_name, name));
        m_name = name;
    }
    bool layerOn() override { return m_link->take(m_link->call().LayerOn(m_name)); }
    void setLayerOn(bool on) override { m_link->finish(m_link->call().SetLayerOn(m_name, on)); }
    bool freeze() override { return m_link->take(m_link->call().LayerFreeze(m_name)); }
    void setFreeze(bool frozen) override { m_link->finish(m_link->call().SetLayerFreeze(m_name, frozen)); }
    bool lock() override { return m_link->take(m_link->call().LayerLock(m_name)); }
    void setLock(bool locked) override { m_link->finish(m_link->call().SetLayerLock(m_name, locked)); }
    QString linetype() override { return m_link->take(m_link->call().LayerLinetype(m_name)); }
    void setLinetype(const QString& linetype) override
    {
        m_link->finish(m_link->call().SetLayerLinetype(m_name, linetype));
    }
    qint32 color() override { return m_link->take(m_link->call().LayerColor(m_name)); }
    qint32 lineweight() override { return m_link->take(m_link->call().LayerLineweight(m_name)); }
    QString plotStyleName() override { return m_link->take(m_link->call().LayerPlotStyleName(m_name)); }
    bool plottable() override { return m_link->take(m_link->call().LayerPlottable(m_name)); }
    bool viewportDefault() override { return m_link->take(m_link->call().LayerViewportDefault(m_name)); }

private:
    LinkPtr m_link;
    QString m_name;
};

class BusLayers : public Layers {
public:
    explicit BusLayers(LinkPtr link) : m_link(std::move(link)) {}
    qint32 count() override { return m_link->take(m_link->call().LayerCount()); }
    LayerPtr item(qint32 index) override
    {
        return std::make_shared<BusLayer>(m_link, m_link->take(m_link->call().LayerAt(index)));
    }
    LayerPtr item(const QString& name) override
    {
        return std::make_shared<BusLayer>(m_link, m_link->take(m_link->call().LayerByName(name)));
    }

private:
    LinkPtr m_link;
};

class BusLinetype : public Linetype {
public:
    BusLinetype(LinkPtr link, QString name) : m_link(std::move(link)), m_name(std::move(name)) {}
    QString name() override { return m_link->take(m_link->call().LinetypeName(m_name)); }

private:
    LinkPtr m_link;
    QString m_name;
};

class BusLinetypes : public Linetypes {
public:
    explicit BusLinetypes(LinkPtr link) : m_link(std::move(link)) {}
    qint32 count() override { return m_link->take(m_link->call().LinetypeCount()); }
    LinetypePtr item(qint32 index) override
    {
        return std::make_shared<BusLinetype>(m_link, m_link->take(m_link->call().LinetypeAt(index)));
    }

private:
    LinkPtr m_link;
};

class BusSelectionSet : public SelectionSet {
public:
    BusSelectionSet(LinkPtr link, QString name) : m_link(std::move(link)), m_name(std::move(name)) {}
    // A set is known by the name it was made with; the name costs no call.
    QString name() override { return m_name; }
    qint32 count() override { return m_link->take(m_link->call().SelectionSetSize(m_name)); }
    void clear() override { m_link->finish(m_link->call().ClearSelectionSet(m_name)); }
    void select(qint32 mode, const std::vector<qint16>& filterType, const QVariantList& filterData) override
    {
        const QList<short> types(filterType.begin(), filterType.end());
        m_link->finish(m_link->call().SelectInSelectionSet(m_name, mode, types, filterData));
    }
    void erase() override { m_link->finish(m_link->call().DeleteSelectionSet(m_name)); }

private:
    LinkPtr m_link;
    QString m_name;
};

class BusSelectionSets : public SelectionSets {
public:
    explicit BusSelectionSets(LinkPtr link) : m_link(std::move(link)) {}
    qint32 count() override { return m_link->take(m_link->call().SelectionSetCount()); }
    SelectionSetPtr item(qint32 index) override
    {
        return std::make_shared<BusSelectionSet>(m_link, m_link->take(m_link->call().SelectionSetAt(index)));
    }
    SelectionSetPtr add(const QString& name) override
    {
        return std::make_shared<BusSelectionSet>(m_link, m_link->take(m_link->call().AddSelectionSet(name)));
    }

private:
    LinkPtr m_link;
};

class BusDocument : public Document {
public:
    explicit BusDocument(LinkPtr link) : m_link(std::move(link)) {}

    LayersPtr layers() override { return std::make_shared<BusLayers>(m_link); }
    LinetypesPtr linetypes() override { return std::make_shared<BusLinetypes>(m_link); }
    SelectionSetsPtr selectionSets() override { return std::make_shared<BusSelectionSets>(m_link); }
    LayerPtr activeLayer() override
    {
        return std::make_shared<BusLayer>(m_link, m_link->take(m_link->call().ActiveLayer()));
    }
    void setActiveLayer(const LayerPtr& layer) override
    {
        if (!layer)
            throw AcadError(error::kInvalidArgument, QStringLiteral("画層が指定されていません。"));
        const auto* busLayer = dynamic_cast<const BusLayer*>(layer.get());
        const QString name = busLayer ? busLayer->followedName() : layer->name();
        m_link->finish(m_link->call().SetActiveLayer(name));
    }
    void regen(qint32 which) override { m_link->finish(m_link->call().Regen(which)); }
    QString fullName() override { return m_link->take(m_link->call().DocumentFullName()); }
    QString name() override { return m_link->take(m_link->call().DocumentName()); }

    std::vector<LayerSnapshot> layerSnapshotAll() override
    {
        const QList<LayerSnapshot> records = m_link->take(m_link->call().LayerSnapshotAll());
        return std::vector<LayerSnapshot>(records.begin(), records.end());
    }
    QStringList layerNames() override { return m_link->take(m_link->call().LayerNames()); }
    std::vector<LayerOnState> layerOnStates() override
    {
        std::vector<LayerOnState> states;
        for (LayerSnapshot& record : layerSnapshotAll())
            states.push_back({std::move(record.sLayerName), record.bLayerOn != vbFalse});
        return states;
    }
    QStringList linetypeList() override
    {
        QStringList names = m_link->take(m_link->call().LinetypeNames());
        names.removeIf(isPseudoLinetype);
        return names;
    }
    std::vector<std::optional<LayerSnapshot>> layerStates(const QStringList& layerNames) override
    {
        // One read of every layer; each name is looked up as the host looks
        // up Layers.Item, without regard to case (the first of a kind wins).
        const std::vector<LayerSnapshot> records = layerSnapshotAll();
        QHash<QString, std::size_t> byName;
        for (std::size_t i = 0; i < records.size(); ++i)
        {
            const QString key = records[i].sLayerName.toCaseFolded();
            if (!byName.contains(key))
                byName.insert(key, i);
        }
        std::vector<std::optional<LayerSnapshot>> states;
        states.reserve(std::size_t(layerNames.size()));
        for (const QString& name : layerNames) {
            const auto found = byName.constFind(name.toCaseFolded());
            if (found == byName.cend())
                states.emplace_back(std::nullopt);
            else
                states.emplace_back(records[*found]);
        }
        return states;
    }
    std::vector<qint32> setLayerProperties(const LayerWrites& writes, OnRefusal onRefusal) override
    {
        if (writes.empty())
            return {};
        return m_link->takeWrites(writes, onRefusal == OnRefusal::Stop);
    }
    void switchLayersOnAndThawed() override
    {
        // Three calls: the names, the current layer, the writes.
        const QStringList names = layerNames();
        const QString current = m_link->take(m_link->call().ActiveLayer());
        setLayerProperties(writesSwitchingLayersOnAndThawed(names, current), OnRefusal::Stop);
    }
    qint32 countLayerObjects(const QStringList& layerNames) override
    {
        return m_link->take(m_link->call().CountLayerObjects(layerNames));
    }
    std::vector<qint32> countLayerObjectsEach(const QStringList& layerNames) override
    {
        const QList<int> counts = m_link->take(m_link->call().CountLayerObjectsEach(layerNames));
        return std::vector<qint32>(counts.begin(), counts.end());
    }

private:
    LinkPtr m_link;
};

class BusApplication : public Application {
public:
    explicit BusApplication(LinkPtr link) : m_link(std::move(link)) {}

    void setVisible(bool visible) override { m_link->finish(m_link->call().SetVisible(visible)); }
    DocumentPtr activeDocument() override
    {
        // Asked so that a host without a document, or gone, fails here.
        m_link->take(m_link->call().ActiveDocument());
        return std::make_shared<BusDocument>(m_link);
    }
    void loadDVB(const QString& path) override { m_link->finish(m_link->call().LoadDVB(path)); }
    void runMacro(const QString& macroName) override
    {
        m_link->finish(m_link->macroCall().RunMacro(macroName), m_link->limits().macroMs);
    }
    QString caption() override { return m_link->take(m_link->call().Caption()); }

private:
    LinkPtr m_link;
};

} // namespace

quint64 busCallCount()
{
    return g_callCount.load();
}

ApplicationPtr makeBusApplication(QDBusConnection bus, CallLimits limits)
{
    return std::make_shared<BusApplication>(std::make_shared<BusLink>(bus, limits));
}

} // namespace acad::dbus
