#include "LayerOnStates.h"

namespace undo {

std::vector<LayerOnState> readLayerOnStates(acad::Document& document)
{
    std::vector<LayerOnState> states;
    for (acad::LayerOnState& state : document.layerOnStates())
        states.push_back({std::move(state.name), state.on});
    return states;
}

} // namespace undo
