#pragma once

// A small in-memory surface that writes down every member call in order, as
// "Object.Member(args)". It checks the order of calls the bridge makes; what a
// real host answers is checked against the local backend and the bus host.

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

    void record(const QString& call);
};

std::shared_ptr<acad::Application> makeApplication(std::shared_ptr<Host> host);
std::shared_ptr<acad::Document> makeDocument(std::shared_ptr<Host> host);

} // namespace testing_surface
