#pragma once

// The live drawing the host holds: the loaded Drawing, where it came from, its
// named selection sets, and every change of layers the automation surface
// makes. Changes keep AutoCAD's rules and error numbers; `regen` tells the
// listeners (host window, picture renderer) that the drawing must be drawn anew.

#include "Drawing.h"
#include "DxfSource.h"
#include "EntityStream.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace cad {

class SelectionSetData;

class CadDocument : public QObject {
    Q_OBJECT
public:
    /// A new drawing "Drawing1.dwg" that has never been saved: layer "0" and
    /// the standard linetypes; its full name lies in the current folder where
    /// no file of that name exists.
    CadDocument();
    /// Loads the drawing at `path`, a DXF file or a DWG (read through the DWG
    /// converter): every mode and the File menu open drawings here. Throws
    /// acad::AcadError (kHostFailure) with a one-line description naming the
    /// file when it cannot be read as a drawing. With a `stream`, the
    /// drawing's entities go to it as they are read and the document keeps
    /// none: it answers for its tables and counts, not its entities. Opened
    /// to report, the document is read a little faster and can never be saved.
    static std::unique_ptr<CadDocument> open(const QString& path, EntityStream* stream = nullptr,
                                             ReadPurpose purpose = ReadPurpose::Keep);
    ~CadDocument() override;

    const Drawing& drawing() const { return *m_drawing; }
    /// The drawing for reading on another thread (the host window's picture).
    /// Its entities, blocks and names stay as they are while it is held: a
    /// rename, the one change that moves entities, then works on a copy. Its
    /// layer table, current layer and lookups are the live ones, changed by
    /// the calls; such a reader takes the table from a copy made on this
    /// thread (PropertyResolver draws with a table of its own).
    std::shared_ptr<const Drawing> sharedDrawing() const { return m_drawing; }
    QString fullName() const { return m_fullName; }
    QString name() const;
    /// Bytes of the drawing's file text this document holds in memory: 0 for
    /// a drawing read from a file, whose text is read back only to save.
    qsizetype heldTextBytes() const { return m_source.text.heldBytes(); }
    /// True for a drawing read from a DWG file: it keeps the DWG's name, but
    /// Save is refused (nothing here writes DWG) and Save As writes DXF.
    bool isDwg() const { return m_dwg; }
    /// True once the layers or the current layer changed since load/save.
    bool isModified() const { return m_modified; }
    /// One line saying what is wrong with the file as loaded (it ends before
    /// its EOF marker), or "" for a sound file.
    QString loadWarning() const { return m_loadWarning; }

    // --- layers (index = table position; throw acad::AcadError) -------------
    int layerCount() const { return int(m_drawing->layers.size()); }
    /// Table index of `name` (case-insensitive); throws kKeyNotFound.
    int layerIndex(const QString& name) const;
    const LayerRecord& layer(int index) const;
    void setLayerOn(int index, bool on);
    /// Throws kCurrentLayerFrozen when freezing the current layer.
    void setLayerFrozen(int index, bool frozen);
    void setLayerLocked(int index, bool locked);
    /// Throws kKeyNotFound when the drawing has no such linetype; stores the
    /// table's spelling of the name.
    void setLayerLinetype(int index, const QString& linetype);
    /// Throws kInvalidArgument for an empty name or one already in the table.
    void setLayerName(int index, const QString& name);
    /// The current layer's table index ($CLAYER; layer "0" when it names none).
    int currentLayer() const;
    /// Throws kFrozenLayerCurrent for a frozen layer.
    void setCurrentLayer(int index);

    // --- selection sets ------------------------------------------------------
    int selectionSetCount() const { return int(m_selectionSets.size()); }
    std::shared_ptr<SelectionSetData> selectionSet(int index) const;
    /// The most selection sets one drawing holds, as in the CAD.
    static constexpr std::size_t kMaxSelectionSets = 128;
    /// Throws kInvalidArgument when the name is empty or already used,
    /// kLimitReached when the drawing holds kMaxSelectionSets already.
    std::shared_ptr<SelectionSetData> addSelectionSet(const QString& name);
    void removeSelectionSet(const SelectionSetData* set);
    /// Number of model/paper-space entities on layers whose name matches the
    /// wildcard `pattern` (AutoCAD's rules, case-insensitive).
    std::uint32_t countOnLayers(const QString& pattern) const;
    /// Indexes (into Drawing::entities) of the entities on layers whose name
    /// matches `pattern`, in file order.
    std::vector<std::uint32_t> entitiesOnLayers(const QString& pattern) const;

