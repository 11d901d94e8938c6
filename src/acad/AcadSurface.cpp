// The document's batched members as the series of single members they stand
// for: what a backend without batches (a CAD reached member by member) does.

#include "AcadSurface.h"

#include "LayerReads.h"
#include "LayerStates.h"

#include <algorithm>
#include <limits>


namespace acad {
namespace {

// The one selection set the object count creates and leaves in the drawing.
const QString kCountSetName = QStringLiteral("cSet");
// Select mode "all" and the group code of the layer name.
constexpr qint32 kSelectAll = 5;
constexpr qint16 kLayerNameGroupCode = 8;

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
        if (isHostLost(failure))
            throw;
        return;
    }
    for (qint32 i = 0; i < count; ++i) {
        try {
            sets->item(0)->erase();
        } catch (const AcadError& failure) {
            if (isHostLost(failure))
                throw;
        }
    }
}

} // namespace

std::vector<LayerSnapshot> Document::layerSnapshotAll()
{
    // Sized by the layer count, then filled by enumerating the layers.
    std::vector<LayerSnapshot> records;
    records.reserve(std::size_t(qMax(layers()->count(), 0)));
    for (LayerSnapshot& record : readLayerRecords(*this))
        records.push_back(std::move(record));
    return records;
}

QStringList Document::layerNames()
{
    const LayersPtr all = layers();
    const qint32 count = all->count();
    QStringList names;
    names.reserve(qMax(count, 0));
    for (qint32 i = 0; i < count; ++i)
        names.append(all->item(i)->name());
    return names;
}

std::vector<LayerOnState> Document::layerOnStates()
{
    const LayersPtr all = layers();
    const qint32 count = all->count();
    std::vector<LayerOnState> states;
    states.reserve(std::size_t(qMax(count, 0)));
    for (qint32 i = 0; i < count; ++i) {
        const LayerPtr layer = all->item(i);
        LayerOnState state;
        state.name = layer->name();
        state.on = layer->layerOn();
        states.push_back(std::move(state));
    }
    return states;
}

QStringList Document::linetypeList()
{
    const LinetypesPtr all = linetypes();
    const qint32 count = all->count();
    QStringList names;
    for (qint32 index = 0; index < count; ++index) {
        const LinetypePtr linetype = all->item(index);
        if (isPseudoLinetype(linetype->name()))
            continue;
        names.append(linetype->name());
    }
    return names;
}

qint32 Document::countLayerObjects(const QStringList& layerNames)
{
    deleteAllSelectionSets(*this);
    const SelectionSetPtr set = selectionSets()->add(kCountSetName);
    qint64 total = 0;
    for (const QString& name : layerNames) {
        set->clear();
        set->select(kSelectAll, {kLayerNameGroupCode}, QVariantList{name});
        total += set->count();
    }
    return saturatedCount(total);
}

qint32 saturatedCount(qint64 total)
{
    return qint32(std::clamp<qint64>(total, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

std::vector<qint32> Document::countLayerObjectsEach(const QStringList& layerNames)
{
    std::vector<qint32> counts;
    counts.reserve(std::size_t(layerNames.size()));
    for (const QString& name : layerNames)
        counts.push_back(countLayerObjects(QStringList{name}));
    return counts;
}

std::vector<std::optional<LayerSnapshot>> Document::layerStates(const QStringList& layerNames)
{
    std::vector<std::optional<LayerSnapshot>> states;
    states.reserve(std::size_t(layerNames.size()));
    const LayersPtr all = layers();
    for (const QString& name : layerNames) {
        try {
            const LayerPtr layer = all->item(name);
            LayerSnapshot record;
            record.sLayerName = name;
            record.bAllViewportFreaze = toVb(layer->freeze());
            record.bLayerOn = toVb(layer->layerOn());
            record.bLock = toVb(layer->lock());
            record.bNewViewportFreaze = toVb(layer->viewportDefault());
            record.bPlottable = toVb(layer->plottable());
            record.lnColor = layer->color();
            record.sLineType = layer->linetype();
            states.emplace_back(std::move(record));
        } catch (const AcadError& failure) {
            if (isHostLost(failure))
                throw;
            states.emplace_back(std::nullopt);
        }
    }
    return states;
}

std::vector<qint32> Document::setLayerProperties(const LayerWrites& writes, OnRefusal onRefusal)
{
    return applyLayerWritesOneByOne(*this, writes, onRefusal);
}

void Document::switchLayersOnAndThawed()
{
    switchLayersOnAndThawedOneByOne(*this);
}

} // namespace acad
