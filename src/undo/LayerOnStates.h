#pragma once

#include "acad/AcadSurface.h"

#include <QString>

#include <vector>

namespace undo {

struct LayerOnState {
    QString layerName;
    bool on = false;
};

/// Every layer's name and on/off state in table order, read before a command
/// switches layers so that it can be taken back (Document::layerOnStates:
/// one call on the bus, else two a layer). Failures reach the caller.
std::vector<LayerOnState> readLayerOnStates(acad::Document& document);

} // namespace undo