    /// modelExtents() of the drawing, worked out on the first call: entities
    /// keep their geometry while the host runs (a rename only moves them to
    /// another layer name), so every picture of the document shares it.
    std::optional<QRectF> modelExtents() const;

    // --- regeneration and saving --------------------------------------------
    /// Tells every listener to redraw; `which` is accepted as AutoCAD does (0 or 1).
    void regen(int which);
    /// Writes the changed layer entries and $CLAYER back into the file it was
    /// loaded from, every other byte unchanged. Throws kHostFailure when the
    /// drawing was never saved, when the file changed on disk since it was
    /// loaded (unless `force`), or when it cannot be written;
    /// kDrawingNotWritable for a DWG.
    void save(bool force = false);
    /// Writes the drawing to `path` the same way (always DXF text) and makes it
    /// the full name. Throws kDrawingNotWritable for a path ending in .dwg.
    void saveAs(const QString& path);

    /// Tells the listeners that a picture of the drawing was cut short:
    /// `outlinedInserts` inserts were drawn as their outline box (nothing
    /// happens for 0).
    void notePicturesCut(std::size_t outlinedInserts);

signals:
    void regenerated();
    void picturesCut(qulonglong outlinedInserts);
    void layersChanged();

private:
    CadDocument(Drawing drawing, DxfSource source, QString fullName, QString loadWarning);
    void checkIndex(int index) const;
    void markChanged();
    /// Layer-name ids (of names entities use) that match `pattern`.
    std::vector<NameId> matchingLayerNames(const QString& pattern) const;
    /// The used layer names by folded spelling (for matchingLayerNames).
    void buildNameIndex() const;
    /// The entities grouped by layer name (for entitiesOnLayers).
    void buildLayerIndex() const;
    void writeFile(const QString& path, bool checkStamp);
    /// The text as loaded, read back through the kept file; refused (host
    /// error) when that file was rewritten in place since.
    QByteArray loadedText() const;
    /// The text of the file at `path` to patch for Save: refused as changed
    /// on disk unless it is still the text as loaded.
    QByteArray unchangedFileText(const QString& path) const;
    /// The drawing, copied first when another thread holds it, for a change
    /// of what sharedDrawing() promises stays as it is.
    Drawing& unsharedDrawing();

    /// Shared with readers on other threads; see sharedDrawing().
    std::shared_ptr<Drawing> m_drawing;
    DxfSource m_source;
    /// The layer table and current layer as last saved or loaded, to know
    /// which entries changed.
    std::vector<LayerRecord> m_savedLayers;
    QString m_savedClayer;
    QString m_fullName;
    QString m_loadWarning;
    bool m_modified = false;
    bool m_renamed = false;
    bool m_dwg = false;
    std::vector<std::shared_ptr<SelectionSetData>> m_selectionSets;

    // Entities grouped by layer-name id (built on first use): the entities of
    // name id k are m_byLayer[m_byLayerStart[k] .. m_byLayerStart[k + 1]).
    mutable std::vector<std::uint32_t> m_byLayerStart;
    mutable std::vector<std::uint32_t> m_byLayer;
    mutable QHash<QString, std::vector<NameId>> m_layerNamesFolded;
    mutable bool m_nameIndexBuilt = false;
    mutable bool m_indexBuilt = false;
    /// modelExtents(), once worked out (the outer optional).
    mutable std::optional<std::optional<QRectF>> m_modelExtents;
};

/// A named selection set's contents: the entities that the last Select found
/// (their indexes into Drawing::entities).
class SelectionSetData {
public:
    explicit SelectionSetData(QString name) : m_name(std::move(name)) {}
    const QString& name() const { return m_name; }
    bool isErased() const { return m_erased; }
    void markErased() { m_erased = true; }
    std::vector<std::uint32_t> members;

private:
    QString m_name;
    bool m_erased = false;
};

} // namespace cad
