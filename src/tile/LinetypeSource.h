#pragma once

#include "acad/LayerSnapshot.h"

namespace tile {

/// Where a tile's linetype box finds the drawing's linetype names.
class LinetypeSource {
public:
    virtual ~LinetypeSource() = default;
    /// The linetype names (sLineTypeList: element 0 empty, names from element
    /// 1), as last read.
    virtual const acad::NameList& sLineTypeList() const = 0;
    /// Reads the drawing's linetypes again. Throws acad::AcadError when the
    /// drawing cannot be read.
    virtual void ReadLinetypeList() = 0;
};

} // namespace tile
