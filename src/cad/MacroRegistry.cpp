#include "MacroRegistry.h"

#include <QFile>

namespace cad {

MacroRegistry& MacroRegistry::global()
{
    static MacroRegistry registry;
    return registry;
}

void MacroRegistry::registerMacro(const QString& fullName, MacroFn fn)
{
    m_macros[fullName.trimmed().toCaseFolded()] = std::move(fn);
}

MacroFn MacroRegistry::find(const QString& fullName) const
{
    auto it = m_macros.find(fullName.trimmed().toCaseFolded());
    return it == m_macros.end() ? MacroFn() : it->second;
}

bool readMacroManifest(const QString& path, QStringList& macros, QString& error)
{
    macros.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    // A manifest is a few lines; anything large is not one of ours.
    if (file.size() > 1024 * 1024) {
        error = QStringLiteral("not a macro project (too large)");
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());
    for (QString line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        macros << line;
    }
    return true;
}

} // namespace cad
