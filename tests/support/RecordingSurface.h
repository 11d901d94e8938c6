#pragma once

// A small in-memory surface that writes down every member call in order, as
// "Object.Member(args)"; the setters name the layer and the new value, e.g.
// "Layer.SetFreeze(A,0)" or "Document.SetActiveLayer(A)". It checks the order
// of calls the bridge and the commands make; what a real host answers is
// checked against the local backend and the bus host.

#include "acad/AcadSurface.h"
#include "acad/LayerSnapshot.h"

#include <QStringList>
#include <set>

namespace testing_surface {

struct Host {
    QStringList calls;
    std::vector<acad::LayerSnapshot> layers;
    QStringList linetypes;
    /// Selection set names in the document.
    QStringList sets;
    /// Objects per layer name (exact match: the filter logic is the host's).
    std::map<QString, int> objects;
    /// "Object.Member" keys that throw an AcadError when called.
    std::set<QString> failing;
    /// The number those failures carry.
    qint32 failingNumber = acad::error::kHostFailure;
    bool visible = false;
    /// Index of the current layer in `layers`.
    int current = 0;
    /// The document's full name (a file there means the drawing was saved).
    QString fullName = QStringLiteral("/tmp/a.dxf");
    /// The document answers the batched layer setter in one call of its own
    /// ("Document.SetLayerProperties(<writes>)"), as the bus does; otherwise
    /// it is the series of single setters.
    bool batchedWrites = false;

    void record(const QString& call);
    /// The calls that change the drawing or make the host work: the setters,
    /// regenerations and macro runs, in order.
    QStringList writes() const;
};

/// A layer for `Host::layers`: colour 7, linetype Continuous, plottable.
acad::LayerSnapshot layerRecord(const QString& name, bool on = true, bool frozen = false);

std::shared_ptr<acad::Application> makeApplication(std::shared_ptr<Host> host);
std::shared_ptr<acad::Document> makeDocument(std::shared_ptr<Host> host);

} // namespace testing_surface
