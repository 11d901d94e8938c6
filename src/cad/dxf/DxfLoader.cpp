// One pass over a drawing's sections; a little over 600 lines because every
// section reader shares the Loader's record state (the current and next record).

#include "DxfLoader.h"

#include "DxfDrawOrder.h"
#include "DxfFileBuffer.h"
#include "DxfEntityReader.h"
#include "DxfText.h"
#include "DxfTokenizer.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

#include <unordered_map>
#include <unordered_set>

namespace cad::dxf {

namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool isKeyword(const Group& g, std::string_view word)
{
    return g.code == 0 && trimmed(g.value) == word;
}

bool startsWithNoCase(const QString& s, const char* prefix)
{
    return s.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

class Loader {
public:
    /// Reads `bytes`; with a `buffer` (whose text they are) the parse gives
    /// back what it has passed as it goes.
    Loader(QByteArray bytes, DxfFileBuffer* buffer, EntityStream* stream)
        : m_bytes(std::move(bytes)), m_buffer(buffer), m_tok(m_bytes), m_stream(stream) {}

    LoadedDrawing run();

private:
    /// Reads the groups of one record (from a "0" group to before the next
    /// "0") into m_groups, or hands back the record unread before; false at
    /// the end of the data.
    bool readRecord();
    /// The record in m_groups is read again by the next readRecord().
    void unreadRecord() { m_recordPending = true; }
    std::string_view kind() const { return trimmed(m_groups.front().value); }
    bool atEnd(std::string_view sectionEnd) const;
    void readHeader();
    void readTables();
    void readLayer();
    void readLinetype();
    void readBlocks();
    void readObjects();
    void readMLineStyle();
    void skipSection();
    /// Reads entities until ENDSEC, ENDBLK or EOF (left unread). With
    /// `layout` -1 an entity is in model space unless its group 67 puts it in
    /// the active paper space.
    void readEntityList(std::vector<Entity>& target, int layout);
    void readEntityRecords(std::vector<Entity>& target, int layout, bool streamed);
    /// Passes the drawing's entities read whole so far on to m_stream.
    void handOn(std::vector<Entity>& entities);
    int paperLayout(const QString& blockName);
    void resolvePlotStyles();
    void applyDrawOrders();
    void addStandardTableEntries();

    QByteArray m_bytes;
    DxfFileBuffer* m_buffer;
    DxfTokenizer m_tok;
    EntityStream* m_stream = nullptr;
    LoadedDrawing m_out;
    DxfText m_text;
    std::unique_ptr<DxfEntityReader> m_reader;
    std::vector<Group> m_groups;
    Group m_next;
    bool m_haveNext = false;
    bool m_recordPending = false;
    bool m_sawSection = false;
    QByteArray m_clayerRaw;
    std::unordered_map<std::string, QString> m_blockRecordNames; ///< upper-case handle -> name
    std::vector<SortTable> m_sortTables;
    // A layer's group 390 is the handle of a placeholder object that the
    // plot-style dictionary names.
    std::vector<std::pair<size_t, std::string>> m_layerPlotStyleHandles;
    std::unordered_map<std::string, std::string> m_dictionaryNames; // upper-case handle -> raw name
};

std::string upperHandle(std::string_view v)
{
    std::string h(trimmed(v));
    for (char& c : h) c = char(std::toupper((unsigned char)c));
    return h;
}

bool Loader::readRecord()
{
    if (m_recordPending) {
        m_recordPending = false;
        return true;
    }
    m_groups.clear();
    if (m_haveNext) {
        // Nothing read before the next record is looked at again: names and
        // values kept are copies, byte ranges offsets.
        if (m_buffer)
            m_buffer->doneBefore(m_next.offset);
        m_groups.push_back(m_next);
        m_haveNext = false;
    } else if (Group first; m_tok.next(first)) {
        m_groups.push_back(first);
    } else {
        return false;
    }
    // Each group is read straight into its place in the record.
    for (;;) {
        Group& g = m_groups.emplace_back();
        if (!m_tok.next(g)) {
            m_groups.pop_back();
            return true;
        }
        if (g.code == 0) {
            m_next = g;
            m_haveNext = true;
            m_groups.pop_back();
            return true;
        }
    }
}

bool Loader::atEnd(std::string_view sectionEnd) const
{
    const Group& head = m_groups.front();
    return head.code == 0 && (trimmed(head.value) == sectionEnd || trimmed(head.value) == "EOF"
                              || trimmed(head.value) == "SECTION");
}

LoadedDrawing Loader::run()
{
    m_out.source.lineEnd = m_tok.lineEnd();
    m_reader = std::make_unique<DxfEntityReader>(m_out.drawing, m_text);
    // An entity takes 100 to 250 bytes of DXF text (an R12 LINE 60). The
    // array is reserved once for the densest common case, so that it never
    // grows by copying itself (for a moment twice its size); the part never
    // written to is address space only, no memory.
    if (!m_stream) {
        m_out.drawing.entities.reserve(size_t(m_bytes.size() / 100));
        adviseHugePages(m_out.drawing.entities.data(), m_out.drawing.entities.capacity() * sizeof(Entity));
    }
    bool sawEof = false;
    while (readRecord()) {
        const Group& head = m_groups.front();
        if (head.code == 999)
            continue; // comment
        if (isKeyword(head, "EOF")) {
            sawEof = true;
            break;
        }
        if (!isKeyword(head, "SECTION")) {
            if (!m_sawSection)
                throw DxfFormatError(DxfFormatError::Kind::NoLeadingSection);
            continue; // stray groups between sections
        }
        m_sawSection = true;
        std::string_view name;
        for (const Group& g : m_groups)
            if (g.code == 2) { name = trimmed(g.value); break; }
        if (name == "HEADER") readHeader();
        else if (name == "TABLES") readTables();
        else if (name == "BLOCKS") readBlocks();
        else if (name == "ENTITIES") {
            readEntityList(m_out.drawing.entities, -1);
            if (readRecord() && !isKeyword(m_groups.front(), "ENDSEC")) unreadRecord();
        }
        else if (name == "OBJECTS") readObjects();
        else skipSection();
    }
    if (!m_sawSection)
        throw DxfFormatError(DxfFormatError::Kind::NoSections);
    m_out.truncated = !sawEof;
    m_out.lastLine = m_tok.lineNumber();
    resolvePlotStyles();
    applyDrawOrders();
    addStandardTableEntries();
    // Text read before the header named the code page (none in a sane file)
    // stays as decoded; the table, block and entity names follow the header.
    m_out.drawing.rebuildIndex();
    return std::move(m_out);
}

void Loader::skipSection()
{
    while (readRecord()) {
        if (isKeyword(m_groups.front(), "ENDSEC"))
            return;
        if (atEnd("ENDSEC")) { unreadRecord(); return; }
    }
}

void Loader::readHeader()
{
    // The header variables hold no "0" groups, so the whole section came in
    // with its SECTION record.
    Drawing& d = m_out.drawing;
    QString current;
    bool waiting = false;
    for (size_t i = 1; i < m_groups.size(); ++i) {
        const Group& g = m_groups[i];
        if (g.code == 9) {
            const auto name = trimmed(g.value);
            current = QString::fromLatin1(name.data(), qsizetype(name.size()));
            waiting = true;
            continue;
        }
        if (!waiting)
            continue;
        waiting = false; // a variable's first value is the one that counts
        const QString value = QString::fromLatin1(g.value.data(), qsizetype(g.value.size()));
        if (current == QLatin1String("$ACADVER") && !d.hasVersion) {
            d.version = value;
            d.hasVersion = true;
        } else if (current == QLatin1String("$DWGCODEPAGE") && !d.hasCodepage) {
            d.codepage = value;
            d.hasCodepage = true;
        } else if (current == QLatin1String("$LTSCALE")) {
            const double scale = g.toDouble();
            if (scale > 0 && std::isfinite(scale))
                d.linetypeScale = scale;
        } else if (current == QLatin1String("$LWDEFAULT")) {
            d.defaultLineweight = std::int16_t(std::clamp<std::int64_t>(g.toInt(), 0, 211));
        } else if (current == QLatin1String("$LWDISPLAY")) {
            d.lineweightDisplay = g.toInt() != 0;
        } else if (current == QLatin1String("$CLAYER") && !d.hasClayer) {
            m_clayerRaw = QByteArray(g.value.data(), qsizetype(g.value.size()));
            m_out.source.clayerValue = GroupSpan{g.code, g.valueOffset, g.valueOffset + qsizetype(g.value.size())};
            d.hasClayer = true;
        }
    }
    if (readRecord()) {
        m_out.source.headerEnd = m_groups.front().offset;
        if (!isKeyword(m_groups.front(), "ENDSEC"))
            unreadRecord();
    }
    m_out.source.encoding = encodingFor(d.version, d.codepage);
    m_text = DxfText(m_out.source.encoding);
    d.clayer = m_text.decode(std::string_view(m_clayerRaw.constData(), size_t(m_clayerRaw.size())));
}

void Loader::readTables()
{
    while (readRecord()) {
        if (isKeyword(m_groups.front(), "ENDSEC"))
            return;
        if (atEnd("ENDSEC")) { unreadRecord(); return; }
        if (kind() == "LAYER") {
            readLayer();
        } else if (kind() == "LTYPE") {
            readLinetype();
        } else if (kind() == "BLOCK_RECORD") {
            std::string_view handle;
            QString name;
            for (const Group& g : m_groups) {
                if (g.code == 5 && handle.empty()) handle = g.value;
                else if (g.code == 2 && name.isEmpty()) name = m_text.decode(trimmed(g.value));
            }
            if (!handle.empty() && !name.isEmpty()) {
                m_reader->addBlockRecord(handle, name);
                m_blockRecordNames[upperHandle(handle)] = name;
            }
        }
    }
}

void Loader::readLayer()
{
    LayerRecord layer;
    LayerEntrySpan span;
    span.begin = m_groups.front().offset;
    span.end = m_haveNext ? m_next.offset : m_bytes.size();
    bool hasName = false, hasFlags = false, hasColor = false, hasLinetype = false,
         hasWeight = false, hasPlot = false;
    span.groups.reserve(m_groups.size());
    for (const Group& g : m_groups) {
        span.groups.push_back({g.code, g.valueOffset, g.valueOffset + qsizetype(g.value.size())});
        if (g.code >= 1000)
            continue; // extended data belongs to applications
        switch (g.code) {
        case 2:
            if (!hasName) { layer.name = m_text.decode(g.value); hasName = true; }
            break;
        case 70:
            if (!hasFlags) {
                const auto f = g.toInt();
                layer.frozen = f & 1;
                layer.frozenInNewViewports = f & 2;
                layer.locked = f & 4;
                hasFlags = true;
            }
            break;
        case 62:
            if (!hasColor) {
                // A negative colour means the layer is off.
                const auto c = g.toInt();
                layer.on = c >= 0;
                layer.color = std::int16_t(std::min<std::int64_t>(c < 0 ? -c : c, 32767));
                hasColor = true;
            }
            break;
        case 420:
            layer.trueColor = std::int32_t(g.toInt() & 0xFFFFFF);
            break;
        case 6:
            if (!hasLinetype) { layer.linetype = m_text.decode(g.value); hasLinetype = true; }
            break;
        case 370:
            if (!hasWeight) { layer.lineweight = std::int32_t(g.toInt()); hasWeight = true; }
            break;
        case 290:
            if (!hasPlot) { layer.plottable = g.toInt() != 0; hasPlot = true; }
            break;
        case 390:
            m_layerPlotStyleHandles.emplace_back(m_out.drawing.layers.size(), upperHandle(g.value));
            break;
        default:
            break;
        }
    }
    m_out.drawing.layers.push_back(std::move(layer));
    m_out.source.layerEntries.push_back(std::move(span));
}

void Loader::readLinetype()
{
    QString name;
    LinetypePattern pattern;
    bool hasName = false;
    // The text element being read: groups 46 to 9 after a 74 that says text.
    LinetypeText* text = nullptr;
    for (const Group& g : m_groups) {
        if (g.code >= 1000)
            break; // extended data belongs to applications
        const double value = g.code >= 40 && g.code < 60 ? g.toDouble() : 0;
        const double finite = std::isfinite(value) ? value : 0.0;
        switch (g.code) {
        case 2:
            if (!hasName) {
                name = m_text.decode(g.value);
                hasName = true;
            }
            break;
        case 49:
            pattern.elements.push_back(finite);
            text = nullptr;
            break;
        case 74:
            text = nullptr;
            if ((g.toInt() & 2) && !pattern.elements.empty()) {
                LinetypeText t;
                t.element = pattern.elements.size() - 1;
                t.absolute = g.toInt() & 1;
                t.upright = g.toInt() & 8;
                pattern.texts.push_back(t);
                text = &pattern.texts.back();
            }
            break;
        case 46: if (text) text->height = finite; break;
        case 50: if (text) text->rotation = finite; break;
        case 44: if (text) text->offset.setX(finite); break;
        case 45: if (text) text->offset.setY(finite); break;
        case 9: if (text) text->text = m_text.decode(g.value); break;
        default: break;
        }
    }
    // A pattern of zero lengths only has no length to repeat: continuous.
    if (std::none_of(pattern.elements.begin(), pattern.elements.end(), [](double e) { return e != 0; }))
        pattern = {};
    std::erase_if(pattern.texts, [](const LinetypeText& t) { return t.text.isEmpty() || !(t.height > 0); });
    m_out.drawing.linetypes.push_back(name);
    m_out.drawing.linetypePatterns.push_back(std::move(pattern));
}

int Loader::paperLayout(const QString& blockName)
{
    auto& layouts = m_out.drawing.layouts;
    for (size_t i = 0; i < layouts.size(); ++i)
        if (layouts[i].blockName.compare(blockName, Qt::CaseInsensitive) == 0)
            return int(i) + 1;
    layouts.push_back({blockName});
    return int(layouts.size());
}

void Loader::readBlocks()
{
    // From R13 on, the layouts' entities may live in the *Model_Space and
    // *Paper_Space* block definitions; they are drawing entities, not a block.
    const bool layoutBlocks = m_out.drawing.version > QLatin1String("AC1009");
    while (readRecord()) {
        if (isKeyword(m_groups.front(), "ENDSEC"))
            return;
        if (atEnd("ENDSEC")) { unreadRecord(); return; }
        if (kind() != "BLOCK")
            continue; // ENDBLK or a stray record
        BlockDefinition block;
        for (const Group& g : m_groups) {
            switch (g.code) {
            case 2: if (block.name.isEmpty()) block.name = m_text.decode(trimmed(g.value)); break;
            case 10: block.basePoint.setX(g.toDouble()); break;
            case 20: block.basePoint.setY(g.toDouble()); break;
            case 70: block.flags = int(g.toInt()); break;
            }
        }
        if (layoutBlocks && startsWithNoCase(block.name, "*Model_Space")) {
            readEntityList(m_out.drawing.entities, kModelSpace);
        } else if (layoutBlocks && startsWithNoCase(block.name, "*Paper_Space")) {
            readEntityList(m_out.drawing.entities, paperLayout(block.name));
        } else {
            readEntityList(block.entities, kModelSpace);
            // An attribute definition only shapes the attributes of future
            // inserts; an insert never shows it.
            for (Entity& e : block.entities)
                if (e.type == EntityType::AttributeDefinition)
                    e.geometry = std::monostate();
            m_out.drawing.blocks.push_back(std::move(block));
        }
        if (readRecord() && !isKeyword(m_groups.front(), "ENDBLK"))
            unreadRecord();
    }
}

void Loader::handOn(std::vector<Entity>& entities)
{
    for (Entity& e : entities) {
        m_out.drawing.countHandedOn(e.layer);
        m_stream->take(std::move(e));
    }
    entities.clear();
}

void Loader::readEntityList(std::vector<Entity>& target, int layout)
{
    // A streamed drawing's entities pass through `target` one at a time: the
    // last one read stays until the next begins, as its VERTEX or ATTRIB
    // records may still follow.
    const bool streamed = m_stream && &target == &m_out.drawing.entities;
    readEntityRecords(target, layout, streamed);
    if (streamed)
        handOn(target);
}

void Loader::readEntityRecords(std::vector<Entity>& target, int layout, bool streamed)
{
    // POLYLINE and INSERT (with group 66) collect the VERTEX or ATTRIB records
    // that follow until SEQEND; such records are part of their owner, never
    // entities of their own, and are dropped when they have no owner.
    constexpr size_t kNoOwner = SIZE_MAX;
    size_t open = kNoOwner;
    while (readRecord()) {
        const Group& head = m_groups.front();
        if (head.code != 0)
            continue;
        const std::string_view k = kind();
        if (k == "ENDSEC" || k == "ENDBLK" || k == "EOF" || k == "BLOCK" || k == "SECTION") {
            unreadRecord();
            return;
        }
        if (k == "VERTEX") {
            if (open != kNoOwner && target[open].type == EntityType::Polyline)
                m_reader->appendVertex(target[open], m_groups);
            continue;
        }
        if (k == "ATTRIB") {
            if (open != kNoOwner && target[open].type == EntityType::Insert)
                m_reader->appendAttribute(target[open], m_groups);
            continue;
        }
        if (k == "SEQEND") {
            open = kNoOwner;
            continue;
        }
        Entity e = m_reader->read(m_groups);
        int where = layout;
        if (where < 0) {
            where = kModelSpace;
            for (const Group& g : m_groups)
                if (g.code == 67) {
                    if (g.toInt() != 0)
                        where = paperLayout(QStringLiteral("*Paper_Space"));
                    break;
                }
        }
        e.layout = std::uint16_t(std::min(where, 65535));
        if (streamed)
            handOn(target);
        target.push_back(std::move(e));
        const bool compound = k == "POLYLINE"
            || (k == "INSERT" && std::any_of(m_groups.begin(), m_groups.end(), [](const Group& g) {
                   return g.code == 66 && g.toInt() != 0;
               }));
        open = compound ? target.size() - 1 : kNoOwner;
    }
}

void Loader::readObjects()
{
    std::unordered_set<std::string> placeholders;
    while (readRecord()) {
        if (isKeyword(m_groups.front(), "ENDSEC"))
            break;
        if (atEnd("ENDSEC")) { unreadRecord(); break; }
        const std::string_view k = kind();
        if (k == "MLINESTYLE") {
            readMLineStyle();
        } else if (k == "SORTENTSTABLE") {
            m_sortTables.push_back(readSortTable(m_groups));
        } else if (k == "ACDBPLACEHOLDER") {
            for (const Group& g : m_groups)
                if (g.code == 5) { placeholders.insert(upperHandle(g.value)); break; }
        } else if (k == "DICTIONARY" || k == "ACDBDICTIONARYWDFLT") {
            std::string_view name;
            for (const Group& g : m_groups) {
                if (g.code == 3) name = g.value;
                else if ((g.code == 350 || g.code == 360) && !name.empty())
                    m_dictionaryNames.emplace(upperHandle(g.value), std::string(name));
            }
        }
    }
    // Keep only names of placeholder objects: plot style names.
    for (auto it = m_dictionaryNames.begin(); it != m_dictionaryNames.end();)
        it = placeholders.count(it->first) ? std::next(it) : m_dictionaryNames.erase(it);
}

void Loader::readMLineStyle()
{
    MLineStyle style;
    bool inElements = false;
    for (const Group& g : m_groups) {
        if (g.code >= 1000)
            break;
        switch (g.code) {
        case 2: if (style.name.isEmpty()) style.name = m_text.decode(trimmed(g.value)); break;
        case 70: style.flags = int(g.toInt()); break;
        case 71: inElements = true; break;
        case 49:
            if (style.elements.size() < 1000)
                style.elements.push_back({g.toDouble(), color::kByLayer, {}});
            break;
        case 62: {
            const auto c = std::int16_t(std::clamp<std::int64_t>(g.toInt(), 0, 256));
            if (inElements && !style.elements.empty()) style.elements.back().color = c;
            else if (!inElements) style.fillColor = c;
            break;
        }
        case 6:
            if (!style.elements.empty()) style.elements.back().linetype = m_text.decode(trimmed(g.value));
            break;
        default:
            break;
        }
    }
    m_out.drawing.mlineStyles.push_back(std::move(style));
}

void Loader::resolvePlotStyles()
{
    for (const auto& [layer, handle] : m_layerPlotStyleHandles) {
        auto it = m_dictionaryNames.find(handle);
        if (it != m_dictionaryNames.end() && layer < m_out.drawing.layers.size())
            m_out.drawing.layers[layer].plotStyleName = m_text.decode(it->second);
    }
}

void Loader::applyDrawOrders()
{
    Drawing& d = m_out.drawing;
    for (const SortTable& table : m_sortTables) {
        const auto record = m_blockRecordNames.find(table.blockRecordHandle);
        if (record == m_blockRecordNames.end())
            continue;
        if (record->second.compare(QLatin1String("*Model_Space"), Qt::CaseInsensitive) == 0) {
            d.drawOrder = sortedDrawOrder(d.entities, table);
            continue;
        }
        for (BlockDefinition& block : d.blocks)
            if (block.name == record->second)
                block.drawOrder = sortedDrawOrder(block.entities, table);
    }
}

void Loader::addStandardTableEntries()
{
    Drawing& d = m_out.drawing;
    if (d.findLayer(QStringLiteral("0")) < 0) {
        LayerRecord zero;
        zero.name = QStringLiteral("0");
        d.layers.push_back(std::move(zero));
    }
    if (d.findLinetype(QStringLiteral("Continuous")) < 0)
        d.linetypes.push_back(QStringLiteral("Continuous"));
}

} // namespace

LoadedDrawing loadDxf(QByteArray bytes, EntityStream* stream)
{
    Loader loader(bytes, nullptr, stream);
    LoadedDrawing loaded = loader.run();
    loaded.source.text = LoadedText::held(std::move(bytes));
    return loaded;
}

LoadedDrawing loadDxfFile(OpenFile file, const QString& path, EntityStream* stream, ReadPurpose purpose)
{
    DxfFileBuffer buffer(std::move(file), path, purpose);
    LoadedDrawing loaded;
    try {
        loaded = Loader(buffer.text(), &buffer, stream).run();
    } catch (const DxfFormatError&) {
        buffer.throwIfCut(); // the cut, not what the parse made of it
        throw;
    }
    buffer.throwIfCut();
    loaded.source.text = buffer.finish();
    return loaded;
}

LoadedDrawing loadDxfFile(const QString& path, EntityStream* stream, ReadPurpose purpose)
{
    LoadedDrawing loaded = loadDxfFile(openForReading(path), path, stream, purpose);
    const QFileInfo info(path);
    loaded.source.fileSize = info.size();
    loaded.source.modified = info.lastModified();
    return loaded;
}

} // namespace cad::dxf
