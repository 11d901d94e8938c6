#pragma once

// The host's stand-in for a VBA macro project. A project file (QEMTIN.dvb) is
// a small text manifest: one full macro name a line ("QEMTIN.basWMF.pu_subMakeWMF_All"),
// blank lines and lines starting with '#' ignored. The macros themselves are
// native functions registered here by name; RunMacro runs one only when the
// loaded manifest names it AND an implementation is registered.
//
// Plug-in point: a module of macros registers its functions once at start-up,
//     cad::MacroRegistry::global().registerMacro("QEMTIN.basWMF.pu_subMakeWMF_All", &makeAll);
// and each function receives the application (its active document is the
// drawing) and the folder holding the loaded project file (the pictures go to
// LAYER beside it).

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

namespace cad {

class LocalApplication;

using MacroFn = std::function<void(LocalApplication& application, const QString& projectFolder)>;

class MacroRegistry {
public:
    /// The registry the host program and the tests use.
    static MacroRegistry& global();

    /// Registers (or replaces) the implementation of a full macro name; names
    /// compare case-insensitively, as VBA's do.
    void registerMacro(const QString& fullName, MacroFn fn);
    /// The implementation, or an empty function when none is registered.
    MacroFn find(const QString& fullName) const;

private:
    std::map<QString, MacroFn> m_macros; // key: case-folded name
};

/// Reads a macro project manifest. Returns false (and leaves `macros` empty)
/// when the file cannot be read; `error` then says why.
bool readMacroManifest(const QString& path, QStringList& macros, QString& error);

} // namespace cad
