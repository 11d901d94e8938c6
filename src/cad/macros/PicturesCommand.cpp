#include "cad/macros/PicturesCommand.h"

#include "acad/AcadError.h"
#include "acad/LayerStates.h"
#include "acad/PictureProtocol.h"
#include "cad/CadDocument.h"
#include "cad/local/LocalApplication.h"
#include "cad/macros/PictureMacros.h"
#include "cad/render/PictureFrame.h"

#include <QDir>
#include <QTextStream>

namespace cad::macros {

int runPicturesCommand(const QString& dxfPath, const QString& folder, QTextStream& output, QTextStream& errors)
{
    std::unique_ptr<CadDocument> document;
    try {
        document = CadDocument::open(dxfPath);
        if (!document->loadWarning().isEmpty())
            errors << "kasanemi-cad: warning: " << document->loadWarning() << Qt::endl;
    } catch (const acad::AcadError& e) {
        errors << "kasanemi-cad: " << e.description() << Qt::endl;
        return 2;
    } catch (const std::exception& e) {
        errors << "kasanemi-cad: cannot read " << dxfPath << ": " << e.what() << Qt::endl;
        return 2;
    }
    try {
        // As a refresh does, through the same surface: nothing is saved.
        const auto host = std::make_shared<LocalApplication>(std::move(document));
        acad::switchLayersOnAndThawed(*host->activeDocument());
        const Drawing& drawing = host->document().drawing();
        // One frame for every picture, as the macros of a refresh share the document's.
        const render::PictureFrame frame = render::PictureFrame::forDrawing(drawing);
        const PictureStats whole = writeDrawingPicture(
            drawing, acad::systemFolderIn(QDir::cleanPath(folder)) + u'/' + acad::kAllPictureName, frame);
        const PictureStats layers = writeLayerPictures(drawing, folder, LayerChoice::AllLayers, frame);
        if (const std::size_t cut = std::max(whole.outlinedInserts, layers.outlinedInserts))
            errors << "kasanemi-cad: warning: " << picturesCutNote(cut) << Qt::endl;
        output << "kasanemi-cad: " << whole.files + layers.files << " pictures, " << whole.bytes + layers.bytes
               << " bytes in " << QDir::toNativeSeparators(folder) << Qt::endl;
        return 0;
    } catch (const acad::AcadError& e) {
        errors << "kasanemi-cad: " << e.description() << Qt::endl;
        return 1;
    }
}

int runPictures(const QStringList& args)
{
    QTextStream output(stdout), errors(stderr);
    if (args.size() != 2) {
        errors << "usage: kasanemi-cad --pictures FILE.dxf DIR" << Qt::endl;
        return 2;
    }
    return runPicturesCommand(args[0], args[1], output, errors);
}

} // namespace cad::macros
