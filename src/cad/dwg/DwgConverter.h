#pragma once

// DWG drawings are read by a converter program of ours
// (kasanemi-dwg-converter, JavaScript on Node.js with LibreDWG's WebAssembly
// build), run as a process of its own: LibreDWG is GPL-3.0, and a drawing it
// crashes on, loops on or swells on must not take the host with it. The
// converter writes DXF text with the drawing's layer states, which the host
// reads with its own DXF reader.

#include "cad/LoadedText.h"

#include <QString>

#include <stdexcept>

namespace cad::dwg {

/// A DWG that could not be converted; `what()` is one line (UTF-8) naming
/// the reason, without the file's name.
class DwgConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ConverterLimits {
    /// Wall-clock time for one conversion.
    int timeLimitMs = 60'000;
    /// Resident memory of the converter process.
    qint64 memoryLimitBytes = qint64(1024) * 1024 * 1024;
};

/// The limits, changed by KASANEMI_DWG_TIME_LIMIT_MS and
/// KASANEMI_DWG_MEMORY_LIMIT_MB when they hold a positive number.
ConverterLimits limitsFromEnvironment();

/// Where the converter is looked for: the Node.js program (KASANEMI_NODE,
/// else `node` or `nodejs` on the PATH) and the converter's script
/// (KASANEMI_DWG_CONVERTER, else dwg-converter/ in the data folder).
struct ConverterProgram {
    QString node;   // empty when Node.js is not found
    QString script;
};
ConverterProgram findConverterProgram();

/// True when `path` is a DWG drawing: its name ends in ".dwg", or the file
/// starts with a DWG version tag ("AC1015"), which no DXF text does.
bool isDwgFile(const QString& path);

/// Converts the DWG at `path` to DXF text, handed over as an open file
/// already removed from its temporary folder. Throws DwgConversionError when
/// Node.js or the converter's package is missing, when the library refuses
/// or crashes on the drawing, or when a limit is hit (the converter is then
/// killed).
OpenFile convertToDxf(const QString& path, const ConverterLimits& limits = limitsFromEnvironment());
OpenFile convertToDxf(const QString& path, const ConverterProgram& program, const ConverterLimits& limits);

} // namespace cad::dwg
