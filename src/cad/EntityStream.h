#pragma once

// Where the reader hands a drawing's entities when the drawing is read only
// to be looked at once (the inspector's counts and extents): each entity is
// passed on as soon as it is read whole, and the drawing keeps none of them,
// so a large drawing never holds its entity array in memory.

#include "Entity.h"

namespace cad {

class EntityStream {
public:
    virtual ~EntityStream() = default;
    /// One model-space or paper-space entity (its layout set), with its
    /// vertices or attributes; block definitions' entities are not passed.
    virtual void take(Entity&& entity) = 0;
};

} // namespace cad
