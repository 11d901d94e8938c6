#pragma once

// Turns the groups of one DXF entity into an Entity of the model. Each kind
// has a reader of its own, found by the entity's name in one table
// (DxfEntityReader.cpp); the readers live by family:
//   DxfCurveReaders.cpp          LINE, LWPOLYLINE, POLYLINE and its VERTEXes, CIRCLE, ARC,
//                                ELLIPSE, SPLINE, POINT, SOLID, TRACE, 3DFACE, LEADER
//   DxfTextReaders.cpp           TEXT, ATTRIB, ATTDEF, MTEXT
//   DxfHatchReader.cpp           HATCH, MPOLYGON
//   DxfBlockReferenceReaders.cpp INSERT, DIMENSION, ACAD_TABLE, VIEWPORT
//   DxfNewerEntities.cpp         MESH, MLINE, MULTILEADER, IMAGE, WIPEOUT, XLINE, RAY,
//                                polyface and polygon meshes, proxy graphics
// Compound entities (POLYLINE + VERTEX..., INSERT + ATTRIB...) are folded
// together by the caller through appendVertex/appendAttribute. What cannot be
// read is noted in the drawing's `readNotes`.

#include "cad/Drawing.h"
#include "DxfText.h"
#include "DxfTokenizer.h"
#include "RawNameIds.h"

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
    /// A decoded value that many entities repeat (a hatch's pattern name):
    /// one string for every spelling, shared by the entities that use it.
    const QString& sharedText(std::string_view raw);
    /// A BLOCK_RECORD's handle, by which MULTILEADERs name their content block.
    void addBlockRecord(std::string_view handle, const QString& name);

private:
    /// One entity's groups as a reader sees them.
    struct EntityGroups {
        const std::vector<Group>& all;
        /// The entity's own groups end here: extended data (1000+) and
        /// embedded objects (101) reuse its codes.
        size_t end;
        /// The entity lies in an object coordinate system whose Z points
        /// down (extrusion 0,0,-1); set from group 230 for the kinds that
        /// follow their OCS, and cleared by a reader that finds otherwise.
        bool mirrored = false;
    };
    using KindReader = Geometry (DxfEntityReader::*)(EntityGroups&);
    struct Kind {
        EntityType type;
        KindReader reader;
        /// Drawn in its object coordinate system (a negative extrusion mirrors it).
        bool followsOcs;
    };
    static const std::unordered_map<std::string_view, Kind>& kinds();

    void readCommon(const Group& g, Entity& e);

    // Curves (DxfCurveReaders.cpp).
    Geometry readLine(EntityGroups& in);
    Geometry readLwPolyline(EntityGroups& in);
    Geometry readPolyline(EntityGroups& in);
    Geometry readCircle(EntityGroups& in);
    Geometry readArc(EntityGroups& in);
    Geometry readEllipse(EntityGroups& in);
    Geometry readSpline(EntityGroups& in);
    Geometry readPoint(EntityGroups& in);
    Geometry readQuad(EntityGroups& in);
    Geometry readLeader(EntityGroups& in);

    // Text (DxfTextReaders.cpp).
    Geometry readText(EntityGroups& in);
    Geometry readAttribute(EntityGroups& in);
    Geometry readAttributeDefinition(EntityGroups& in);
    Geometry readMText(EntityGroups& in);
    TextGeom readTextGeom(const EntityGroups& in, bool attribute);

    // Hatches (DxfHatchReader.cpp).
    Geometry readHatch(EntityGroups& in);
    Geometry readMPolygon(EntityGroups& in);
    Geometry readHatchOrMPolygon(const EntityGroups& in, bool mpolygon);

    // Block references (DxfBlockReferenceReaders.cpp).
    Geometry readInsert(EntityGroups& in);
    Geometry readDimension(EntityGroups& in);
    Geometry readTable(EntityGroups& in);
    Geometry readViewport(EntityGroups& in);

    // The newer entities (DxfNewerEntities.cpp).
    Geometry readMesh(EntityGroups& in);
    Geometry readMLine(EntityGroups& in);
    Geometry readMultiLeader(EntityGroups& in);
    Geometry readImage(EntityGroups& in);
    Geometry readWipeout(EntityGroups& in);
    Geometry readImageFrame(const EntityGroups& in, bool wipeout);
    Geometry readInfiniteLine(EntityGroups& in);
    /// The entity's proxy graphics, or monostate when it has none (or none readable).
    Geometry readProxyGraphics(const EntityGroups& in);
    Geometry startMeshPolyline(std::int64_t flags, std::int64_t m, std::int64_t n);
    void appendMeshVertex(MeshGeom& mesh, const std::vector<Group>& vertexGroups);

    Drawing& m_drawing;
    DxfText& m_text;
    RawNameIds m_nameIds;
    // Looked up by string_view without building a key string per entity.
    struct TransparentHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    std::unordered_map<std::string, QString, TransparentHash, std::equal_to<>> m_sharedTexts;
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
