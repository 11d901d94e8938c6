// libFuzzer target for the DXF reader: any bytes must either load or be
// refused with DxfFormatError; the loaded drawing is measured, counted and
// saved back to exercise the code that walks it.

#include "cad/CadDocument.h"
#include "cad/Extents.h"
#include "cad/dxf/DxfLayerWriter.h"
#include "cad/dxf/DxfLoader.h"
#include "cad/dxf/DxfTokenizer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        cad::dxf::LoadedDrawing loaded =
            cad::dxf::loadDxf(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        (void)cad::modelExtents(loaded.drawing);
        std::vector<cad::LayerRecord> changed = loaded.drawing.layers;
        for (auto& l : changed) {
            l.on = !l.on;
            l.frozen = !l.frozen;
            l.linetype = QStringLiteral("Continuous");
        }
        const QByteArray saved = cad::dxf::patchLayers(loaded.source, loaded.drawing.layers, changed,
                                                       loaded.drawing.clayer, QStringLiteral("壁"));
        // What we write must read again.
        (void)cad::dxf::loadDxf(saved);
    } catch (const cad::dxf::DxfFormatError&) {
    }
    return 0;
}
