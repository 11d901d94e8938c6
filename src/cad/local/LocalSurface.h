#pragma once

// The document-side objects of the in-process backend: each is a thin proxy
// over a CadDocument, answering one automation member with one call. The
// document's batched members work on the CadDocument directly, with the
// single members' results and refusals.

#include "acad/AcadSurface.h"
#include "cad/CadDocument.h"

#include <memory>

namespace cad {

class LocalDocument : public acad::Document {
public:
    explicit LocalDocument(std::shared_ptr<CadDocument> document);

    acad::LayersPtr layers() override;
    acad::LinetypesPtr linetypes() override;
    acad::SelectionSetsPtr selectionSets() override;
    acad::LayerPtr activeLayer() override;
    void setActiveLayer(const acad::LayerPtr& layer) override;
    void regen(qint32 which) override;
    QString fullName() override;
    QString name() override;

    std::vector<acad::LayerSnapshot> layerSnapshotAll() override;
    QStringList layerNames() override;
    std::vector<acad::LayerOnState> layerOnStates() override;
    qint32 countLayerObjects(const QStringList& layerNames) override;
    std::vector<qint32> countLayerObjectsEach(const QStringList& layerNames) override;
    std::vector<std::optional<acad::LayerSnapshot>> layerStates(const QStringList& layerNames) override;
    std::vector<qint32> setLayerProperties(const acad::LayerWrites& writes, acad::OnRefusal onRefusal) override;
    void switchLayersOnAndThawed() override;

    CadDocument& document() { return *m_document; }

private:
    std::shared_ptr<CadDocument> m_document;
};

/// A layer followed by its name: when the layer is gone from the table
/// (renamed by someone else) its members throw kKeyNotFound.
class LocalLayer : public acad::Layer {
public:
    LocalLayer(std::shared_ptr<CadDocument> document, QString name);

    QString name() override;
    void setName(const QString& name) override;
    bool layerOn() override;
    void setLayerOn(bool on) override;
    bool freeze() override;
    void setFreeze(bool frozen) override;
    bool lock() override;
    void setLock(bool locked) override;
    QString linetype() override;
    void setLinetype(const QString& linetype) override;
    qint32 color() override;
    qint32 lineweight() override;
    QString plotStyleName() override;
    bool plottable() override;
    bool viewportDefault() override;

private:
    int index() const;
    const LayerRecord& record() const;

    std::shared_ptr<CadDocument> m_document;
    QString m_name;
};

} // namespace cad
