#pragma once

#include "metafile/WmfPenTable.h"

#include <QBrush>
#include <QString>

#include <cstdint>
#include <vector>

namespace metafile {

/// A font as the file makes it.
struct WmfFont {
    double height = 0; ///< logical units; negative means character height
    double width = 0;  ///< average character width, logical units; 0 = the face's own
    double escapementDegrees = 0;
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    std::uint8_t charset = 0;
    QString face;
};

/// One slot of a metafile's object table. Only the fields of its kind are
/// meaningful.
struct WmfObject {
    enum Kind { Empty, Pen, Brush, Font, Other } kind = Empty;
    std::uint32_t pen = 0; ///< index into the pen table, or WmfPenTable::heldInPlace
    WmfPen heldPen;
    QBrush brush;
    WmfFont font;
};

/// The object table a metafile's records create, select and delete objects
/// in by index.
class WmfObjectTable {
public:
    /// A table of the `count` slots the file's header asks for (at most the
    /// most a file can index).
    explicit WmfObjectTable(std::size_t count);

    /// The lowest free slot of the table, now of `kind`; null when the table is full.
    WmfObject* create(WmfObject::Kind kind);
    /// The slot at `index`; null beyond the table.
    WmfObject* at(std::uint16_t index) { return index < m_objects.size() ? &m_objects[index] : nullptr; }
    void remove(std::uint16_t index);

private:
    std::vector<WmfObject> m_objects;
    std::size_t m_firstFree = 0; ///< no slot below this one is free
};

} // namespace metafile
