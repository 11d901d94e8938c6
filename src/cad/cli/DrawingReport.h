#pragma once

// The drawing report that `kasanemi-cad --inspect` prints: version, code
// page, current layer, layer table, linetypes, per-layer entity counts (what
// Select mode 5 with that exact name finds), total, model-space extents, and
// what the reader left out (`left_out`: kind, count, first reason).

#include "cad/CadDocument.h"

#include <QJsonObject>
#include <QRectF>

#include <optional>

namespace cad::cli {

QJsonObject drawingReport(const CadDocument& document);
/// The report with `extents` measured elsewhere (a document opened with an
/// EntityStream keeps no entities to measure).
QJsonObject drawingReport(const CadDocument& document, const std::optional<QRectF>& extents);

/// Opens the drawing at `path` and reports on it, its entities counted and
/// measured as they are read instead of kept. Throws as CadDocument::open.
/// `loadWarning` receives the document's load warning.
QJsonObject inspectDrawing(const QString& path, QString* loadWarning = nullptr);

} // namespace cad::cli
