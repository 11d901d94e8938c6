#pragma once

// The drawing report that `kasanemi-cad --inspect` prints: version, code
// page, current layer, layer table, linetypes, per-layer entity counts (what
// Select mode 5 with that exact name finds), total, model-space extents, and
// what the reader left out (`left_out`: kind, count, first reason).

#include "cad/CadDocument.h"

#include <QJsonObject>

namespace cad::cli {

QJsonObject drawingReport(const CadDocument& document);

} // namespace cad::cli
