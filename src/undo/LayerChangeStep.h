#pragma once

#include <QHash>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace undo {

/// What taking a step back writes to one layer: only the properties the
/// command changed, each with the value the layer had before the command.
struct LayerRestore {
    QString layerName;
    std::optional<bool> on;
    std::optional<bool> frozen;
    std::optional<bool> locked;
    std::optional<QString> linetype;

    bool operator==(const LayerRestore&) const = default;
};

/// What one command of the viewer changed in the drawing's layers, written
/// down as the command goes. For every layer and property the command wrote,
/// it keeps the value the layer had before the command's first write and the
/// value of its last write, so a command that touches a layer twice (the
/// exclusive view switches its own layer off, then on) is taken back to where
/// the layer started. Layers are told apart by name without regard to letter
/// case, as the drawing's layer table does.
class LayerChangeStep {
public:
    void recordOn(const QString& layerName, bool before, bool after);
    void recordFrozen(const QString& layerName, bool before, bool after);
    void recordLocked(const QString& layerName, bool before, bool after);
    /// Linetype names, too, are compared without regard to letter case.
    void recordLinetype(const QString& layerName, const QString& before, const QString& after);
    /// The command made `after` the current layer; `before` was current.
    void recordCurrentLayer(const QString& before, const QString& after);

    /// The writes that take the step back, layer by layer in the order the
    /// command first touched them. A property whose last value equals its
    /// first is left out, and a layer with nothing left with it.
    std::vector<LayerRestore> layerRestores() const;
    /// The layer to make current again; none when the command left the
    /// current layer as it was.
    std::optional<QString> currentLayerToRestore() const;
    /// True when taking the step back would write nothing.
    bool changesNothing() const;

private:
    template <typename T>
    using Change = std::optional<std::pair<T, T>>; // before, after

    struct LayerChanges {
        QString layerName;
        Change<bool> on;
        Change<bool> frozen;
        Change<bool> locked;
        Change<QString> linetype;
    };

    LayerChanges& changesOf(const QString& layerName);
    template <typename T>
    static void record(Change<T>& change, const T& before, const T& after);

    std::vector<LayerChanges> m_layers;
    QHash<QString, std::size_t> m_indexByFoldedName;
    Change<QString> m_currentLayer;
};

} // namespace undo
