#include "LocalSurface.h"

#include "acad/AcadError.h"
#include "acad/LayerStates.h"

namespace cad {

using acad::AcadError;
namespace error = acad::error;

namespace {

class LocalLayers : public acad::Layers {
public:
    explicit LocalLayers(std::shared_ptr<CadDocument> d) : m_doc(std::move(d)) {}
    qint32 count() override { return m_doc->layerCount(); }
    acad::LayerPtr item(qint32 index) override
    {
        return std::make_shared<LocalLayer>(m_doc, m_doc->layer(index).name);
    }
    acad::LayerPtr item(const QString& name) override
    {
        return std::make_shared<LocalLayer>(m_doc, m_doc->layer(m_doc->layerIndex(name)).name);
    }

private:
    std::shared_ptr<CadDocument> m_doc;
};

class LocalLinetype : public acad::Linetype {
public:
    explicit LocalLinetype(QString name) : m_name(std::move(name)) {}
    QString name() override { return m_name; }

private:
    QString m_name;
};

class LocalLinetypes : public acad::Linetypes {
public:
    explicit LocalLinetypes(std::shared_ptr<CadDocument> d) : m_doc(std::move(d)) {}
    qint32 count() override { return qint32(m_doc->drawing().linetypes.size()); }
    acad::LinetypePtr item(qint32 index) override
    {
        const auto& names = m_doc->drawing().linetypes;
        if (index < 0 || size_t(index) >= names.size())
            throw AcadError(error::kIndexOutOfRange, QStringLiteral("線種の番号 %1 は範囲外です。").arg(index));
        return std::make_shared<LocalLinetype>(names[size_t(index)]);
    }

private:
    std::shared_ptr<CadDocument> m_doc;
};

class LocalSelectionSet : public acad::SelectionSet {
public:
    LocalSelectionSet(std::shared_ptr<CadDocument> d, std::shared_ptr<SelectionSetData> s)
        : m_doc(std::move(d)), m_set(std::move(s)) {}

    QString name() override { return live().name(); }
    qint32 count() override { return qint32(live().members.size()); }
    void clear() override { live().members.clear(); }
    void select(qint32 mode, const std::vector<qint16>& filterType, const QVariantList& filterData) override
    {
        SelectionSetData& set = live();
        // Mode 5 (all) is the only one that needs no points or user input.
        if (mode != 5)
            throw AcadError(error::kInvalidArgument, QStringLiteral("選択モード %1 には対応していません（5（すべて）を使ってください）。").arg(mode));
        if (filterType.size() != size_t(filterData.size()))
            throw AcadError(error::kInvalidArgument, QStringLiteral("フィルタのタイプとデータの数が違います。"));
        std::vector<std::uint32_t> found;
        bool first = true;
        for (size_t i = 0; i < filterType.size(); ++i) {
            if (filterType[i] != 8)
                throw AcadError(error::kInvalidArgument,
                                QStringLiteral("フィルタのグループコード %1 には対応していません。").arg(filterType[i]));
            const QVariant& v = filterData[qsizetype(i)];
            if (!v.canConvert<QString>())
                throw AcadError(error::kInvalidArgument, QStringLiteral("画層のフィルタには文字列が必要です。"));
            std::vector<std::uint32_t> on = m_doc->entitiesOnLayers(v.toString());
            if (first) {
                found = std::move(on);
                first = false;
            } else {
                std::vector<std::uint32_t> both;
                std::set_intersection(found.begin(), found.end(), on.begin(), on.end(), std::back_inserter(both));
                found = std::move(both);
            }
        }
        if (first) {
            found.resize(m_doc->drawing().entities.size());
            for (std::uint32_t i = 0; i < found.size(); ++i) found[i] = i;
        }
        // Select adds to the set; an entity already in it is not added twice.
        if (set.members.empty()) {
            set.members = std::move(found);
        } else {
            std::vector<std::uint32_t> merged;
            std::vector<std::uint32_t> old = set.members;
            std::sort(old.begin(), old.end());
            std::set_union(old.begin(), old.end(), found.begin(), found.end(), std::back_inserter(merged));
            set.members = std::move(merged);
        }
    }
    void erase() override
    {
        live();
        m_doc->removeSelectionSet(m_set.get());
    }

private:
    SelectionSetData& live()
    {
        if (m_set->isErased())
            throw AcadError(error::kKeyNotFound, QStringLiteral("選択セット「%1」は削除されています。").arg(m_set->name()));
        return *m_set;
    }

