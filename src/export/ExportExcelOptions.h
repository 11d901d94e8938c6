#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace exportexcel {

/// The layout the user chose in the export dialog (or on the command line).
struct ExportExcelOptions {
    /// True: `rows` × `columns` pictures to a sheet; false: one picture a sheet.
    bool imagesPerSheet = true;
    qint32 rows = 3;
    qint32 columns = 2;
    /// Picture width and the spacing between pictures, in centimetres.
    double widthCm = 9.0;
    double spacingCm = 1.0;
    bool frame = true;
    /// Frame line weight in points.
    double frameWeight = 1.0;
};

/// The texts of the layout controls, as the user left them.
struct ExportExcelOptionTexts {
    bool imagesPerSheet = true;
    QString rows, columns, width, spacing, frameWeight;
    bool frame = true;
};

/// Reads the texts as numbers (rows and columns rounded to integers). A text
/// that is not a number in range would make nonsense of the layout (no
/// columns divides by zero, a negative width turns pictures inside out), so
/// it is refused: nullopt, and *problem names the field in the words of the
/// dialog. Fields the chosen layout does not use are not checked.
std::optional<ExportExcelOptions> readOptions(const ExportExcelOptionTexts& texts, QString* problem);

} // namespace exportexcel
