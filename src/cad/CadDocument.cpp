#include "CadDocument.h"

#include "Extents.h"
#include "FileReplacement.h"
#include "acad/LayerWildcard.h"
#include "acad/AcadError.h"
#include "dxf/DxfLayerWriter.h"
#include "dxf/DxfLoader.h"
#include "dxf/DxfTokenizer.h"
#include "dwg/DwgConverter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>

#include <fcntl.h>

namespace cad {

using acad::AcadError;
namespace error = acad::error;

namespace {

/// The text of an empty R12 drawing: layer "0" and the standard linetypes.
/// A new drawing is made by reading it, so that it has a source to save from.
QByteArray newDrawingText()
{
    return QByteArrayLiteral(
        "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  9\n$DWGCODEPAGE\n  3\nANSI_1252\n"
        "  9\n$CLAYER\n  8\n0\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nTABLES\n"
        "  0\nTABLE\n  2\nLTYPE\n 70\n3\n"
        "  0\nLTYPE\n  2\nByBlock\n 70\n0\n  3\n\n 72\n65\n 73\n0\n 40\n0.0\n"
        "  0\nLTYPE\n  2\nByLayer\n 70\n0\n  3\n\n 72\n65\n 73\n0\n 40\n0.0\n"
        "  0\nLTYPE\n  2\nContinuous\n 70\n0\n  3\nSolid line\n 72\n65\n 73\n0\n 40\n0.0\n"
        "  0\nENDTAB\n"
        "  0\nTABLE\n  2\nLAYER\n 70\n1\n"
        "  0\nLAYER\n  2\n0\n 70\n0\n 62\n7\n  6\nContinuous\n"
        "  0\nENDTAB\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nBLOCKS\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n"
        "  0\nEOF\n");
}

[[noreturn]] void fail(qint32 number, const QString& description)
{
    throw AcadError(number, description);
}

[[noreturn]] void failChanged(const QString& fileName)
{
    fail(error::kHostFailure, QStringLiteral("「%1」は読み込んだ後に変更されています。上書きしませんでした。").arg(fileName));
}

} // namespace

CadDocument::CadDocument()
{
    dxf::LoadedDrawing fresh = dxf::loadDxf(newDrawingText());
    m_drawing = std::make_shared<Drawing>(std::move(fresh.drawing));
    m_source = std::move(fresh.source);
    m_savedLayers = m_drawing->layers;
    m_savedClayer = m_drawing->clayer;
    // A never-saved drawing's full name must not point at a file: a folder
    // of this process that is never created.
    m_fullName = QDir(QDir::tempPath())
                     .filePath(QStringLiteral("kasanemi-unsaved-%1/Drawing1.dwg")
                                   .arg(QCoreApplication::applicationPid()));
}

CadDocument::CadDocument(Drawing drawing, DxfSource source, QString fullName, QString loadWarning)
    : m_drawing(std::make_shared<Drawing>(std::move(drawing))), m_source(std::move(source)), m_fullName(std::move(fullName)),
      m_loadWarning(std::move(loadWarning))
{
    m_savedLayers = m_drawing->layers;
    m_savedClayer = m_drawing->clayer;
}

CadDocument::~CadDocument() = default;

std::unique_ptr<CadDocument> CadDocument::open(const QString& path, EntityStream* stream, ReadPurpose purpose)
{
    const QString fileName = QFileInfo(path).fileName();
    try {
        const bool dwg = dwg::isDwgFile(path);
        // A DWG is read as the DXF text the converter makes of it; the
        // document keeps the DWG's name and never writes to it.
        dxf::LoadedDrawing loaded =
            dwg ? dxf::loadDxfFile(dwg::convertToDxf(path), path, stream, purpose)
                : dxf::loadDxfFile(path, stream, purpose);
        loaded.drawing.readNotes.log("read");
        QString warning;
        if (loaded.truncated)
            warning = dxf::truncatedFileWarning(fileName, loaded.lastLine);
        std::unique_ptr<CadDocument> document(new CadDocument(std::move(loaded.drawing), std::move(loaded.source),
                                                              QFileInfo(path).absoluteFilePath(), std::move(warning)));
        document->m_dwg = dwg;
        return document;
    } catch (const dwg::DwgConversionError& e) {
        fail(error::kHostFailure, QStringLiteral("%1: %2").arg(fileName, QString::fromStdString(e.what())));
    } catch (const dxf::DxfFormatError& e) {
        fail(error::kHostFailure, QStringLiteral("%1: %2").arg(fileName, e.message()));
    } catch (const std::bad_alloc&) {
        fail(error::kHostFailure, QStringLiteral("%1: 図面が大きすぎて読み込めません。").arg(fileName));
    }
}

QString CadDocument::name() const
{
    return QFileInfo(m_fullName).fileName();
}

void CadDocument::checkIndex(int index) const
{
    if (index < 0 || index >= layerCount())
        fail(error::kIndexOutOfRange, QStringLiteral("画層の番号 %1 は範囲外です。").arg(index));
}

void CadDocument::markChanged()
{
    m_modified = true;
    emit layersChanged();
}

int CadDocument::layerIndex(const QString& name) const
{
    const int index = m_drawing->findLayer(name);
    if (index < 0)
        fail(error::kKeyNotFound, QStringLiteral("キーが見つかりません。画層「%1」").arg(name));
    return index;
}

const LayerRecord& CadDocument::layer(int index) const
{
    checkIndex(index);
    return m_drawing->layers[size_t(index)];
}

void CadDocument::setLayerOn(int index, bool on)
{
    checkIndex(index);
    auto& l = m_drawing->layers[size_t(index)];
    if (l.on == on) return;
    l.on = on;
    markChanged();
}

void CadDocument::setLayerFrozen(int index, bool frozen)
{
    checkIndex(index);
    auto& l = m_drawing->layers[size_t(index)];
    if (frozen && index == currentLayer())
        fail(error::kCurrentLayerFrozen, QStringLiteral("現在画層はフリーズできません。"));
    if (l.frozen == frozen) return;
    l.frozen = frozen;
    markChanged();
}

void CadDocument::setLayerLocked(int index, bool locked)
{
    checkIndex(index);
    auto& l = m_drawing->layers[size_t(index)];
    if (l.locked == locked) return;
    l.locked = locked;
    markChanged();
}

void CadDocument::setLayerLinetype(int index, const QString& linetype)
{
    checkIndex(index);
    const int lt = m_drawing->findLinetype(linetype);
    if (lt < 0 || linetype.isEmpty())
        fail(error::kKeyNotFound, QStringLiteral("キーが見つかりません。線種「%1」").arg(linetype));
    auto& l = m_drawing->layers[size_t(index)];
    const QString& spelled = m_drawing->linetypes[size_t(lt)];
    if (l.linetype == spelled) return;
    l.linetype = spelled;
    markChanged();
}

void CadDocument::setLayerName(int index, const QString& name)
{
    checkIndex(index);
    if (name.trimmed().isEmpty())
        fail(error::kInvalidArgument, QStringLiteral("画層名が空です。"));
    const int other = m_drawing->findLayer(name);
    if (other >= 0 && other != index)
        fail(error::kInvalidArgument, QStringLiteral("画層「%1」は既にあります。").arg(name));
    if (m_drawing->layers[size_t(index)].name == name) return;
    // Entities name their layer; they move with it, as in AutoCAD.
    Drawing& drawing = unsharedDrawing();
    LayerRecord& l = drawing.layers[size_t(index)];
    const QString old = l.name;
    const NameId newId = drawing.names.intern(name);
    auto follow = [&](std::vector<Entity>& list) {
        for (Entity& e : list) {
            if (drawing.names.name(e.layer).compare(old, Qt::CaseInsensitive) == 0) e.layer = newId;
            if (e.attributes)
                for (Entity& a : *e.attributes)
                    if (drawing.names.name(a.layer).compare(old, Qt::CaseInsensitive) == 0) a.layer = newId;
        }
    };
    follow(drawing.entities);
    for (BlockDefinition& b : drawing.blocks) follow(b.entities);
    if (drawing.clayer.compare(old, Qt::CaseInsensitive) == 0)
        drawing.clayer = name;
    l.name = name;
    drawing.rebuildIndex();
    m_indexBuilt = false;
    m_nameIndexBuilt = false;
    m_renamed = true;
    markChanged();
}

Drawing& CadDocument::unsharedDrawing()
{
    if (m_drawing.use_count() > 1)
        m_drawing = std::make_shared<Drawing>(*m_drawing);
    else
        // The other thread's last reads come before its release of the drawing.
        std::atomic_thread_fence(std::memory_order_acquire);
    return *m_drawing;
}

int CadDocument::currentLayer() const
{
    const int index = m_drawing->findLayer(m_drawing->clayer);
    if (index >= 0) return index;
    const int zero = m_drawing->findLayer(QStringLiteral("0"));
    return zero >= 0 ? zero : 0;
}

void CadDocument::setCurrentLayer(int index)
{
    checkIndex(index);
    const auto& l = m_drawing->layers[size_t(index)];
    if (l.frozen)
        fail(error::kFrozenLayerCurrent, QStringLiteral("画層「%1」はフリーズされているため、現在画層にできません。").arg(l.name));
    if (m_drawing->clayer == l.name) return;
    m_drawing->clayer = l.name;
    markChanged();
}

// --- selection -------------------------------------------------------------

std::shared_ptr<SelectionSetData> CadDocument::selectionSet(int index) const
{
    if (index < 0 || index >= selectionSetCount())
        fail(error::kIndexOutOfRange, QStringLiteral("選択セットの番号 %1 は範囲外です。").arg(index));
    return m_selectionSets[size_t(index)];
}

std::shared_ptr<SelectionSetData> CadDocument::addSelectionSet(const QString& name)
{
    if (name.trimmed().isEmpty())
        fail(error::kInvalidArgument, QStringLiteral("選択セットに名前がありません。"));
    // Each set may hold every entity of the drawing; the limit keeps what
    // callers can make the host hold in proportion to the drawing.
    if (m_selectionSets.size() >= kMaxSelectionSets)
        fail(error::kLimitReached, QStringLiteral("選択セットは 1 つの図面に %1 個までです。どれかを削除してください。")
                                       .arg(kMaxSelectionSets));
    for (const auto& s : m_selectionSets)
        if (s->name().compare(name, Qt::CaseInsensitive) == 0)
            fail(error::kInvalidArgument, QStringLiteral("選択セット「%1」は既にあります。").arg(name));
    auto set = std::make_shared<SelectionSetData>(name);
    m_selectionSets.push_back(set);
    return set;
}

void CadDocument::removeSelectionSet(const SelectionSetData* set)
{
    for (auto it = m_selectionSets.begin(); it != m_selectionSets.end(); ++it)
        if (it->get() == set) {
            (*it)->markErased();
            m_selectionSets.erase(it);
            return;
        }
}

void CadDocument::buildLayerIndex() const
{
    if (m_indexBuilt) return;
    const auto& counts = m_drawing->countsByLayerName();
    const size_t names = counts.size();
    m_byLayerStart.assign(names + 1, 0);
    for (size_t k = 0; k < names; ++k)
        m_byLayerStart[k + 1] = m_byLayerStart[k] + counts[k];
    m_byLayer.assign(m_byLayerStart.back(), 0);
    std::vector<std::uint32_t> fill(m_byLayerStart.begin(), m_byLayerStart.end() - 1);
    for (std::uint32_t i = 0; i < m_drawing->entities.size(); ++i) {
        const NameId layer = m_drawing->entities[i].layer;
        if (layer < names)
            m_byLayer[fill[layer]++] = i;
    }
    m_indexBuilt = true;
}

void CadDocument::buildNameIndex() const
{
    if (m_nameIndexBuilt) return;
    const auto& counts = m_drawing->countsByLayerName();
    m_layerNamesFolded.clear();
    for (NameId k = 0; k < counts.size(); ++k)
        if (counts[k] > 0)
            m_layerNamesFolded[m_drawing->names.name(k).toCaseFolded()].push_back(k);
    m_nameIndexBuilt = true;
}

std::vector<NameId> CadDocument::matchingLayerNames(const QString& pattern) const
{
    buildNameIndex();
    const acad::LayerWildcard wildcard(pattern);
    if (wildcard.isLiteral()) {
        auto it = m_layerNamesFolded.constFind(wildcard.literal().toCaseFolded());
        return it == m_layerNamesFolded.constEnd() ? std::vector<NameId>() : it.value();
    }
    std::vector<NameId> ids;
    for (auto it = m_layerNamesFolded.constBegin(); it != m_layerNamesFolded.constEnd(); ++it)
        for (NameId k : it.value())
            if (wildcard.matches(m_drawing->names.name(k)))
                ids.push_back(k);
    return ids;
}

std::uint32_t CadDocument::countOnLayers(const QString& pattern) const
{
    std::uint32_t total = 0;
    const auto& counts = m_drawing->countsByLayerName();
    for (NameId k : matchingLayerNames(pattern))
        total += counts[k];
    return total;
}

std::vector<std::uint32_t> CadDocument::entitiesOnLayers(const QString& pattern) const
{
    buildLayerIndex();
    std::vector<std::uint32_t> out;
    for (NameId k : matchingLayerNames(pattern))
        out.insert(out.end(), m_byLayer.begin() + m_byLayerStart[k], m_byLayer.begin() + m_byLayerStart[k + 1]);
    std::sort(out.begin(), out.end());
    return out;
}

std::optional<QRectF> CadDocument::modelExtents() const
{
    if (!m_modelExtents)
        m_modelExtents = cad::modelExtents(*m_drawing);
    return *m_modelExtents;
}

// --- regeneration and saving -------------------------------------------------

void CadDocument::regen(int which)
{
    if (which < 0 || which > 1)
        fail(error::kInvalidArgument, QStringLiteral("再作図の指定は 0（現在のビューポート）か 1（すべてのビューポート）です。"));
    emit regenerated();
}

void CadDocument::notePicturesCut(std::size_t outlinedInserts)
{
    if (outlinedInserts > 0)
        emit picturesCut(qulonglong(outlinedInserts));
}

void CadDocument::save(bool force)
{
    if (m_dwg)
        fail(error::kDrawingNotWritable,
             QStringLiteral("DWG 図面 %1 は上書き保存できません（DWG 形式では保存できません）。"
                            "名前を付けて DXF 形式で保存してください。")
                 .arg(name()));
    if (m_source.fileSize < 0)
        fail(error::kHostFailure, QStringLiteral("図面が一度も保存されていません。先に名前を付けて保存してください。"));
    writeFile(m_fullName, !force);
}

void CadDocument::saveAs(const QString& path)
{
    if (path.trimmed().isEmpty())
        fail(error::kInvalidArgument, QStringLiteral("ファイル名が指定されていません。"));
    // The text written is DXF: under a .dwg name it would pass for a DWG
    // and could replace the user's drawing with one no CAD reads as DWG.
    if (path.endsWith(QLatin1String(".dwg"), Qt::CaseInsensitive))
        fail(error::kDrawingNotWritable,
             QStringLiteral("DWG 形式では保存できません。拡張子 .dxf の名前で保存してください: %1")
                 .arg(QFileInfo(path).fileName()));
    writeFile(QFileInfo(path).absoluteFilePath(), false);
    m_fullName = QFileInfo(path).absoluteFilePath();
    m_dwg = false;
}

QByteArray CadDocument::loadedText() const
{
    std::optional<QByteArray> text = m_source.text.readBack();
    if (!text)
        fail(error::kHostFailure, QStringLiteral("「%1」は読み込んだ後に中身が書き換えられたため、読み込んだときの"
                                                 "内容を読み直せません。保存しませんでした。")
                                      .arg(name()));
    return *std::move(text);
}

QByteArray CadDocument::unchangedFileText(const QString& path) const
{
    const QFileInfo info(path);
    const QString fileName = info.fileName();
    if (m_source.fileSize < 0)
        return loadedText();
    if (!info.exists() || info.size() != m_source.fileSize)
        failChanged(fileName);
    // The file's own text is what gets patched: its size and time may be
    // the same after another program rewrote it within one clock tick.
    QFile current(path);
    if (!current.open(QIODevice::ReadOnly)) {
        // Unreadable now but stamped as loaded: the loaded text, checked.
        if (info.lastModified() != m_source.modified)
            failChanged(fileName);
        return loadedText();
    }
    // One byte more than loaded shows a file that grew since it was looked at.
    std::optional<QByteArray> text = readText(current.handle(), m_source.fileSize + 1);
    if (!text || !m_source.text.matches(*text))
        failChanged(fileName);
    return *std::move(text);
}

void CadDocument::writeFile(const QString& path, bool checkStamp)
{
    if (!m_source.text.isKept())
        fail(error::kHostFailure, QStringLiteral("「%1」は内容を確認するためだけに読み込んだ図面です。保存できません。")
                                      .arg(name()));
    if (m_renamed)
        // Entities name their layer in the file text; a renamed layer would
        // leave them on a layer the table no longer holds.
        fail(error::kHostFailure, QStringLiteral("画層名を変更した図面は、この図面ホストでは保存できません。"));
    // Layers the loader added (layer "0" of a file without one) have no entry
    // in the text to write their change into.
    for (std::size_t i = m_source.layerEntries.size(); i < m_drawing->layers.size() && i < m_savedLayers.size(); ++i) {
        const LayerRecord &now = m_drawing->layers[i], &before = m_savedLayers[i];
        if (now.on != before.on || now.frozen != before.frozen || now.locked != before.locked
            || now.linetype != before.linetype || now.color != before.color)
            fail(error::kHostFailure, QStringLiteral("画層「%1」は図面ファイルの画層テーブルにありません（図面を読んだときに"
                                                     "加えた画層です）。この画層の変更はこのファイルに保存できません。")
                                          .arg(now.name));
    }
    QByteArray bytes = checkStamp ? unchangedFileText(path) : loadedText();
    // The loaded text goes as soon as the new one is made.
    bytes = dxf::patchLayers(bytes, m_source, m_savedLayers, m_drawing->layers, m_savedClayer, m_drawing->clayer);
    if (const QString problem = replaceFileContents(path, bytes); !problem.isEmpty())
        fail(error::kHostFailure, problem);

    // The written text is the new source: read it again for its byte ranges;
    // it is read back from the written file at the next save, not held.
    try {
        dxf::LoadedDrawing again = dxf::loadDxf(bytes);
        m_source = std::move(again.source);
    } catch (const dxf::DxfFormatError& e) {
        fail(error::kHostFailure, QStringLiteral("保存したファイルを読み直せません：%1").arg(e.message()));
    }
    if (const int written = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC); written >= 0)
        m_source.text = LoadedText::inFile(OpenFile(written), bytes.size(), m_source.text.hash());
    const QFileInfo info(path);
    m_source.fileSize = info.size();
    m_source.modified = info.lastModified();
    m_savedLayers = m_drawing->layers;
    m_savedClayer = m_drawing->clayer;
    m_modified = false;
}

} // namespace cad
