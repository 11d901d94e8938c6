#include "RecordingSurface.h"

namespace testing_surface {

void Host::record(const QString& call)
{
    calls.append(call);
    const QString member = call.left(call.indexOf(QLatin1Char('(')));
    if (failing.count(member))
        throw acad::AcadError(failingNumber, QStringLiteral("scripted failure of ") + member);
}

QStringList Host::writes() const
{
    QStringList out;
    for (const QString& call : calls) {
        if (call.startsWith(QLatin1String("Layer.Set")) || call.startsWith(QLatin1String("Document.SetActiveLayer"))
            || call.startsWith(QLatin1String("Document.Regen")) || call.startsWith(QLatin1String("Application.RunMacro")))
            out << call;
    }
    return out;
}

acad::LayerSnapshot layerRecord(const QString& name, bool on, bool frozen)
{
    acad::LayerSnapshot layer;
    layer.sLayerName = name;
    layer.bLayerOn = acad::toVb(on);
    layer.bAllViewportFreaze = acad::toVb(frozen);
    layer.lnColor = 7;
    layer.sLineType = QStringLiteral("Continuous");
    layer.bPlottable = acad::vbTrue;
    return layer;
}

namespace {
using HostPtr = std::shared_ptr<Host>;

class Layer : public acad::Layer {
public:
    Layer(HostPtr host, int index) : m_host(std::move(host)), m_index(index) {}
    acad::LayerSnapshot& r() { return m_host->layers.at(size_t(m_index)); }
    int index() const { return m_index; }
    QString setter(const char* member, bool value)
    {
        return QStringLiteral("Layer.%1(%2,%3)").arg(QLatin1String(member), r().sLayerName).arg(value ? 1 : 0);
    }
    QString name() override { m_host->record("Layer.Name"); return r().sLayerName; }
    void setName(const QString& name) override { m_host->record("Layer.SetName"); r().sLayerName = name; }
    bool layerOn() override { m_host->record("Layer.LayerOn"); return r().bLayerOn; }
    void setLayerOn(bool on) override { m_host->record(setter("SetLayerOn", on)); r().bLayerOn = acad::toVb(on); }
    bool freeze() override { m_host->record("Layer.Freeze"); return r().bAllViewportFreaze; }
    void setFreeze(bool f) override { m_host->record(setter("SetFreeze", f)); r().bAllViewportFreaze = acad::toVb(f); }
    bool lock() override { m_host->record("Layer.Lock"); return r().bLock; }
    void setLock(bool l) override { m_host->record(setter("SetLock", l)); r().bLock = acad::toVb(l); }
    QString linetype() override { m_host->record("Layer.Linetype"); return r().sLineType; }
    void setLinetype(const QString& l) override
    {
        m_host->record(QStringLiteral("Layer.SetLinetype(%1,%2)").arg(r().sLayerName, l));
        r().sLineType = l;
    }
    qint32 color() override { m_host->record("Layer.Color"); return r().lnColor; }
    qint32 lineweight() override { m_host->record("Layer.Lineweight"); return r().lnLineWeight; }
    QString plotStyleName() override { m_host->record("Layer.PlotStyleName"); return r().sPlotStyleName; }
    bool plottable() override { m_host->record("Layer.Plottable"); return r().bPlottable; }
    bool viewportDefault() override { m_host->record("Layer.ViewportDefault"); return r().bNewViewportFreaze; }

private:
    HostPtr m_host;
    int m_index;
};

class Layers : public acad::Layers {
public:
    explicit Layers(HostPtr host) : m_host(std::move(host)) {}
    qint32 count() override { m_host->record("Layers.Count"); return qint32(m_host->layers.size()); }
    acad::LayerPtr item(qint32 index) override
    {
        m_host->record(QStringLiteral("Layers.Item(%1)").arg(index));
        return std::make_shared<Layer>(m_host, index);
    }
    acad::LayerPtr item(const QString& name) override
    {
        m_host->record(QStringLiteral("Layers.Item(%1)").arg(name));
        for (size_t i = 0; i < m_host->layers.size(); ++i)
            if (m_host->layers[i].sLayerName.compare(name, Qt::CaseInsensitive) == 0)
                return std::make_shared<Layer>(m_host, int(i));
        throw acad::AcadError(acad::error::kKeyNotFound, "Key not found");
    }

private:
    HostPtr m_host;
};

class Linetype : public acad::Linetype {
public:
    Linetype(HostPtr host, int index) : m_host(std::move(host)), m_index(index) {}
    QString name() override { m_host->record("Linetype.Name"); return m_host->linetypes.at(m_index); }

private:
    HostPtr m_host;
    int m_index;
};

class Linetypes : public acad::Linetypes {
public:
    explicit Linetypes(HostPtr host) : m_host(std::move(host)) {}
    qint32 count() override { m_host->record("Linetypes.Count"); return qint32(m_host->linetypes.size()); }
    acad::LinetypePtr item(qint32 index) override
    {
        m_host->record(QStringLiteral("Linetypes.Item(%1)").arg(index));
        return std::make_shared<Linetype>(m_host, index);
    }

private:
    HostPtr m_host;
};

class SelectionSet : public acad::SelectionSet {
public:
    SelectionSet(HostPtr host, QString name) : m_host(std::move(host)), m_name(std::move(name)) {}
    QString name() override { return m_name; }
    qint32 count() override { m_host->record("SelectionSet.Count"); return m_count; }
    void clear() override { m_host->record("SelectionSet.Clear"); m_count = 0; }
    void select(qint32 mode, const std::vector<qint16>& types, const QVariantList& data) override
    {
        QStringList typeTexts;
        for (qint16 t : types)
            typeTexts.append(QString::number(t));
        QStringList dataTexts;
        for (const QVariant& d : data)
            dataTexts.append(d.toString());
        m_host->record(QStringLiteral("SelectionSet.Select(%1,[%2],[%3])")
                           .arg(mode).arg(typeTexts.join(','), dataTexts.join(',')));
        const auto found = data.isEmpty() ? m_host->objects.end() : m_host->objects.find(data[0].toString());
        m_count = found == m_host->objects.end() ? 0 : found->second;
    }
    void erase() override
    {
        m_host->record(QStringLiteral("SelectionSet.Delete(%1)").arg(m_name));
        m_host->sets.removeOne(m_name);
    }

private:
    HostPtr m_host;
    QString m_name;
    int m_count = 0;
};

class SelectionSets : public acad::SelectionSets {
public:
    explicit SelectionSets(HostPtr host) : m_host(std::move(host)) {}
    qint32 count() override { m_host->record("SelectionSets.Count"); return qint32(m_host->sets.size()); }
    acad::SelectionSetPtr item(qint32 index) override
    {
        m_host->record(QStringLiteral("SelectionSets.Item(%1)").arg(index));
        return std::make_shared<SelectionSet>(m_host, m_host->sets.value(index));
    }
    acad::SelectionSetPtr add(const QString& name) override
    {
        m_host->record(QStringLiteral("SelectionSets.Add(%1)").arg(name));
        if (m_host->sets.contains(name))
            throw acad::AcadError(acad::error::kInvalidArgument, "duplicate set");
        m_host->sets.append(name);
        return std::make_shared<SelectionSet>(m_host, name);
    }

private:
    HostPtr m_host;
};

class Document : public acad::Document {
public:
    explicit Document(HostPtr host) : m_host(std::move(host)) {}
    acad::LayersPtr layers() override { m_host->record("Document.Layers"); return std::make_shared<Layers>(m_host); }
    acad::LinetypesPtr linetypes() override
    {
        m_host->record("Document.Linetypes");
        return std::make_shared<Linetypes>(m_host);
    }
    acad::SelectionSetsPtr selectionSets() override
    {
        m_host->record("Document.SelectionSets");
        return std::make_shared<SelectionSets>(m_host);
    }
    acad::LayerPtr activeLayer() override { m_host->record("Document.ActiveLayer"); return std::make_shared<Layer>(m_host, m_host->current); }
    void setActiveLayer(const acad::LayerPtr& layer) override
    {
        auto* recorded = dynamic_cast<Layer*>(layer.get());
        m_host->record(QStringLiteral("Document.SetActiveLayer(%1)").arg(recorded ? recorded->r().sLayerName : QString()));
        if (recorded)
            m_host->current = recorded->index();
    }
    void regen(qint32 which) override { m_host->record(QStringLiteral("Document.Regen(%1)").arg(which)); }
    std::vector<qint32> setLayerProperties(const acad::LayerWrites& writes, acad::OnRefusal onRefusal) override
    {
        if (!m_host->batchedWrites)
            return acad::Document::setLayerProperties(writes, onRefusal);
        m_host->record(QStringLiteral("Document.SetLayerProperties(%1)").arg(writes.size()));
        std::vector<qint32> refused;
        for (std::size_t i = 0; i < writes.size(); ++i) {
            const acad::LayerWrite& write = writes[i];
            acad::LayerSnapshot* layer = nullptr;
            for (acad::LayerSnapshot& candidate : m_host->layers)
                if (candidate.sLayerName.compare(write.layer, Qt::CaseInsensitive) == 0)
                    layer = &candidate;
            if (!layer) {
                const acad::AcadError missing(acad::error::kKeyNotFound, "Key not found");
                if (onRefusal == acad::OnRefusal::Stop)
                    throw acad::LayerWriteRefused(qint32(i), write.layer, missing);
                refused.push_back(qint32(i));
                continue;
            }
            switch (write.property) {
            case acad::LayerProperty::LayerOn: layer->bLayerOn = acad::toVb(write.value.toBool()); break;
            case acad::LayerProperty::Freeze: layer->bAllViewportFreaze = acad::toVb(write.value.toBool()); break;
            case acad::LayerProperty::Lock: layer->bLock = acad::toVb(write.value.toBool()); break;
            case acad::LayerProperty::Linetype: layer->sLineType = write.value.toString(); break;
            case acad::LayerProperty::Unknown: break;
            }
        }
        return refused;
    }
    QString fullName() override { m_host->record("Document.FullName"); return m_host->fullName; }
    QString name() override { m_host->record("Document.Name"); return "a.dxf"; }

private:
    HostPtr m_host;
};

class Application : public acad::Application {
public:
    explicit Application(HostPtr host) : m_host(std::move(host)) {}
    void setVisible(bool visible) override
    {
        m_host->record(QStringLiteral("Application.Visible(%1)").arg(visible));
        m_host->visible = visible;
    }
    acad::DocumentPtr activeDocument() override
    {
        m_host->record("Application.ActiveDocument");
        return std::make_shared<Document>(m_host);
    }
    void loadDVB(const QString& path) override { m_host->record("Application.LoadDVB(" + path + ")"); }
    void runMacro(const QString& name) override { m_host->record("Application.RunMacro(" + name + ")"); }
    QString caption() override { m_host->record("Application.Caption"); return "Host"; }

private:
    HostPtr m_host;
};

} // namespace

std::shared_ptr<acad::Application> makeApplication(std::shared_ptr<Host> host)
{
    return std::make_shared<Application>(std::move(host));
}

std::shared_ptr<acad::Document> makeDocument(std::shared_ptr<Host> host)
{
    return std::make_shared<Document>(std::move(host));
}

} // namespace testing_surface
