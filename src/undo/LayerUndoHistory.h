#pragma once

#include "LayerChangeStep.h"

#include <QObject>

#include <optional>
#include <vector>

namespace undo {

/// The viewer's own layer changes since the last refresh, newest last, so
/// they can be taken back one step at a time. Changes made in the host
/// itself never get here.
class LayerUndoHistory : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Adds the step of a command that has run; a step that changed nothing
    /// is dropped, so taking back never "undoes" a command that did nothing.
    void push(LayerChangeStep step);
    /// Removes and returns the newest step; none when the history is empty.
    std::optional<LayerChangeStep> takeLast();
    /// Forgets every step (a refresh starts a new history).
    void clear();

    bool isEmpty() const { return m_steps.empty(); }
    int size() const { return int(m_steps.size()); }

signals:
    /// The history gained or lost steps.
    void changed();

private:
    std::vector<LayerChangeStep> m_steps;
};

} // namespace undo
