#include "CadTestSupport.h"
#include "cad/cli/HostCommandLine.h"

#include <QProcessEnvironment>
#include <gtest/gtest.h>

using cad::cli::HostCommandLine;
using cad::cli::parseHostCommandLine;
using Action = HostCommandLine::Action;

namespace {

QString bin()
{
    return qEnvironmentVariable("KASANEMI_BIN") + "/kasanemi-cad";
}

} // namespace

TEST(HostCommandLine, AModeSwitchFirstHandsEverythingAfterItToTheMode)
{
    const HostCommandLine line = parseHostCommandLine({"--export-xlsx", "a.dxf", "b.xlsx", "--help", "--rows", "2"}, false);
    EXPECT_EQ(line.action, Action::Mode);
    EXPECT_EQ(line.mode, "--export-xlsx");
    EXPECT_EQ(line.arguments, QStringList({"a.dxf", "b.xlsx", "--help", "--rows", "2"}));
    for (const QString& mode : cad::cli::modeSwitches())
        EXPECT_EQ(parseHostCommandLine({mode}, true).action, Action::Mode) << mode.toStdString();
    // Anywhere else a mode's switch is a mistake worth naming.
    const HostCommandLine late = parseHostCommandLine({"a.dxf", "--inspect"}, false);
    EXPECT_EQ(late.action, Action::Refuse);
    EXPECT_EQ(late.problem, "--inspect must come first");
}

TEST(HostCommandLine, TheWindowTakesOneDrawingAndNoUnknownOption)
{
    EXPECT_EQ(parseHostCommandLine({}, true).action, Action::Window);
    const HostCommandLine one = parseHostCommandLine({"/tmp/図面 1.dxf"}, true);
    EXPECT_EQ(one.action, Action::Window);
    EXPECT_EQ(one.arguments, QStringList({"/tmp/図面 1.dxf"}));

    const HostCommandLine unknown = parseHostCommandLine({"--frobnicate", "a.dxf"}, false);
    EXPECT_EQ(unknown.action, Action::Refuse);
    EXPECT_EQ(unknown.problem, "unknown option --frobnicate");

    const HostCommandLine two = parseHostCommandLine({"a.dxf", "b.dxf"}, true);
    EXPECT_EQ(two.action, Action::Refuse);
    EXPECT_EQ(two.problem, "one drawing at a time: b.dxf");

    // "--" ends the options: a drawing whose name starts with a dash.
    const HostCommandLine dashed = parseHostCommandLine({"--", "--help.dxf"}, true);
    EXPECT_EQ(dashed.action, Action::Window);
    EXPECT_EQ(dashed.arguments, QStringList({"--help.dxf"}));
}

TEST(HostCommandLine, SingleDashWordsWaitForTheToolkitToTakeItsOwn)
{
    // Before the toolkit has read -platform and its value nothing is judged...
    EXPECT_EQ(parseHostCommandLine({"-platform", "offscreen", "a.dxf"}, false).action, Action::Window);
    // ...afterwards what is left with a single dash is no option of ours.
    const HostCommandLine left = parseHostCommandLine({"-x", "a.dxf"}, true);
    EXPECT_EQ(left.action, Action::Refuse);
    EXPECT_EQ(left.problem, "unknown option -x");
    EXPECT_EQ(parseHostCommandLine({"-h"}, true).action, Action::Help);
    EXPECT_EQ(parseHostCommandLine({"a.dxf", "--help"}, false).action, Action::Help);
    EXPECT_EQ(parseHostCommandLine({"--version", "a.dxf", "b.dxf"}, true).action, Action::Version);
}

TEST(HostCommandLine, UsageNamesEveryModeWithItsOptionsAndExitCodes)
{
    const QString usage = cad::cli::hostUsage();
    for (const QString& mode : cad::cli::modeSwitches()) {
        EXPECT_TRUE(usage.contains("kasanemi-cad " + mode + " FILE.dxf")) << mode.toStdString();
        EXPECT_TRUE(cad::cli::hostUsageLine().contains(mode)) << mode.toStdString();
    }
    for (const char* option : {"--layer NAME", "--separate", "--rows N", "--columns N", "--width CM",
                               "--spacing CM", "--frame PT", "--no-frame", "--help", "--version"})
        EXPECT_TRUE(usage.contains(QLatin1String(option))) << option;
    // One exit-code paragraph for the window and for each mode.
    EXPECT_EQ(usage.count("Exit 0"), 1 + cad::cli::modeSwitches().size());
}

// The program itself: answered without a display, the right stream, the right code.
TEST(HostCommandLine, TheProgramAnswersHelpVersionAndUnknownOptions)
{
    const auto help = cadtest::run(bin(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(QString::fromLocal8Bit(help.out), cad::cli::hostUsage());
    EXPECT_TRUE(help.err.isEmpty());

    const auto version = cadtest::run(bin(), {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "kasanemi-cad (Kasanemi) 4.00\n");

    const auto unknown = cadtest::run(bin(), {"--frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_EQ(QString::fromLocal8Bit(unknown.err),
              "kasanemi-cad: unknown option --frobnicate\n" + cad::cli::hostUsageLine() + "\n");

    // Every mode the usage names is built in: without its arguments each
    // refuses with its own usage line, never as an unknown option.
    for (const QString& mode : cad::cli::modeSwitches()) {
        const auto bare = cadtest::run(bin(), {mode});
        EXPECT_EQ(bare.exitCode, 2) << mode.toStdString();
        EXPECT_TRUE(bare.err.contains("usage: kasanemi-cad " + mode.toLocal8Bit())) << bare.err.toStdString();
    }
}