    std::shared_ptr<CadDocument> m_doc;
    std::shared_ptr<SelectionSetData> m_set;
};

class LocalSelectionSets : public acad::SelectionSets {
public:
    explicit LocalSelectionSets(std::shared_ptr<CadDocument> d) : m_doc(std::move(d)) {}
    qint32 count() override { return m_doc->selectionSetCount(); }
    acad::SelectionSetPtr item(qint32 index) override
    {
        return std::make_shared<LocalSelectionSet>(m_doc, m_doc->selectionSet(index));
    }
    acad::SelectionSetPtr add(const QString& name) override
    {
        return std::make_shared<LocalSelectionSet>(m_doc, m_doc->addSelectionSet(name));
    }

private:
    std::shared_ptr<CadDocument> m_doc;
};

} // namespace

// --- LocalDocument -----------------------------------------------------------

LocalDocument::LocalDocument(std::shared_ptr<CadDocument> document) : m_document(std::move(document)) {}

acad::LayersPtr LocalDocument::layers() { return std::make_shared<LocalLayers>(m_document); }
acad::LinetypesPtr LocalDocument::linetypes() { return std::make_shared<LocalLinetypes>(m_document); }
acad::SelectionSetsPtr LocalDocument::selectionSets() { return std::make_shared<LocalSelectionSets>(m_document); }

acad::LayerPtr LocalDocument::activeLayer()
{
    return std::make_shared<LocalLayer>(m_document, m_document->layer(m_document->currentLayer()).name);
}

void LocalDocument::setActiveLayer(const acad::LayerPtr& layer)
{
    if (!layer)
        throw AcadError(error::kInvalidArgument, QStringLiteral("画層が指定されていません。"));
    m_document->setCurrentLayer(m_document->layerIndex(layer->name()));
}

void LocalDocument::regen(qint32 which) { m_document->regen(which); }

namespace {

acad::LayerSnapshot recordOf(const LayerRecord& layer)
{
    acad::LayerSnapshot record;
    record.sLayerName = layer.name;
    record.bLayerOn = acad::toVb(layer.on);
    record.bAllViewportFreaze = acad::toVb(layer.frozen);
    record.bLock = acad::toVb(layer.locked);
    record.lnColor = layer.color;
    record.sLineType = layer.linetype;
    record.lnLineWeight = layer.lineweight;
    record.sPlotStyleName = layer.plotStyleName;
    record.bPlottable = acad::toVb(layer.plottable);
    record.bNewViewportFreaze = acad::toVb(layer.frozenInNewViewports);
    return record;
}

} // namespace

std::vector<acad::LayerSnapshot> LocalDocument::layerSnapshotAll()
{
    std::vector<acad::LayerSnapshot> records;
    records.reserve(std::size_t(m_document->layerCount()));
    for (int i = 0; i < m_document->layerCount(); ++i)
        records.push_back(recordOf(m_document->layer(i)));
    return records;
}

// Only the last name goes through the selection set, which is what the series
// leaves in "cSet"; the others are counted from the per-layer totals, so a
// list of many names matching every layer costs names x layers, not names x
// entities.
qint32 LocalDocument::countLayerObjects(const QStringList& layerNames)
{
    if (layerNames.size() <= 1)
        return acad::Document::countLayerObjects(layerNames);
    qint64 total = acad::Document::countLayerObjects(QStringList{layerNames.back()});
    for (qsizetype i = 0; i + 1 < layerNames.size(); ++i)
        total += m_document->countOnLayers(layerNames[i]);
    return acad::saturatedCount(total);
}

std::vector<qint32> LocalDocument::countLayerObjectsEach(const QStringList& layerNames)
{
    if (layerNames.isEmpty())
        return {};
    std::vector<qint32> counts;
    counts.reserve(std::size_t(layerNames.size()));
    for (qsizetype i = 0; i + 1 < layerNames.size(); ++i)
        counts.push_back(acad::saturatedCount(m_document->countOnLayers(layerNames[i])));
    counts.push_back(acad::Document::countLayerObjects(QStringList{layerNames.back()}));
    return counts;
}

QStringList LocalDocument::layerNames()
{
    QStringList names;
    names.reserve(m_document->layerCount());
    for (int i = 0; i < m_document->layerCount(); ++i)
        names.append(m_document->layer(i).name);
    return names;
}

std::vector<acad::LayerOnState> LocalDocument::layerOnStates()
{
    std::vector<acad::LayerOnState> states;
    states.reserve(std::size_t(m_document->layerCount()));
    for (int i = 0; i < m_document->layerCount(); ++i)
        states.push_back({m_document->layer(i).name, m_document->layer(i).on});
    return states;
}

std::vector<std::optional<acad::LayerSnapshot>> LocalDocument::layerStates(const QStringList& layerNames)
{
    std::vector<std::optional<acad::LayerSnapshot>> states;
    states.reserve(std::size_t(layerNames.size()));
    for (const QString& name : layerNames) {
        try {
            states.emplace_back(recordOf(m_document->layer(m_document->layerIndex(name))));
        } catch (const AcadError&) {
            states.emplace_back(std::nullopt);
        }
    }
    return states;
}

std::vector<qint32> LocalDocument::setLayerProperties(const acad::LayerWrites& writes, acad::OnRefusal onRefusal)
{
    std::vector<qint32> refused;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const acad::LayerWrite& write = writes[i];
        try {
            acad::checkLayerWrite(write);
            const int index = m_document->layerIndex(write.layer);
            switch (write.property) {
            case acad::LayerProperty::LayerOn: m_document->setLayerOn(index, write.value.toBool()); break;
            case acad::LayerProperty::Freeze: m_document->setLayerFrozen(index, write.value.toBool()); break;
            case acad::LayerProperty::Lock: m_document->setLayerLocked(index, write.value.toBool()); break;
            case acad::LayerProperty::Linetype: m_document->setLayerLinetype(index, write.value.toString()); break;
            case acad::LayerProperty::Unknown: break;
            }
        } catch (const AcadError& failure) {
            if (onRefusal == acad::OnRefusal::Stop)
                throw acad::LayerWriteRefused(qint32(i), write.layer, failure);
            refused.push_back(qint32(i));
        }
    }
    return refused;
}
QString LocalDocument::fullName() { return m_document->fullName(); }
QString LocalDocument::name() { return m_document->name(); }

