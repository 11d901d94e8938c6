#pragma once

// Saving: the original file text with only the changed LAYER entries and the
// $CLAYER value rewritten; every other byte is copied as it was.

#include "cad/Drawing.h"
#include "cad/DxfSource.h"

#include <QByteArray>

namespace cad::dxf {

/// The file text for `current` layers and current layer name `clayer`, made
/// from `bytes` (the text as loaded), `source` (where its layer entries lie)
/// and `loaded` (the layers as loaded, parallel to source.layerEntries).
/// Values are encoded in the file's own encoding; characters it cannot hold
/// are written as \U+XXXX escapes.
QByteArray patchLayers(const QByteArray& bytes, const DxfSource& source, const std::vector<LayerRecord>& loaded,
                       const std::vector<LayerRecord>& current, const QString& loadedClayer,
                       const QString& clayer);

} // namespace cad::dxf
