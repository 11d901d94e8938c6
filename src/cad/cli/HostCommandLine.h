#pragma once

// The command line of kasanemi-cad: which mode it asks for, the usage text
// that lists every mode, and the answers that need no drawing (--help,
// --version, a bad command line). The modes parse their own arguments.

#include <QString>
#include <QStringList>

#include <optional>

namespace cad::cli {

struct HostCommandLine {
    enum class Action { Window, Mode, Help, Version, Refuse };
    Action action = Action::Window;
    QString mode;          // the mode's switch (Action::Mode)
    QStringList arguments; // after the mode's switch, or the drawing of the window (none or one)
    QString problem;       // why the command line is refused (Action::Refuse)
};

/// The switches of the command-line modes, in the order the usage lists them.
QStringList modeSwitches();

/// Reads the arguments after the program name. A mode's switch must come
/// first; everything after it is the mode's. Otherwise the command line is
/// the window's: at most one drawing, "--" ends the options, "--help" or
/// "-h" and "--version" are answered, any other word starting with "--" is
/// refused. Words with a single dash may be the window toolkit's own options
/// (-platform, -display, ...): before the toolkit has taken its options out
/// (`toolkitOptionsRemoved` false) they and the count of drawings are left
/// alone; afterwards they are refused too.
HostCommandLine parseHostCommandLine(const QStringList& arguments, bool toolkitOptionsRemoved);

/// The --help text: every mode with its options and exit codes.
QString hostUsage();
/// The one usage line printed under a refused command line.
QString hostUsageLine();
/// The --version line.
QString hostVersion();

/// Prints what Help, Version and Refuse ask for (usage and version on
/// standard output, a refusal with the usage line on standard error) and
/// returns the exit code: 0, or 2 for a refusal. Empty for Window and Mode.
std::optional<int> answerWithoutRunning(const HostCommandLine& commandLine);

} // namespace cad::cli
