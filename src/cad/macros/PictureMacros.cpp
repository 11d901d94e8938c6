#include "cad/macros/PictureMacros.h"

#include "acad/AcadError.h"
#include "acad/PictureProtocol.h"
#include "app/PlantedLink.h"
#include "cad/MacroRegistry.h"
#include "cad/local/LocalApplication.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/PictureFrame.h"
#include "cad/render/WmfBackend.h"
#include "metafile/WmfWriter.h"

#include <QDir>
#include <QFileInfo>

#include <malloc.h>

namespace cad::macros {

namespace {

void ensureFolder(const QString& folder)
{
    // Pictures written through another user's link in /tmp would land
    // wherever that user points it.
    if (const QString link = app::plantedLinkOnPath(folder); !link.isEmpty())
        throw acad::AcadError(acad::error::kHostFailure, app::plantedLinkMessage(folder, link));
    if (!QDir().mkpath(folder))
        throw acad::AcadError(acad::error::kHostFailure,
                              QStringLiteral("画像フォルダーを作成できません: %1").arg(QDir::toNativeSeparators(folder)));
}

/// Hands each primitive to the metafile of the layer it counts for, so that
/// one pass over the entities fills every layer's picture at once.
class LayerSplitBackend : public render::RenderBackend {
public:
    LayerSplitBackend(const render::PictureFrame& frame, std::size_t layerCount) : m_frame(frame), m_layers(layerCount) {}

    void drawPolyline(const std::vector<QPointF>& points, bool closed, const render::Style& style) override
    {
        if (auto* b = backend(style.layer))
            b->drawPolyline(points, closed, style);
    }
    void fillPolygons(const std::vector<std::vector<QPointF>>& loops, const render::Style& style) override
    {
        if (auto* b = backend(style.layer))
            b->fillPolygons(loops, style);
    }
    void drawCircle(QPointF centre, double radius, const render::Style& style) override
    {
        if (auto* b = backend(style.layer))
            b->drawCircle(centre, radius, style);
    }
    void drawArc(QPointF centre, double radius, double start, double sweep, double tolerance,
                 const render::Style& style) override
    {
        if (auto* b = backend(style.layer))
            b->drawArc(centre, radius, start, sweep, tolerance, style);
    }
    void drawText(const render::TextRun& text, const render::Style& style) override
    {
        if (auto* b = backend(style.layer))
            b->drawText(text, style);
    }
    void drawPoint(QPointF position, const render::Style& style) override
    {
        if (auto* b = backend(style.layer))
            b->drawPoint(position, style);
    }

    /// The finished picture of a layer (an empty one when nothing was drawn on it).
    QByteArray finish(int layer)
    {
        backend(layer);
        QByteArray bytes = m_layers[std::size_t(layer)].writer->finish();
        m_layers[std::size_t(layer)] = {}; // its memory goes back before the next is written
        return bytes;
    }

private:
    struct Layer {
        std::unique_ptr<metafile::WmfWriter> writer;
        std::unique_ptr<render::WmfBackend> backend;
    };
    render::WmfBackend* backend(int layer)
    {
        if (layer < 0 || std::size_t(layer) >= m_layers.size())
            return nullptr; // a layer the table lacks has no picture of its own
        Layer& slot = m_layers[std::size_t(layer)];
        if (!slot.writer) {
            slot.writer = std::make_unique<metafile::WmfWriter>(m_frame.logical, m_frame.unitsPerInch);
            slot.backend = std::make_unique<render::WmfBackend>(*slot.writer, m_frame);
        }
        return slot.backend.get();
    }

