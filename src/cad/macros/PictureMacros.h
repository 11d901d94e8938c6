#pragma once

// The picture macros of the macro project QEMTIN.dvb. They take the drawing
// as it is when they run (which layers are on and thawed is the refresh's
// business) and write into LAYER beside the project file:
//
//   pu_subMakeWMF_All        LAYER/SYS/all.wmf   the visible drawing
//   pu_subMakeWMF_Part       LAYER/SYS/part.wmf  the visible drawing
//   pu_subMakeWMF_AllLayer   LAYER/<layer>.wmf   every layer of the drawing
//   pu_subMakeWMF_ViewLayer  LAYER/<layer>.wmf   the layers that are on and
//                                                thawed when it runs
//
// A macro gets no input, so ViewLayer cannot know the viewer's list; the
// layers that are on and thawed are the ones the refresh has put back to the
// user's states, which is the list the viewer shows with "visible layers
// only". A layer that is off or frozen draws nothing, so AllLayer gives such
// a layer (at most the current one during a refresh) an empty picture.
//
// Every picture of one drawing shares one frame and one natural size (see
// render::PictureFrame). Layer pictures are made in one pass over the
// entities. File names come from acad::pictureFileName, so no layer name
// writes outside LAYER; each file is replaced atomically (temporary file and
// rename, without waiting for the disk: the pictures are made anew at every
// refresh and thrown away when the viewer closes).

#include "cad/Drawing.h"

#include <QString>

namespace cad {
class MacroRegistry;
}
namespace cad::render {
struct PictureFrame;
}

namespace cad::macros {

/// Registers the four macros (the host calls this once at start-up).
void registerPictureMacros(MacroRegistry& registry);

enum class LayerChoice {
    AllLayers,     ///< every layer of the table
    VisibleLayers, ///< the layers that are on and thawed
};

struct PictureStats {
    int files = 0;
    qint64 bytes = 0;
    /// Inserts drawn as their outline box because a picture reached the
    /// primitive budget (blocks nested too many times over).
    std::size_t outlinedInserts = 0;
};

/// One line for the command-line modes saying that pictures were cut short.
QString picturesCutNote(std::size_t outlinedInserts);
/// The metafile of the visible drawing, as pu_subMakeWMF_All writes it.
QByteArray drawingPicture(const Drawing& drawing, std::size_t* outlinedInserts = nullptr);
/// The metafile of one layer (table index) as the layer macros write it.
QByteArray layerPicture(const Drawing& drawing, int layer);

/// Writes the picture of the visible drawing to `path` (creating its folder).
/// Throws acad::AcadError (kHostFailure) when it cannot be written.
PictureStats writeDrawingPicture(const Drawing& drawing, const QString& path);
/// The same in `frame`, which must be the drawing's (PictureFrame::forDrawing;
/// it depends on the entities only, so one may serve every picture).
PictureStats writeDrawingPicture(const Drawing& drawing, const QString& path, const render::PictureFrame& frame);

/// Writes one picture per chosen layer into `folder` (created when missing).
/// The layer pictures are drawn in one pass and share one primitive budget,
/// so together they show what the picture of the whole drawing shows.
/// Every file that can be written is written; then a failure, if any, is
/// thrown as acad::AcadError (kHostFailure) naming the first one.
PictureStats writeLayerPictures(const Drawing& drawing, const QString& folder, LayerChoice choice);
/// The same in `frame`, the drawing's (as for writeDrawingPicture).
PictureStats writeLayerPictures(const Drawing& drawing, const QString& folder, LayerChoice choice,
                                const render::PictureFrame& frame);

/// The work folder beside a macro project: "<projectFolder>/LAYER".
QString pictureFolder(const QString& projectFolder);

} // namespace cad::macros
