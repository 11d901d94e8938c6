#include "ExportDrawing.h"

#include "acad/LayerCounts.h"
#include "acad/LayerStates.h"
#include "acad/PictureProtocol.h"
#include "app/StaleWorkFolders.h"
#include "cad/MacroRegistry.h"
#include "cad/macros/PictureMacros.h"

#include <QDir>
#include <QFile>

#include <stdexcept>
#include <utility>

namespace cad::cli {

std::shared_ptr<CadDocument> openForExport(const QString& path, QTextStream& errors)
{
    std::shared_ptr<CadDocument> drawing = CadDocument::open(path);
    if (!drawing->loadWarning().isEmpty())
        errors << "kasanemi-cad: warning: " << drawing->loadWarning() << Qt::endl;
    // Said once, however many pictures the macro draws cut short.
    auto said = std::make_shared<bool>(false);
    QObject::connect(drawing.get(), &CadDocument::picturesCut, drawing.get(), [&errors, said](qulonglong outlined) {
        if (!std::exchange(*said, true))
            errors << "kasanemi-cad: warning: " << macros::picturesCutNote(outlined) << Qt::endl;
    });
    return drawing;
}

QString drawLayerPictures(const acad::ApplicationPtr& host, const acad::DocumentPtr& document,
                          const QString& workFolder)
{
    // As the refresh does before its pictures.
    acad::switchLayersOnAndThawed(*document);

    // A macro project of the one macro needed, so the pictures go to a work
    // folder of our own.
    macros::registerPictureMacros(MacroRegistry::global());
    const QString project = QDir(workFolder).filePath(QStringLiteral("QEMTIN.dvb"));
    QFile manifest(project);
    // Checked to the end: on a full temporary folder a buffered write
    // succeeds and only the flush fails, which would leave an empty project
    // and a misleading "macro not found".
    const QByteArray manifestText = acad::macro::kMakeAllLayer.toUtf8() + '\n';
    if (!manifest.open(QIODevice::WriteOnly) || manifest.write(manifestText) != manifestText.size()
        || !manifest.flush())
        throw std::runtime_error(QStringLiteral("cannot write %1: %2").arg(project, manifest.errorString()).toStdString());
    manifest.close();
    host->loadDVB(project);
    host->runMacro(acad::macro::kMakeAllLayer);
    return macros::pictureFolder(workFolder);
}

QStringList exportedLayers(const acad::DocumentPtr& document, const QStringList& named)
{
    const acad::LayersPtr layers = document->layers();
    QStringList chosen;
    for (qint32 i = 0; i < layers->count(); ++i) {
        const QString name = layers->item(i)->name();
        if (named.isEmpty() ? acad::CountLayerObjects(document, name) > 0 : named.contains(name))
            chosen << name;
    }
    return chosen;
}

std::unique_ptr<QTemporaryDir> makeExportWorkFolder(QTextStream& errors)
{
    // Folders that killed exports left behind go first; ours names this process.
    app::removeStaleWorkFolders(QStringLiteral("export"), QDir::tempPath());
    auto work = std::make_unique<QTemporaryDir>(app::workFolderTemplate(QStringLiteral("export")));
    if (work->isValid())
        return work;
    errors << "kasanemi-cad: cannot make a work folder: " << work->errorString() << Qt::endl;
    return nullptr;
}

} // namespace cad::cli
