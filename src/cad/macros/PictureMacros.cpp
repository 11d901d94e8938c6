#include "cad/macros/PictureMacros.h"

#include "acad/AcadError.h"
#include "acad/PictureFileName.h"
#include "cad/MacroRegistry.h"
#include "cad/local/LocalApplication.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/PictureFrame.h"
#include "cad/render/RecordingBackend.h"
#include "cad/render/WmfBackend.h"
#include "metafile/WmfWriter.h"

#include <QDir>
#include <QFileInfo>

namespace cad::macros {

namespace {

void ensureFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        throw acad::AcadError(acad::error::kHostFailure,
                              QStringLiteral("Cannot create the picture folder %1").arg(QDir::toNativeSeparators(folder)));
}

QByteArray pictureOf(const render::RecordingBackend* recording, int layer, const Drawing& drawing,
                     const render::PictureFrame& frame)
{
    metafile::WmfWriter writer(frame.logical, frame.unitsPerInch);
    render::WmfBackend backend(writer, frame);
    if (recording)
        recording->replay(layer, backend);
    else
        render::DrawingFrontend(drawing, frame.tolerance()).drawModelSpace(backend);
    return writer.finish();
}

void makeDrawingPicture(LocalApplication& application, const QString& projectFolder, const QString& fileName)
{
    const QString folder = pictureFolder(projectFolder) + QStringLiteral("/SYS");
    writeDrawingPicture(application.document().drawing(), folder + u'/' + fileName);
}

} // namespace

QString pictureFolder(const QString& projectFolder)
{
    return QDir(projectFolder).filePath(QStringLiteral("LAYER"));
}

PictureStats writeDrawingPicture(const Drawing& drawing, const QString& path)
{
    ensureFolder(QFileInfo(path).absolutePath());
    const render::PictureFrame frame = render::PictureFrame::forDrawing(drawing);
    const QByteArray bytes = pictureOf(nullptr, -1, drawing, frame);
    QString error;
    if (!metafile::writeFileAtomically(path, bytes, &error, metafile::FileSync::RenameOnly))
        throw acad::AcadError(acad::error::kHostFailure, QStringLiteral("Cannot write the picture %1").arg(error));
    return {1, bytes.size()};
}

PictureStats writeLayerPictures(const Drawing& drawing, const QString& folder, LayerChoice choice)
{
    ensureFolder(folder);
    const render::PictureFrame frame = render::PictureFrame::forDrawing(drawing);
    // One pass over the entities, each primitive filed under its layer; then
    // one file per layer from its own group.
    render::RecordingBackend recording;
    render::DrawingFrontend(drawing, frame.tolerance()).drawModelSpace(recording);

    PictureStats stats;
    QString firstError;
    int failures = 0;
    const QDir dir(folder);
    for (std::size_t i = 0; i < drawing.layers.size(); ++i) {
        const LayerRecord& layer = drawing.layers[i];
        if (choice == LayerChoice::VisibleLayers && (!layer.on || layer.frozen))
            continue;
        const QByteArray bytes = pictureOf(&recording, int(i), drawing, frame);
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
    registry.registerMacro(kMakeAll, [](LocalApplication& application, const QString& projectFolder) {
        makeDrawingPicture(application, projectFolder, QStringLiteral("all.wmf"));
    });
    registry.registerMacro(kMakePart, [](LocalApplication& application, const QString& projectFolder) {
        makeDrawingPicture(application, projectFolder, QStringLiteral("part.wmf"));
    });
    registry.registerMacro(kMakeAllLayer, [](LocalApplication& application, const QString& projectFolder) {
        writeLayerPictures(application.document().drawing(), pictureFolder(projectFolder), LayerChoice::AllLayers);
    });
    registry.registerMacro(kMakeViewLayer, [](LocalApplication& application, const QString& projectFolder) {
        writeLayerPictures(application.document().drawing(), pictureFolder(projectFolder), LayerChoice::VisibleLayers);
    });
}

} // namespace cad::macros
