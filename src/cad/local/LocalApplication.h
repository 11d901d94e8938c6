#pragma once

// The in-process backend of the automation surface: the drawing host's
// application, document, layers, linetypes and selection sets, answering each
// member the way AutoCAD does. The D-Bus service and the tests sit on it.

#include "acad/AcadSurface.h"
#include "cad/CadDocument.h"

#include <QStringList>

#include <memory>

namespace cad {

class LocalApplication : public acad::Application {
public:
    /// Starts with a new, never saved drawing ("Drawing1.dwg").
    LocalApplication();
    /// Starts with `document` as the active document.
    explicit LocalApplication(std::shared_ptr<CadDocument> document);

    void setVisible(bool visible) override;
    bool isVisible() const { return m_visible; }
    acad::DocumentPtr activeDocument() override;
    /// Reads the manifest at `path`; throws kMacroProjectMissing when there is
    /// no readable file there.
    void loadDVB(const QString& path) override;
    /// Throws kUnknownMacro unless a loaded project names the macro and an
    /// implementation is registered; a macro's own failure reaches the caller.
    void runMacro(const QString& macroName) override;
    /// "Kasanemi CAD - [<drawing name>]".
    QString caption() override;

    /// The drawing behind the active document (the host's own access).
    CadDocument& document() { return *m_document; }
    std::shared_ptr<CadDocument> documentPtr() const { return m_document; }
    /// Replaces the active drawing (File > Open in the host).
    void setDocument(std::shared_ptr<CadDocument> document);

private:
    struct LoadedProject {
        QString path;
        QStringList macros;
    };
    std::shared_ptr<CadDocument> m_document;
    std::vector<LoadedProject> m_projects;
    bool m_visible = false;
};

} // namespace cad
