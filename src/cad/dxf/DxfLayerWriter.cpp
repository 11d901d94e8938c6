#include "DxfLayerWriter.h"

#include "DxfText.h"

#include <algorithm>

namespace cad::dxf {

namespace {

struct Patch {
    qsizetype begin;
    qsizetype end;
    QByteArray text;
};

/// A number written the way the value it replaces was: right-aligned to the
/// same width when the original was padded ("     0" in R12 files).
QByteArray numberLike(const QByteArray& original, qint64 value)
{
    QByteArray text = QByteArray::number(value);
    if (original.startsWith(' ') && original.size() > text.size())
        text = text.rightJustified(original.size(), ' ');
    return text;
}

/// The code line of `group` in `entry`, so that an inserted group looks like
/// its neighbours ("  6" or "6").
QByteArray codeLineLike(const QByteArray& bytes, const DxfSource& src, const LayerEntrySpan& entry, size_t index,
                        int code)
{
    const qsizetype eol = src.lineEnd.size();
    const qsizetype begin = index == 0 ? entry.begin : entry.groups[index - 1].valueEnd + eol;
    const qsizetype end = entry.groups[index].valueBegin - eol;
    QByteArray sample = begin >= 0 && end > begin ? bytes.mid(begin, end - begin) : QByteArray();
    QByteArray text = QByteArray::number(code);
    if (sample.startsWith(' ') && sample.size() > text.size())
        text = text.rightJustified(sample.size(), ' ');
    return text;
}

const GroupSpan* findGroup(const LayerEntrySpan& entry, int code, size_t* index = nullptr)
{
    for (size_t i = 0; i < entry.groups.size(); ++i)
        if (entry.groups[i].code == code) {
            if (index) *index = i;
            return &entry.groups[i];
        }
    return nullptr;
}

QByteArray valueOf(const QByteArray& bytes, const GroupSpan& g)
{
    return bytes.mid(g.valueBegin, g.valueEnd - g.valueBegin);
}

void patchLayer(const QByteArray& bytes, const DxfSource& src, DxfText& text, const LayerEntrySpan& entry,
                const LayerRecord& before, const LayerRecord& now, std::vector<Patch>& patches)
{
    const QByteArray& eol = src.lineEnd;
    if (now.name != before.name)
        if (const GroupSpan* g = findGroup(entry, 2))
            patches.push_back({g->valueBegin, g->valueEnd, text.encode(now.name)});

    size_t flagsIndex = 0;
    const GroupSpan* flags = findGroup(entry, 70, &flagsIndex);
    const bool flagsChanged = now.frozen != before.frozen || now.locked != before.locked
        || now.frozenInNewViewports != before.frozenInNewViewports;
    if (flagsChanged && flags) {
        const QByteArray old = valueOf(bytes, *flags);
        qint64 value = old.trimmed().toLongLong();
        value = (value & ~qint64(1 | 2 | 4)) | (now.frozen ? 1 : 0) | (now.frozenInNewViewports ? 2 : 0)
            | (now.locked ? 4 : 0);
        patches.push_back({flags->valueBegin, flags->valueEnd, numberLike(old, value)});
    }

    // Where missing groups go: after the flags, else after the name.
    size_t anchorIndex = 0;
    const GroupSpan* anchor = flags ? flags : findGroup(entry, 2, &anchorIndex);
    if (flags) anchorIndex = flagsIndex;
    QByteArray inserted;
    if (flagsChanged && !flags && anchor) {
        const qint64 value = (now.frozen ? 1 : 0) | (now.frozenInNewViewports ? 2 : 0) | (now.locked ? 4 : 0);
        inserted += eol + codeLineLike(bytes, src, entry, anchorIndex, 70) + eol + QByteArray::number(value);
    }

    const bool colorChanged = now.on != before.on || now.color != before.color;
    const qint64 signedColor = now.on ? now.color : -qint64(now.color);
    if (colorChanged) {
        if (const GroupSpan* g = findGroup(entry, 62))
            patches.push_back({g->valueBegin, g->valueEnd, numberLike(valueOf(bytes, *g), signedColor)});
        else if (anchor)
            inserted += eol + codeLineLike(bytes, src, entry, anchorIndex, 62) + eol + QByteArray::number(signedColor);
    }
    if (now.linetype != before.linetype) {
        if (const GroupSpan* g = findGroup(entry, 6))
            patches.push_back({g->valueBegin, g->valueEnd, text.encode(now.linetype)});
        else if (anchor)
            inserted += eol + codeLineLike(bytes, src, entry, anchorIndex, 6) + eol + text.encode(now.linetype);
    }
    if (!inserted.isEmpty())
        patches.push_back({anchor->valueEnd, anchor->valueEnd, inserted});
}

} // namespace

QByteArray patchLayers(const QByteArray& bytes, const DxfSource& source, const std::vector<LayerRecord>& loaded,
                       const std::vector<LayerRecord>& current, const QString& loadedClayer,
                       const QString& clayer)
{
    DxfText text(source.encoding);
    std::vector<Patch> patches;
    const size_t n = std::min({loaded.size(), current.size(), source.layerEntries.size()});
    for (size_t i = 0; i < n; ++i)
        patchLayer(bytes, source, text, source.layerEntries[i], loaded[i], current[i], patches);

    if (clayer != loadedClayer) {
        if (source.clayerValue) {
            patches.push_back({source.clayerValue->valueBegin, source.clayerValue->valueEnd, text.encode(clayer)});
        } else if (source.headerEnd >= 0) {
            const QByteArray& eol = source.lineEnd;
            patches.push_back({source.headerEnd, source.headerEnd,
                               "  9" + eol + "$CLAYER" + eol + "  8" + eol + text.encode(clayer) + eol});
        }
    }

    std::stable_sort(patches.begin(), patches.end(),
                     [](const Patch& a, const Patch& b) { return a.begin < b.begin; });
    QByteArray out;
    out.reserve(bytes.size() + 256);
    qsizetype pos = 0;
    for (const Patch& p : patches) {
        if (p.begin < pos)
            continue; // overlapping patches cannot happen; be safe
        out.append(bytes.constData() + pos, p.begin - pos);
        out.append(p.text);
        pos = p.end;
    }
    out.append(bytes.constData() + pos, bytes.size() - pos);
    return out;
}

} // namespace cad::dxf
