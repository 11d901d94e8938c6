#include "DrawingReport.h"

#include "cad/Extents.h"

#include <QJsonArray>

#include <algorithm>
#include <vector>

namespace cad::cli {

namespace {

QJsonValue textOrNull(bool present, const QString& text)
{
    return present ? QJsonValue(text) : QJsonValue(QJsonValue::Null);
}

} // namespace

QJsonObject drawingReport(const CadDocument& document)
{
    return drawingReport(document, modelExtents(document.drawing()));
}

QJsonObject inspectDrawing(const QString& path, QString* loadWarning)
{
    StreamedModelExtents extents;
    auto document = CadDocument::open(path, &extents, ReadPurpose::Report);
    if (loadWarning)
        *loadWarning = document->loadWarning();
    return drawingReport(*document, extents.finish(document->drawing()));
}

QJsonObject drawingReport(const CadDocument& document, const std::optional<QRectF>& extents)
{
    const Drawing& d = document.drawing();
    QJsonObject report;
    report.insert(QStringLiteral("version"), textOrNull(d.hasVersion, d.version));
    report.insert(QStringLiteral("codepage"), textOrNull(d.hasCodepage, d.codepage));
    report.insert(QStringLiteral("clayer"), textOrNull(d.hasClayer, d.clayer));

    QJsonArray layers;
    for (const LayerRecord& l : d.layers) {
        QJsonObject o;
        o.insert(QStringLiteral("name"), l.name);
        o.insert(QStringLiteral("on"), l.on);
        o.insert(QStringLiteral("frozen"), l.frozen);
        o.insert(QStringLiteral("locked"), l.locked);
        o.insert(QStringLiteral("color"), l.color);
        o.insert(QStringLiteral("linetype"), l.linetype);
        o.insert(QStringLiteral("lineweight"), l.lineweight);
        o.insert(QStringLiteral("plottable"), l.plottable);
        o.insert(QStringLiteral("vp_default_frozen"), l.frozenInNewViewports);
        layers.append(o);
    }
    report.insert(QStringLiteral("layers"), layers);

    QJsonArray linetypes;
    for (const QString& name : d.linetypes)
        linetypes.append(name);
    report.insert(QStringLiteral("linetypes"), linetypes);

    // One key per layer name the entities use, as they spell it; layers
    // without entities are left out. The object keeps its keys sorted, so
    // they go in in that order: each insert then lands at the end instead of
    // moving every key after it (linear in the layers, not quadratic).
    std::vector<const QString*> used;
    qint64 total = 0;
    const auto& byName = d.countsByLayerName();
    for (NameId id = 0; id < byName.size(); ++id) {
        if (byName[id] == 0)
            continue;
        used.push_back(&d.names.name(id));
        total += byName[id];
    }
    std::sort(used.begin(), used.end(), [](const QString* a, const QString* b) { return *a < *b; });
    QJsonObject counts;
    for (const QString* name : used)
        counts.insert(*name, qint64(document.countOnLayers(*name)));
    report.insert(QStringLiteral("counts"), counts);
    report.insert(QStringLiteral("total"), total);

    if (const auto& box = extents) {
        report.insert(QStringLiteral("extents"),
                      QJsonArray{box->left(), box->top(), box->right(), box->bottom()});
    } else {
        report.insert(QStringLiteral("extents"), QJsonValue(QJsonValue::Null));
    }

    QJsonArray leftOut;
    for (const OmissionNotes::Entry& e : d.readNotes.entries())
        leftOut.append(QJsonObject{{QStringLiteral("kind"), e.kind},
                                   {QStringLiteral("count"), qint64(e.count)},
                                   {QStringLiteral("reason"), e.reason}});
    report.insert(QStringLiteral("left_out"), leftOut);
    return report;
}

} // namespace cad::cli
