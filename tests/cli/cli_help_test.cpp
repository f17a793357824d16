// Help, --version and usage errors of every program, run as real processes.
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "cli/cli_run.h"
#include "dialogs/help_commands.h"

namespace {

using namespace vornix::clitest;

struct ProgramRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProgramRun runProgram(const QString& name, const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(VORNIX_BIN_DIR "/") + name, args);
    ProgramRun run;
    if (process.waitForFinished(kRunTimeoutMs) && process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// "0.71" from the project's version "0.0.71": its minor number and revision.
QByteArray releaseNumber() {
    const QList<QByteArray> parts = QByteArray(VORNIX_PROJECT_VERSION).split('.');
    return parts.value(1) + "." + parts.value(2);
}

TEST(VersionTest, EveryProgramPrintsTheReleaseTheAboutBoxShows) {
    ASSERT_TRUE(vornix::dialogs::AboutText().contains(QStringLiteral("Beta Version ") +
                                                      QString::fromLatin1(releaseNumber())));
    for (const char* program : {"vornix", "vornix-cli", "vornix-cli-load", "vornix-lcdsim"}) {
        const ProgramRun run = runProgram(program, {"--version"});
        EXPECT_EQ(run.exitCode, 0) << program;
        EXPECT_EQ(run.out, QByteArray(program) + " " + releaseNumber() + "\n");
        EXPECT_EQ(run.err, "") << program;
    }
}

struct HelpRow {
    QStringList args;
    QByteArray firstLine;
};

// Every way of asking for help answers on stdout with exit 0; a command's help is the same
// whichever way it is asked for.
TEST(HelpTest, HelpGoesToStdout) {
    const HelpRow rows[] = {
        {{"--help"}, "usage: vornix-cli COMMAND [OPTIONS] ARGUMENTS"},
        {{"-h"}, "usage: vornix-cli COMMAND [OPTIONS] ARGUMENTS"},
        {{"help"}, "usage: vornix-cli COMMAND [OPTIONS] ARGUMENTS"},
        {{"convert", "--help"}, "usage: vornix-cli convert INPUT OUTPUT"},
        {{"convert", "--fit", "fit", "-h", "a.png"}, "usage: vornix-cli convert INPUT OUTPUT"},
        {{"info", "--help"}, "usage: vornix-cli info FILE"},
        {{"stream", "--help"}, "usage: vornix-cli stream FILE"},
        {{"load", "--help"}, "usage: vornix-cli load [--port DEVICE] FILE"},
        {{"pattern", "--help"}, "usage: vornix-cli pattern [--size WxH] NAME OUTPUT"},
        {{"text", "--help"}, "usage: vornix-cli text [OPTIONS] TEXT OUTPUT"},
    };
    for (const HelpRow& row : rows) {
        const CliRun run = RunCli(row.args);
        EXPECT_EQ(run.exitCode, 0) << row.args.join(' ').toStdString();
        EXPECT_EQ(run.out.split('\n').value(0), row.firstLine);
        EXPECT_EQ(run.err, "");
        for (const QByteArray& line : run.out.split('\n')) {
            EXPECT_LE(line.size(), 80) << line.constData(); // fits a terminal
        }
        if (row.args.size() == 2 && row.args[1] == "--help") {
            EXPECT_EQ(RunCli({"help", row.args[0]}).out, run.out);
        }
    }
    EXPECT_TRUE(RunCli({"convert", "--help"}).out.contains("--jobs N"));

    const ProgramRun load = runProgram("vornix-cli-load", {"--help"});
    EXPECT_EQ(load.exitCode, 0);
    EXPECT_TRUE(load.out.startsWith("usage: vornix-cli-load [--port DEVICE] FILE\n"));
    const ProgramRun sim = runProgram("vornix-lcdsim", {"--help"});
    EXPECT_EQ(sim.exitCode, 0);
    EXPECT_TRUE(sim.out.startsWith("usage: vornix-lcdsim"));
}

struct UsageErrorRow {
    QStringList args;
    QByteArray firstLine;
};

// One line says what was wrong, the next where help is; no usage text, nothing on stdout.
TEST(HelpTest, UsageErrorsSayWhatWasWrongInOneLine) {
    const UsageErrorRow rows[] = {
        {{}, "vornix-cli: a command is needed: convert, info, stream, load, pattern or text"},
        {{"frobnicate"}, "vornix-cli: no command is called frobnicate"},
        {{"--frobnicate"}, "vornix-cli: unknown option --frobnicate"},
        {{"help", "frobnicate"}, "vornix-cli help: no command is called frobnicate"},
        {{"convert", "a"}, "vornix-cli convert: needs an INPUT and an OUTPUT"},
        {{"convert", "--bogus", "a", "b"}, "vornix-cli convert: unknown option --bogus"},
        {{"convert", "--dither", "lots", "a", "b.pxl"},
         "vornix-cli convert: bad value for --dither: lots"},
        {{"info", "a.bmp", "b.bmp"}, "vornix-cli info: needs one FILE"},
        {{"stream", "-v", "a.pxl"}, "vornix-cli stream: unknown option -v"},
        {{"load"}, "vornix-cli load: needs one FILE"},
        {{"load", "--port"}, "vornix-cli load: --port needs a DEVICE"},
        {{"load", "--speed", "1", "a.pxl"}, "vornix-cli load: unknown option --speed"},
        {{"pattern", "stripes", "a.pxl"}, "vornix-cli pattern: no pattern is called stripes"},
        {{"text", "Hi"}, "vornix-cli text: needs a TEXT and an OUTPUT"},
        {{"text", "", "a.pbm"}, "vornix-cli text: TEXT is empty"},
        {{"text", "--size", "0", "Hi", "a.pbm"}, "vornix-cli text: bad value for --size: 0"},
        {{"text", "--size", "1001", "Hi", "a.pbm"}, "vornix-cli text: bad value for --size: 1001"},
        {{"text", "--size=12px", "Hi", "a.pbm"}, "vornix-cli text: bad value for --size: 12px"},
        {{"text", "Hi", "a.pbm", "--size"}, "vornix-cli text: --size needs a value"},
        {{"text", "--size-of", "0x10", "Hi", "a.pbm"},
         "vornix-cli text: bad value for --size-of: 0x10"},
        {{"text", "--align", "middle", "Hi", "a.pbm"},
         "vornix-cli text: bad value for --align: middle"},
        {{"text", "--font=", "Hi", "a.pbm"}, "vornix-cli text: bad value for --font: "},
        {{"text", "--to", "png", "Hi", "a.pbm"}, "vornix-cli text: bad value for --to: png"},
        {{"text", "--to", "bmp", "Hi", "a.pbm"},
         "vornix-cli text: --to does not match OUTPUT's ending"},
        {{"text", "Hi", "a.png"}, "vornix-cli text: OUTPUT must end in .pxl or .bmp"},
        // The usage error comes first: the font is not opened.
        {{"text", "--font", "/dev/zero", "Hi", "a.png"},
         "vornix-cli text: OUTPUT must end in .pxl or .bmp"},
        {{"text", "--bold", "Hi", "a.pbm"}, "vornix-cli text: unknown option --bold"},
    };
    for (const UsageErrorRow& row : rows) {
        const CliRun run = RunCli(row.args);
        EXPECT_EQ(run.exitCode, 2) << row.args.join(' ').toStdString();
        EXPECT_EQ(run.err, row.firstLine + "\nTry 'vornix-cli --help'.\n");
        EXPECT_EQ(run.out, "");
    }
    const ProgramRun sim = runProgram("vornix-lcdsim", {"--bogus"});
    EXPECT_EQ(sim.exitCode, 2);
    EXPECT_EQ(sim.err, "vornix-lcdsim: unknown option --bogus\nTry 'vornix-lcdsim --help'.\n");
}

// Runs vornix-cli through the shell with its standard output redirected as `redirect` says
// ("> /dev/full", ">&-" for a closed one).
CliRun runRedirected(const QStringList& args, const QString& redirect) {
    QProcess process;
    process.start(QStringLiteral("/bin/sh"),
                  QStringList{QStringLiteral("-c"), "\"$0\" \"$@\" " + redirect,
                              QStringLiteral(VORNIX_BIN_DIR "/vornix-cli")} +
                      args);
    return FinishRun(process);
}

// Help, the version, info and stream have nothing but standard output to give their text to:
// when it cannot take the text they fail with the system's reason, never exit 0.
TEST(StandardOutputTest, AFailedWriteIsReported) {
    const QString clock = QStringLiteral(VORNIX_SAMPLES "/clock.bmp");
    const QByteArray full = "vornix-cli: standard output: No space left on device\n";
    const QByteArray closed = "vornix-cli: standard output: Bad file descriptor\n";
    const struct {
        QStringList args;
        QString redirect;
        QByteArray err;
    } rows[] = {
        {{"--help"}, "> /dev/full", full},
        {{"--version"}, "> /dev/full", full},
        {{"help", "convert"}, "> /dev/full", full},
        {{"pattern", "--help"}, "> /dev/full", full},
        {{"info", clock}, "> /dev/full", full},
        {{"stream", clock}, "> /dev/full", full},
        {{"--version"}, ">&-", closed},
        {{"--help"}, ">&-", closed},
        {{"info", clock}, ">&-", closed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE((row.args.join(' ') + " " + row.redirect).toStdString());
        const CliRun run = runRedirected(row.args, row.redirect);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, row.err);
    }
    // A command that writes nothing to standard output does not mind it closed.
    QTemporaryDir dir;
    const CliRun quiet = runRedirected({"pattern", "grid", dir.filePath("g.pxl")}, ">&-");
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err.constData();
    EXPECT_EQ(quiet.err, "");
}

// "--" ends the options of every command, so that a name after it may start with "-".
TEST(DoubleDashTest, EveryCommandTakesIt) {
    QTemporaryDir dir;
    const QString clock = QStringLiteral(VORNIX_SAMPLES "/clock.bmp");
    const struct {
        QStringList args;
        int exitCode;
        QByteArray errStart;
    } rows[] = {
        {{"pattern", "--", "grid", dir.filePath("g.pxl")}, 0, ""},
        {{"pattern", "--size", "16x8", "--", "bits", dir.filePath("b.bmp")}, 0, ""},
        {{"convert", "--", clock, dir.filePath("c.pxl")}, 0, ""},
        {{"convert", "--invert", "--", clock, dir.filePath("i.pxl")}, 0, ""},
        {{"info", "--", clock}, 0, ""},
        {{"stream", "--", dir.filePath("g.pxl")}, 0, ""},
        {{"help", "--", "convert"}, 0, ""},
        {{"load", "--", dir.filePath("missing.pxl")}, 1, "vornix-cli: "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const CliRun run = RunCli(row.args);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.startsWith(row.errStart)) << run.err.constData();
        if (row.exitCode == 0) {
            EXPECT_EQ(run.err, "");
        }
    }
    EXPECT_EQ(RunCli({"help", "--", "convert"}).out, RunCli({"convert", "--help"}).out);
}

} // namespace
