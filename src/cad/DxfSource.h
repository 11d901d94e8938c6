#pragma once

// What saving needs to know about the file a drawing came from: how to have
// its text back, how it was stamped on disk, and where each LAYER entry and
// the $CLAYER value lie in it. Saving rewrites only those byte ranges.

#include "LoadedText.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace cad {

/// One group of a DXF file: its code and the byte range of its value line
/// (without the line end).
struct GroupSpan {
    int code = 0;
    qsizetype valueBegin = 0;
    qsizetype valueEnd = 0;
};

/// A LAYER table entry: from its "0" code line to just before the next "0".
struct LayerEntrySpan {
    qsizetype begin = 0;
    qsizetype end = 0;
    std::vector<GroupSpan> groups;
};

struct DxfSource {
    /// The text as loaded, read back at save (held only when it came from no file).
    LoadedText text;
    /// The line end the file uses ("\r\n" or "\n").
    QByteArray lineEnd = "\n";
    /// Text encoding for values: "UTF-8" for R2007 and later, otherwise the
    /// code page's encoding ("windows-1252" when none is named).
    QByteArray encoding = "windows-1252";
    /// Parallel to Drawing::layers as loaded.
    std::vector<LayerEntrySpan> layerEntries;
    /// The $CLAYER value line, when the header has one.
    std::optional<GroupSpan> clayerValue;
    /// Where a missing $CLAYER can be inserted: the start of the HEADER's
    /// ENDSEC group; -1 when there is no HEADER section.
    qsizetype headerEnd = -1;
    /// Stamp of the file when loaded, to notice changes made by others (the
    /// contents are checked against `text`). fileSize -1: never saved to a file.
    qint64 fileSize = -1;
    QDateTime modified;
};

} // namespace cad
