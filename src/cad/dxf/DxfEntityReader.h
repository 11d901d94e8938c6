#pragma once

// Turns the groups of one DXF entity into an Entity of the model. Compound
// entities (POLYLINE + VERTEX..., INSERT + ATTRIB...) are folded together by
// the caller through appendVertex/appendAttribute.

#include "cad/Drawing.h"
#include "DxfText.h"
#include "DxfTokenizer.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace cad::dxf {

class DxfEntityReader {
public:
    DxfEntityReader(Drawing& drawing, DxfText& text);

    /// Builds the entity whose groups (the first is its "0" group) are given.
    Entity read(const std::vector<Group>& groups);
    /// Adds a VERTEX's point to the POLYLINE entity read last.
    void appendVertex(Entity& polyline, const std::vector<Group>& vertexGroups);
    /// Adds an ATTRIB (as a Text entity) to an INSERT entity.
    void appendAttribute(Entity& insert, const std::vector<Group>& attribGroups);

    /// The name id of a raw name value, decoded once per distinct spelling.
    NameId nameId(std::string_view raw);
    /// A BLOCK_RECORD's handle, by which MULTILEADERs name their content block.
    void addBlockRecord(std::string_view handle, const QString& name);

private:
    void readCommon(const Group& g, Entity& e);
    Entity readText(const std::vector<Group>& groups);
    // The newer entities (DxfNewerEntities.cpp); `end` bounds the entity's own groups.
    Geometry readMesh(const std::vector<Group>& groups, size_t end);
    Geometry readMLine(const std::vector<Group>& groups, size_t end);
    Geometry readMultiLeader(const std::vector<Group>& groups, size_t end);
    Geometry readImageFrame(const std::vector<Group>& groups, size_t end, bool wipeout);
    Geometry readInfiniteLine(const std::vector<Group>& groups, size_t end);
    /// The entity's proxy graphics, or monostate when it has none (or none readable).
    Geometry readProxyGraphics(const std::vector<Group>& groups, size_t end);
    void startMeshPolyline(Entity& e, std::int64_t flags, std::int64_t m, std::int64_t n);
    void appendMeshVertex(MeshGeom& mesh, const std::vector<Group>& vertexGroups);

    Drawing& m_drawing;
    DxfText& m_text;
    // Looked up by string_view without building a key string per entity.
    struct TransparentHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    std::unordered_map<std::string, NameId, TransparentHash, std::equal_to<>> m_nameCache;
    NameId m_layerZero;
    /// The POLYLINE read last lies in a mirrored object coordinate system;
    /// its vertices, which follow it, are mirrored too.
    bool m_polylineMirrored = false;
    /// The POLYLINE read last is curve- or spline-fitted (its frame vertices are skipped).
    bool m_polylineFitted = false;
    /// The polyface or polygon mesh POLYLINE read last: how its vertices join.
    struct MeshPolyline {
        bool polyface = false;
        std::int64_t rows = 0, columns = 0;
        bool closedRows = false, closedColumns = false;
        bool smoothed = false;
    } m_mesh;
    std::unordered_map<std::string, NameId> m_blockRecords; ///< upper-case handle -> block name
};

} // namespace cad::dxf
