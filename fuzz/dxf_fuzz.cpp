// libFuzzer target for the DXF reader: any bytes must either load or be
// refused with DxfFormatError; the loaded drawing is measured, drawn (every
// entity kind, proxy graphics, gradients and stored draw order included, each
// text cut into the pieces a metafile's character sets hold), counted and
// saved back to exercise the code that walks it. Read again as a stream (the
// inspector's way), it must give the same counts and the same extents.

#include "cad/CadDocument.h"
#include "cad/Extents.h"
#include "cad/dxf/DxfLayerWriter.h"
#include "cad/dxf/DxfLoader.h"
#include "cad/dxf/DxfTokenizer.h"
#include "cad/render/DrawingFrontend.h"
#include "metafile/WmfText.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

/// Takes every primitive and touches its points, so that the sanitizers see
/// what the frontend hands on.
class CheckingBackend : public cad::render::RenderBackend {
public:
    double sum = 0;
    void drawPolyline(const std::vector<QPointF>& points, bool, const cad::render::Style&) override { add(points); }
    void fillPolygons(const std::vector<std::vector<QPointF>>& loops, const cad::render::Style&) override
    {
        for (const auto& loop : loops)
            add(loop);
    }
    void drawCircle(QPointF centre, double radius, const cad::render::Style&) override { sum += centre.x() + radius; }
    void drawText(const cad::render::TextRun& text, const cad::render::Style&) override
    {
        for (const metafile::TextPiece& piece : metafile::splitMetafileText(text.text))
            sum += piece.text.size() + (piece.held ? 1 : 0);
    }
    void drawPoint(QPointF position, const cad::render::Style&) override { sum += position.y(); }

private:
    void add(const std::vector<QPointF>& points)
    {
        for (const QPointF& p : points)
            sum += p.x();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        cad::dxf::LoadedDrawing loaded =
            cad::dxf::loadDxf(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        const auto extents = cad::modelExtents(loaded.drawing);
        cad::StreamedModelExtents streamed;
        const cad::dxf::LoadedDrawing again =
            cad::dxf::loadDxf(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &streamed);
        const auto streamedExtents = streamed.finish(again.drawing);
        const auto corners = [](const std::optional<QRectF>& r) {
            return r ? std::array<double, 4>{r->left(), r->top(), r->right(), r->bottom()} : std::array<double, 4>{};
        };
        if (streamedExtents.has_value() != extents.has_value() || corners(streamedExtents) != corners(extents)
            || again.drawing.countsByLayerName() != loaded.drawing.countsByLayerName() || !again.drawing.entities.empty())
            __builtin_trap();
        CheckingBackend backend;
        // A coarse tolerance keeps huge curves cheap; the frame is what the pictures use.
        cad::render::DrawingFrontend frontend(loaded.drawing, 1.0);
        frontend.setFrame(extents.value_or(QRectF(0, 0, 1, 1)));
        frontend.drawModelSpace(backend);
        std::vector<cad::LayerRecord> changed = loaded.drawing.layers;
        for (auto& l : changed) {
            l.on = !l.on;
            l.frozen = !l.frozen;
            l.linetype = QStringLiteral("Continuous");
        }
        const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
        const QByteArray saved = cad::dxf::patchLayers(text, loaded.source, loaded.drawing.layers, changed,
                                                       loaded.drawing.clayer, QStringLiteral("壁"));
        // What we write must read again.
        (void)cad::dxf::loadDxf(saved);
    } catch (const cad::dxf::DxfFormatError&) {
    }
    return 0;
}
