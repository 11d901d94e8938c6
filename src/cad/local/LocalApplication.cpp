#include "LocalApplication.h"

#include "LocalSurface.h"
#include "cad/MacroRegistry.h"
#include "acad/AcadError.h"

#include <QDir>
#include <QFileInfo>

namespace cad {

using acad::AcadError;
namespace error = acad::error;

LocalApplication::LocalApplication() : m_document(std::make_shared<CadDocument>()) {}

LocalApplication::LocalApplication(std::shared_ptr<CadDocument> document) : m_document(std::move(document))
{
    if (!m_document)
        m_document = std::make_shared<CadDocument>();
}

void LocalApplication::setVisible(bool visible) { m_visible = visible; }

acad::DocumentPtr LocalApplication::activeDocument()
{
    return std::make_shared<LocalDocument>(m_document);
}

void LocalApplication::setDocument(std::shared_ptr<CadDocument> document)
{
    if (document)
        m_document = std::move(document);
}

void LocalApplication::loadDVB(const QString& path)
{
    const QFileInfo info(path);
    QStringList macros;
    QString why;
    if (path.isEmpty() || !info.isFile() || !readMacroManifest(path, macros, why))
        throw AcadError(error::kMacroProjectMissing,
                        QStringLiteral("マクロプロジェクト「%1」がありません。").arg(QDir::toNativeSeparators(path)));
    const QString absolute = info.absoluteFilePath();
    // Loading the same project again replaces it (it may have changed).
    for (auto& p : m_projects)
        if (p.path == absolute) {
            p.macros = macros;
            return;
        }
    m_projects.push_back({absolute, macros});
}

void LocalApplication::runMacro(const QString& macroName)
{
    const QString wanted = macroName.trimmed();
    for (const auto& project : m_projects) {
        for (const QString& m : project.macros) {
            if (m.compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            const MacroFn fn = MacroRegistry::global().find(wanted);
            if (!fn)
                break;
            fn(*this, QFileInfo(project.path).absolutePath());
            return;
        }
    }
    throw AcadError(error::kUnknownMacro, QStringLiteral("マクロ「%1」が見つかりません。").arg(macroName));
}

QString LocalApplication::caption()
{
    return QStringLiteral("Kasanemi CAD - [%1]").arg(m_document->name());
}

} // namespace cad