    const render::PictureFrame& m_frame;
    std::vector<Layer> m_layers;
};

/// Passes on the primitives of one layer only.
class OneLayerBackend : public render::RenderBackend {
public:
    OneLayerBackend(render::RenderBackend& target, int layer) : m_target(target), m_layer(layer) {}
    void drawPolyline(const std::vector<QPointF>& points, bool closed, const render::Style& style) override
    {
        if (style.layer == m_layer)
            m_target.drawPolyline(points, closed, style);
    }
    void fillPolygons(const std::vector<std::vector<QPointF>>& loops, const render::Style& style) override
    {
        if (style.layer == m_layer)
            m_target.fillPolygons(loops, style);
    }
    void drawCircle(QPointF centre, double radius, const render::Style& style) override
    {
        if (style.layer == m_layer)
            m_target.drawCircle(centre, radius, style);
    }
    void drawArc(QPointF centre, double radius, double start, double sweep, double tolerance,
                 const render::Style& style) override
    {
        if (style.layer == m_layer)
            m_target.drawArc(centre, radius, start, sweep, tolerance, style);
    }
    void drawText(const render::TextRun& text, const render::Style& style) override
    {
        if (style.layer == m_layer)
            m_target.drawText(text, style);
    }
    void drawPoint(QPointF position, const render::Style& style) override
    {
        if (style.layer == m_layer)
            m_target.drawPoint(position, style);
    }

private:
    render::RenderBackend& m_target;
    int m_layer;
};

/// The frontend every picture is drawn by; returns how many inserts the
/// primitive budget drew as outline boxes.
std::size_t drawPicture(const Drawing& drawing, const render::PictureFrame& frame, render::RenderBackend& backend)
{
    render::DrawingFrontend frontend(drawing, frame.tolerance());
    frontend.setFrame(frame.world);
    frontend.setLineweightScale(frame.drawingUnitsPerMillimetre());
    frontend.drawModelSpace(backend);
    frontend.notes().log("render");
    return frontend.outlinedInserts();
}

/// The document's picture frame: its extents are worked out once a document.
render::PictureFrame frameOf(const CadDocument& document)
{
    return render::PictureFrame::forWorld(document.modelExtents().value_or(QRectF()));
}

void makeDrawingPicture(LocalApplication& application, const QString& projectFolder, const QString& fileName)
{
    const QString folder = acad::systemFolderIn(pictureFolder(projectFolder));
    const CadDocument& document = application.document();
    const PictureStats stats = writeDrawingPicture(document.drawing(), folder + u'/' + fileName, frameOf(document));
    application.document().notePicturesCut(stats.outlinedInserts);
}

void makeLayerPictures(LocalApplication& application, const QString& projectFolder, LayerChoice choice)
{
    const CadDocument& document = application.document();
    const PictureStats stats =
        writeLayerPictures(document.drawing(), pictureFolder(projectFolder), choice, frameOf(document));
    application.document().notePicturesCut(stats.outlinedInserts);
    // The layers' picture buffers, grown side by side and freed one by one,
    // leave megabytes of free pages in the heap that the allocator keeps;
    // the host stays up with the drawing long after a refresh.
    malloc_trim(0);
}

} // namespace

QString pictureFolder(const QString& projectFolder)
{
    return acad::workFolderIn(QDir::cleanPath(projectFolder));
}

QString picturesCutNote(std::size_t outlinedInserts)
{
    return QStringLiteral("the drawing's blocks nest too many times over for a picture: after %L1 primitives, "
                          "%L2 block insert(s) were drawn as their outline box")
        .arg(qulonglong(render::PrimitiveBudget::kPrimitivesPerPicture))
        .arg(qulonglong(outlinedInserts));
}

namespace {

QByteArray drawingPictureIn(const Drawing& drawing, const render::PictureFrame& frame, std::size_t* outlinedInserts)
{
    metafile::WmfWriter writer(frame.logical, frame.unitsPerInch);
    render::WmfBackend backend(writer, frame);
    const std::size_t outlined = drawPicture(drawing, frame, backend);
    if (outlinedInserts)
        *outlinedInserts = outlined;
    return writer.finish();
}

} // namespace

QByteArray drawingPicture(const Drawing& drawing, std::size_t* outlinedInserts)
{
    return drawingPictureIn(drawing, render::PictureFrame::forDrawing(drawing), outlinedInserts);
}

QByteArray layerPicture(const Drawing& drawing, int layer)
{
    const render::PictureFrame frame = render::PictureFrame::forDrawing(drawing);
    metafile::WmfWriter writer(frame.logical, frame.unitsPerInch);
    render::WmfBackend backend(writer, frame);
    OneLayerBackend oneLayer(backend, layer);
    drawPicture(drawing, frame, oneLayer);
    return writer.finish();
}

PictureStats writeDrawingPicture(const Drawing& drawing, const QString& path)
{
    return writeDrawingPicture(drawing, path, render::PictureFrame::forDrawing(drawing));
}

PictureStats writeDrawingPicture(const Drawing& drawing, const QString& path, const render::PictureFrame& frame)
{
    ensureFolder(QFileInfo(path).absolutePath());
    std::size_t outlined = 0;
    const QByteArray bytes = drawingPictureIn(drawing, frame, &outlined);
    QString error;
    if (!metafile::writeFileAtomically(path, bytes, &error, metafile::FileSync::RenameOnly))
        throw acad::AcadError(acad::error::kHostFailure, QStringLiteral("画像を書き込めません: %1").arg(error));
    return {1, bytes.size(), outlined};
}

PictureStats writeLayerPictures(const Drawing& drawing, const QString& folder, LayerChoice choice)
{
    return writeLayerPictures(drawing, folder, choice, render::PictureFrame::forDrawing(drawing));
}

PictureStats writeLayerPictures(const Drawing& drawing, const QString& folder, LayerChoice choice,
                                const render::PictureFrame& frame)
{
    ensureFolder(folder);
    // One pass over the entities, each primitive going straight into the
    // picture of its layer; then one file a layer.
    LayerSplitBackend pictures(frame, drawing.layers.size());
    const std::size_t outlined = drawPicture(drawing, frame, pictures);

    PictureStats stats;
    stats.outlinedInserts = outlined;
    QString firstError;
    int failures = 0;
    const QDir dir(folder);
    for (std::size_t i = 0; i < drawing.layers.size(); ++i) {
        const LayerRecord& layer = drawing.layers[i];
        if (choice == LayerChoice::VisibleLayers && (!layer.on || layer.frozen))
            continue;
        const QByteArray bytes = pictures.finish(int(i));
        QString error;
        if (metafile::writeFileAtomically(dir.filePath(acad::pictureFileName(layer.name)), bytes, &error,
                                          metafile::FileSync::RenameOnly)) {
            ++stats.files;
            stats.bytes += bytes.size();
        } else if (failures++ == 0) {
            firstError = error;
        }
    }
    if (failures)
        throw acad::AcadError(acad::error::kHostFailure,
                              QStringLiteral("%1 layer picture(s) could not be written, first: %2").arg(failures).arg(firstError));
    return stats;
}

void registerPictureMacros(MacroRegistry& registry)
{
    registry.registerMacro(acad::macro::kMakeAll, [](LocalApplication& application, const QString& projectFolder) {
        makeDrawingPicture(application, projectFolder, acad::kAllPictureName);
    });
    registry.registerMacro(acad::macro::kMakePart, [](LocalApplication& application, const QString& projectFolder) {
        makeDrawingPicture(application, projectFolder, acad::kPartPictureName);
    });
    registry.registerMacro(acad::macro::kMakeAllLayer, [](LocalApplication& application, const QString& projectFolder) {
        makeLayerPictures(application, projectFolder, LayerChoice::AllLayers);
    });
    registry.registerMacro(acad::macro::kMakeViewLayer, [](LocalApplication& application, const QString& projectFolder) {
        makeLayerPictures(application, projectFolder, LayerChoice::VisibleLayers);
    });
}

} // namespace cad::macros
