#pragma once

// The batched layer setter: many layer property writes in one step, each
// doing what the single setter of that property does. The refresh switches
// and puts back layers with it, the bulk commands switch many layers, and an
// undo can put several properties of many layers back in one go.

#include "AcadError.h"

#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <vector>

namespace acad {

class Document;

/// The properties the batched setter writes, as the single setters name them.
enum class LayerProperty { LayerOn, Freeze, Lock, Linetype, Unknown };

/// The member name of a property ("LayerOn", "Freeze", "Lock", "Linetype"),
/// and back; a name that is none of them gives LayerProperty::Unknown.
QString layerPropertyName(LayerProperty property);
LayerProperty layerPropertyNamed(const QString& name);

/// One write: the layer by name (found as Layers.Item finds it), the property
/// and its new value: a bool for LayerOn, Freeze and Lock, the linetype name
/// for Linetype.
struct LayerWrite {
    QString layer;
    LayerProperty property = LayerProperty::Unknown;
    QVariant value;

    static LayerWrite on(const QString& layer, bool on) { return {layer, LayerProperty::LayerOn, on}; }
    static LayerWrite freeze(const QString& layer, bool frozen) { return {layer, LayerProperty::Freeze, frozen}; }
    static LayerWrite lock(const QString& layer, bool locked) { return {layer, LayerProperty::Lock, locked}; }
    static LayerWrite linetype(const QString& layer, const QString& name) { return {layer, LayerProperty::Linetype, name}; }
};
using LayerWrites = std::vector<LayerWrite>;

/// What the batched setter does when the host refuses a write.
enum class OnRefusal {
    /// Ends the call with LayerWriteRefused; the writes before it stay done.
    Stop,
    /// Goes on with the next write and reports the refused ones' positions.
    Skip,
};

/// The refusal that ended a batch of writes (OnRefusal::Stop): the host's own
/// number and description, as the single setter would have thrown them, and
/// which write it was. The writes before it are done; nothing is put back.
class LayerWriteRefused : public AcadError {
public:
    LayerWriteRefused(qint32 index, QString layer, const AcadError& refusal)
        : AcadError(refusal.number(), refusal.description()), m_index(index), m_layer(std::move(layer)) {}

    /// Position of the refused write in the batch (0-based).
    qint32 index() const noexcept { return m_index; }
    /// The layer name the refused write named.
    const QString& layer() const noexcept { return m_layer; }

private:
    qint32 m_index;
    QString m_layer;
};

/// True for a failure of the way to the host (gone, or no answer in time)
/// rather than a refusal of one write: a batch ends there in either mode.
bool isHostLost(const AcadError& failure);

/// Checks a write's value against its property: throws kInvalidArgument for
/// an unknown property or a value of the wrong kind.
void checkLayerWrite(const LayerWrite& write);

/// The batched setter done with the single members: for each write in order,
/// Layers.Item(layer) and the property's setter (consecutive writes to one
/// layer share its proxy). Returns the positions of the refused writes
/// (always empty with OnRefusal::Stop, which throws LayerWriteRefused).
std::vector<qint32> applyLayerWritesOneByOne(Document& document, const LayerWrites& writes, OnRefusal onRefusal);

} // namespace acad
