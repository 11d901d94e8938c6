#pragma once

// Reading a layer-list file (a CSV array file, one layer name or pattern in
// the first field of each record). The viewer reads the list of its command
// line with it and the host's batch export its layer standard, so it sits
// with the CSV files, below both.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace csv {

/// How many of `names` a reading makes sense of (layers it names, names a
/// pattern matches): decides between the file's possible encodings.
using ListReadingScore = std::function<qsizetype(const QStringList& names)>;

/// The names of the list, in file order; empty records (a blank line,
/// ",,,") name nothing and are left out. A layer name holds no line break, so
/// a lone LF ends a record too (lists written on Linux). A file without
/// byte-order mark is read as UTF-8 and as code page 932, and the reading
/// `score` rates higher wins; on a tie, code page 932, the encoding of lists
/// written on the original platform. So bytes that happen to be valid UTF-8
/// ("ﾃｽ" in code page 932 reads as "ý") do not give wrong names. Nullopt
/// when the file cannot be read as a table (missing, unreadable, too large:
/// the reader tells the user of a missing file).
std::optional<QStringList> readLayerList(const QString& path, const ListReadingScore& score);

} // namespace csv
