#pragma once

#include "export/ExportExcelOptions.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace cad::cli {

/// The arguments of `--export-xlsx DRAWING|FOLDER... OUT.xlsx [options]`.
struct ExportXlsxArguments {
    /// Drawings and folders, as given.
    QStringList inputs;
    QString out;
    exportexcel::ExportExcelOptionTexts texts{true, "3", "2", "9.0", "1.0", "1.0", true};
    QStringList layers;
    bool recursive = false;
    /// The layer standard (a layer-list file of patterns); empty for none.
    QString standard;

    /// One drawing file and no set option: the single-drawing export.
    bool isSingleDrawing() const;
};

/// The usage line of the mode.
QString exportXlsxUsage();

/// The arguments, or nullopt with the reason in `problem` (one line).
std::optional<ExportXlsxArguments> parseExportXlsxArguments(const QStringList& args, QString& problem);

} // namespace cad::cli
