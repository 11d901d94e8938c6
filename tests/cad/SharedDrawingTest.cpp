// The drawing a document shares with the host window's worker: its entities
// and names stay as the worker found them while it holds them; layer changes
// never copy the drawing, and a rename copies it only while it is held.

#include "cad/CadDocument.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<cad::CadDocument> sample()
{
    return cad::CadDocument::open(QStringLiteral(KASANEMI_CAD_TESTDATA "/layers_r2000.dxf"));
}

std::vector<cad::NameId> entityLayers(const cad::Drawing& drawing)
{
    std::vector<cad::NameId> out;
    for (const cad::Entity& e : drawing.entities)
        out.push_back(e.layer);
    return out;
}

} // namespace

TEST(SharedDrawing, LayerChangesLeaveTheOneDrawingShared)
{
    auto document = sample();
    const std::shared_ptr<const cad::Drawing> shared = document->sharedDrawing();
    const int wall = document->layerIndex(QStringLiteral("壁"));
    document->setLayerOn(wall, false);
    document->setLayerFrozen(wall, true);
    document->setLayerLinetype(wall, QStringLiteral("DASHED"));
    document->setCurrentLayer(document->layerIndex(QStringLiteral("door2")));
    EXPECT_EQ(&document->drawing(), shared.get());  // no second copy of the drawing
    EXPECT_FALSE(shared->layers[std::size_t(wall)].on);
}

TEST(SharedDrawing, ARenameWhileTheDrawingIsHeldWorksOnACopy)
{
    auto document = sample();
    const std::shared_ptr<const cad::Drawing> held = document->sharedDrawing();
    const std::vector<cad::NameId> before = entityLayers(*held);
    const std::size_t names = held->names.size();
    const int wall = document->layerIndex(QStringLiteral("壁"));

    document->setLayerName(wall, QStringLiteral("外壁"));
    // What the holder reads is as it was...
    EXPECT_EQ(entityLayers(*held), before);
    EXPECT_EQ(held->names.size(), names);
    EXPECT_EQ(held->layers[std::size_t(wall)].name, QStringLiteral("壁"));
    // ...and the document has the renamed drawing, its entities moved along.
    const cad::Drawing& now = document->drawing();
    EXPECT_NE(&now, held.get());
    EXPECT_EQ(now.layers[std::size_t(wall)].name, QStringLiteral("外壁"));
    EXPECT_EQ(document->countOnLayers(QStringLiteral("外壁")), 3u);
    EXPECT_EQ(document->countOnLayers(QStringLiteral("壁")), 0u);

    // Once nobody else holds it, a rename changes it in place.
    const cad::Drawing* renamed = &document->drawing();
    document->setLayerName(wall, QStringLiteral("内壁"));
    EXPECT_EQ(&document->drawing(), renamed);
    EXPECT_EQ(document->countOnLayers(QStringLiteral("内壁")), 3u);
}
