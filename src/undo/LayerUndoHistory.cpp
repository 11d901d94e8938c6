#include "LayerUndoHistory.h"

namespace undo {

void LayerUndoHistory::push(LayerChangeStep step)
{
    if (step.changesNothing())
        return;
    m_steps.push_back(std::move(step));
    emit changed();
}

std::optional<LayerChangeStep> LayerUndoHistory::takeLast()
{
    if (m_steps.empty())
        return std::nullopt;
    LayerChangeStep last = std::move(m_steps.back());
    m_steps.pop_back();
    emit changed();
    return last;
}

void LayerUndoHistory::clear()
{
    if (m_steps.empty())
        return;
    m_steps.clear();
    emit changed();
}

} // namespace undo
