#pragma once

// What the DXF reader tells the user: why a file cannot be read, and that a
// file ends early. The user reads Japanese (the host window, the viewer, the
// command line all show these lines); what() stays English for logs and
// fuzzing. Each kind has one text in each language, its details (a line
// number, a path) filled in as arguments, so no detail is lost in either.

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace cad::dxf {

/// A file that cannot be read as a drawing.
class DxfFormatError : public std::runtime_error {
public:
    enum class Kind {
        BinaryDxf,         ///< "AutoCAD Binary DXF"
        NoLeadingSection,  ///< something else before the first SECTION
        NoSections,        ///< not one SECTION in the file
        GroupCodeExpected, ///< details: the line number
        CannotOpen,        ///< details: the path, the system's reason
        CannotRead,        ///< details: the path, the system's reason
    };

    explicit DxfFormatError(Kind kind, QStringList details = {});

    Kind kind() const { return m_kind; }
    const QStringList& details() const { return m_details; }
    /// One line in Japanese for the user, with every detail of what().
    QString message() const;

private:
    Kind m_kind;
    QStringList m_details;
};

/// The warning for a file that ends at `lastLine` before its EOF marker:
/// the drawing holds what came before the cut.
QString truncatedFileWarning(const QString& fileName, qsizetype lastLine);

} // namespace cad::dxf