void LocalDocument::switchLayersOnAndThawed()
{
    setLayerProperties(acad::writesSwitchingLayersOnAndThawed(
                           layerNames(), m_document->layer(m_document->currentLayer()).name),
                       acad::OnRefusal::Stop);
}

// --- LocalLayer ----------------------------------------------------------------

LocalLayer::LocalLayer(std::shared_ptr<CadDocument> document, QString name)
    : m_document(std::move(document)), m_name(std::move(name)) {}

int LocalLayer::index() const { return m_document->layerIndex(m_name); }
const LayerRecord& LocalLayer::record() const { return m_document->layer(index()); }

QString LocalLayer::name() { return record().name; }
void LocalLayer::setName(const QString& name)
{
    m_document->setLayerName(index(), name);
    m_name = name;
}
bool LocalLayer::layerOn() { return record().on; }
void LocalLayer::setLayerOn(bool on) { m_document->setLayerOn(index(), on); }
bool LocalLayer::freeze() { return record().frozen; }
void LocalLayer::setFreeze(bool frozen) { m_document->setLayerFrozen(index(), frozen); }
bool LocalLayer::lock() { return record().locked; }
void LocalLayer::setLock(bool locked) { m_document->setLayerLocked(index(), locked); }
QString LocalLayer::linetype() { return record().linetype; }
void LocalLayer::setLinetype(const QString& linetype) { m_document->setLayerLinetype(index(), linetype); }
qint32 LocalLayer::color() { return record().color; }
qint32 LocalLayer::lineweight() { return record().lineweight; }
QString LocalLayer::plotStyleName() { return record().plotStyleName; }
bool LocalLayer::plottable() { return record().plottable; }
bool LocalLayer::viewportDefault() { return record().frozenInNewViewports; }

} // namespace cad
