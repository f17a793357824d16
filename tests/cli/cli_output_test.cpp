// Where vornix-cli's OUTPUT lands, run as a real process on real files, links, FIFOs and
// devices: the bytes a regular file would get, delivered where the path leads, with the file's
// permissions, owner and links as they were, and no temporary file left behind.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/cli_run.h"

namespace {

using namespace vornix::clitest;

const QString kSamples = QStringLiteral(VORNIX_SAMPLES);
const QString kClock = kSamples + "/clock.bmp";
const QByteArray kOld = "the previous picture\r\n";
constexpr uid_t kNobody = 65534;

struct stat StatOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        info.st_mode = 0; // absent
    }
    return info;
}

mode_t ModeOf(const QString& path) {
    return StatOf(path).st_mode & 07777;
}

// The bytes `args` write to a regular file that did not exist: what every other OUTPUT must get.
QByteArray ExpectedOutput(QStringList args, const QString& ending) {
    QTemporaryDir scratch;
    const QString file = scratch.filePath("expected" + ending);
    args << file;
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return ReadAll(file);
}

// What OUTPUT is before the run. `output` is what the command line names, `target` the file
// that should end up with the bytes (or keep kOld when the run is refused).
struct Scene {
    QString dir;
    QString output;
    QString target;
    QString Path(const QString& name) const { return dir + "/" + name; }
};

enum class Outcome { Written, Refused };

struct OutputCase {
    const char* name;
    bool asNormalUser;
    bool needsRoot; // to give files to another user
    void (*make)(Scene&);
    Outcome outcome;
    const char* reason; // in the message of a refusal
    void (*check)(const Scene&);
};

void PrintTo(const OutputCase& c, std::ostream* os) {
    *os << c.name;
}

void MakeOldFile(const QString& path, mode_t mode) {
    ASSERT_TRUE(WriteAll(path, kOld));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

void Chown(const QString& path, uid_t user, gid_t group) {
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), user, group), 0);
}

class OutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_umask = ::umask(022);
        // A user other than root must be able to enter the folder and make files in it.
        ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0777), 0);
    }
    void TearDown() override { ::umask(m_umask); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    mode_t m_umask = 022;
};

class OutputCaseTest : public OutputTest, public ::testing::WithParamInterface<OutputCase> {};

TEST_P(OutputCaseTest, LandsWhereThePathLeads) {
    const OutputCase& c = GetParam();
    if (c.needsRoot && ::geteuid() != 0) {
        GTEST_SKIP() << "giving a file to another user needs root";
    }
    if (c.asNormalUser && !CanRunAsNormalUser()) {
        GTEST_SKIP() << "no user other than root can run the program";
    }
    const QByteArray expected = ExpectedOutput({"convert", kClock}, ".pxl");
    ASSERT_GT(expected.size(), 10000);
    Scene scene{m_dir.path(), {}, {}};
    c.make(scene);
    const bool existed = StatOf(scene.target).st_mode != 0;
    QStringList before = EntriesOf(m_dir.path());

    const CliRun run = RunCli({"convert", kClock, scene.output}, c.asNormalUser);

    ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0777), 0); // for clean-up
    if (c.outcome == Outcome::Written) {
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(ReadAll(scene.target) == expected) << "the target lacks the new bytes";
        if (!existed && QFileInfo(scene.target).absolutePath() == m_dir.path()) {
            before << QFileInfo(scene.target).fileName();
            before.sort();
        }
    } else {
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(scene.output.toUtf8() + ": " + c.reason))
            << run.err.toStdString();
        if (existed) {
            EXPECT_EQ(ReadAll(scene.target), kOld);
        } else {
            EXPECT_EQ(StatOf(scene.target).st_mode, 0u) << "a refusal created the target";
        }
    }
    EXPECT_EQ(EntriesOf(m_dir.path()), before) << "a file was left behind or a link replaced";
    c.check(scene);
}

void NoCheck(const Scene&) {}

INSTANTIATE_TEST_SUITE_P(
    Paths, OutputCaseTest,
    ::testing::Values(
        OutputCase{
            "SymlinkStaysALinkAndItsTargetGetsTheBytes", false, false,
            [](Scene& s) {
                MakeOldFile(s.Path("target.pxl"), 0644);
                ASSERT_TRUE(QFile::link("target.pxl", s.Path("out.pxl")));
                s.output = s.Path("out.pxl");
                s.target = s.Path("target.pxl");
            },
            Outcome::Written, "",
            [](const Scene& s) { EXPECT_EQ(QFileInfo(s.output).symLinkTarget(), s.target); }},
        // out.pxl -> sub/hop -> (relative to sub) final.pxl: the new file is made in sub.
        OutputCase{"ChainOfLinksIntoAnotherFolder", false, false,
                   [](Scene& s) {
                       ASSERT_TRUE(QDir(s.dir).mkdir("sub"));
                       MakeOldFile(s.Path("sub/final.pxl"), 0644);
                       ASSERT_TRUE(QFile::link("final.pxl", s.Path("sub/hop")));
                       ASSERT_TRUE(QFile::link("sub/hop", s.Path("out.pxl")));
                       s.output = s.Path("out.pxl");
                       s.target = s.Path("sub/final.pxl");
                   },
                   Outcome::Written, "",
                   [](const Scene& s) {
                       EXPECT_TRUE(QFileInfo(s.Path("sub/hop")).isSymLink());
                       EXPECT_TRUE(QFileInfo(s.output).isSymLink());
                       EXPECT_EQ(EntriesOf(s.Path("sub")), QStringList({"final.pxl", "hop"}));
                   }},
        OutputCase{"PrivateFileStaysPrivate", false, false,
                   [](Scene& s) {
                       s.output = s.target = s.Path("out.pxl");
                       MakeOldFile(s.output, 0600);
                   },
                   Outcome::Written, "",
                   [](const Scene& s) { EXPECT_EQ(ModeOf(s.target), 0600u); }},
        OutputCase{"HardLinkedFileIsWrittenForBothNames", false, false,
                   [](Scene& s) {
                       s.output = s.target = s.Path("out.pxl");
                       MakeOldFile(s.output, 0640);
                       ASSERT_EQ(::link(QFile::encodeName(s.output).constData(),
                                        QFile::encodeName(s.Path("other.pxl")).constData()),
                                 0);
                   },
                   Outcome::Written, "",
                   [](const Scene& s) {
                       EXPECT_EQ(ReadAll(s.Path("other.pxl")), ReadAll(s.output));
                       EXPECT_EQ(StatOf(s.output).st_nlink, 2u);
                       EXPECT_EQ(StatOf(s.output).st_ino, StatOf(s.Path("other.pxl")).st_ino);
                       EXPECT_EQ(ModeOf(s.output), 0640u);
                   }},
        OutputCase{"NewFileTakesTheUmask", false, false,
                   [](Scene& s) {
                       s.output = s.target = s.Path("new.pxl");
                       ::umask(027);
                   },
                   Outcome::Written, "",
                   [](const Scene& s) { EXPECT_EQ(ModeOf(s.target), 0640u); }},
        OutputCase{"WriteProtectedFileIsRefusedToANormalUser", true, false,
                   [](Scene& s) {
                       s.output = s.target = s.Path("out.pxl");
                       MakeOldFile(s.output, 0444);
                   },
                   Outcome::Refused, "Permission denied",
                   [](const Scene& s) { EXPECT_EQ(ModeOf(s.target), 0444u); }},
        OutputCase{"DanglingLinkIsRefused", false, false,
                   [](Scene& s) {
                       ASSERT_TRUE(QFile::link("missing.pxl", s.Path("out.pxl")));
                       s.output = s.Path("out.pxl");
                       s.target = s.Path("missing.pxl");
                   },
                   Outcome::Refused, "not writing through dangling symlink",
                   [](const Scene& s) { EXPECT_TRUE(QFileInfo(s.output).isSymLink()); }},
        OutputCase{"FolderIsRefused", false, false,
                   [](Scene& s) {
                       ASSERT_TRUE(QDir(s.dir).mkdir("folder.pxl"));
                       s.output = s.Path("folder.pxl");
                       s.target = s.Path("folder.pxl/nothing");
                   },
                   Outcome::Refused, "Is a directory", NoCheck},
        // Root makes the file root's, in the group "nogroup", writable by the group; "nobody"
        // may write it but may not give a new file that owner: it is written in place.
        OutputCase{"OtherUsersFileKeepsItsOwner", true, true,
                   [](Scene& s) {
                       s.output = s.target = s.Path("shared.pxl");
                       MakeOldFile(s.output, 0664);
                       Chown(s.output, 0, kNobody);
                   },
                   Outcome::Written, "",
                   [](const Scene& s) {
                       EXPECT_EQ(StatOf(s.target).st_uid, 0u);
                       EXPECT_EQ(StatOf(s.target).st_gid, kNobody);
                       EXPECT_EQ(ModeOf(s.target), 0664u);
                   }},
        OutputCase{"RootKeepsTheOwnerOfAUsersFile", false, true,
                   [](Scene& s) {
                       s.output = s.target = s.Path("theirs.pxl");
                       MakeOldFile(s.output, 0640);
                       Chown(s.output, kNobody, kNobody);
                   },
                   Outcome::Written, "",
                   [](const Scene& s) {
                       EXPECT_EQ(StatOf(s.target).st_uid, kNobody);
                       EXPECT_EQ(StatOf(s.target).st_gid, kNobody);
                       EXPECT_EQ(ModeOf(s.target), 0640u);
                   }},
        // A folder that takes no new file, holding a file the user may write: as with `cp`,
        // the file is written where it is.
        OutputCase{"WritableFileInAFolderThatTakesNoNewFile", true, false,
                   [](Scene& s) {
                       s.output = s.target = s.Path("open.pxl");
                       MakeOldFile(s.output, 0666);
                       ASSERT_EQ(::chmod(QFile::encodeName(s.dir).constData(), 0555), 0);
                   },
                   Outcome::Written, "",
                   [](const Scene& s) { EXPECT_EQ(ModeOf(s.target), 0666u); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Devices are written in place and stay devices; what a regular file gets, they get.
TEST_F(OutputTest, DevNullStaysADevice) {
    const struct stat before = StatOf("/dev/null");
    ASSERT_TRUE(S_ISCHR(before.st_mode));
    const CliRun run = RunCli({"convert", kClock, "/dev/null"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const struct stat after = StatOf("/dev/null");
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, before.st_rdev);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

// Every command that writes OUTPUT streams it to /dev/stdout (here a pipe), named directly or
// through a link whose name gives the format, and writes a file through a link: byte for byte
// what a regular file receives.
TEST_F(OutputTest, EveryWritingCommandStreamsToStdoutAndFollowsLinks) {
    const struct {
        QStringList args; // OUTPUT follows
        QString ending;
        bool anyName; // OUTPUT's name need not end in .pxl or .bmp
    } commands[] = {
        {{"convert", kClock}, ".pxl", true},
        {{"convert", kSamples + "/clock.pxl"}, ".bmp", true},
        {{"convert", "--invert", kClock}, ".bmp", false},
        {{"pattern", "checker"}, ".pxl", false},
        {{"text", "Hi"}, ".pxl", false},
    };
    const QString stdoutLink = QFileInfo("/dev/stdout").symLinkTarget();
    for (const auto& command : commands) {
        SCOPED_TRACE(command.args.join(' ').toStdString());
        const QByteArray expected = ExpectedOutput(command.args, command.ending);
        ASSERT_FALSE(expected.isEmpty());
        const QString named = path("stdout" + command.ending);
        QFile::remove(named);
        ASSERT_TRUE(QFile::link("/dev/stdout", named));
        QStringList outputs{named};
        if (command.anyName) {
            outputs << "/dev/stdout";
        }
        for (const QString& output : outputs) {
            const CliRun streamed = RunCli(command.args + QStringList{output});
            EXPECT_EQ(streamed.exitCode, 0) << streamed.err.toStdString();
            EXPECT_TRUE(streamed.out == expected) << "stdout got " << streamed.out.size();
        }

        const QString target = path("target" + command.ending);
        const QString link = path("link" + command.ending);
        MakeOldFile(target, 0600);
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(target, link));
        EXPECT_EQ(RunCli(command.args + QStringList{link}).exitCode, 0);
        EXPECT_TRUE(ReadAll(target) == expected);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_EQ(ModeOf(target), 0600u);
    }
    EXPECT_TRUE(S_ISLNK(StatOf("/dev/stdout").st_mode));
    EXPECT_EQ(QFileInfo("/dev/stdout").symLinkTarget(), stdoutLink);
}

// /dev/stdout that was opened for appending to a file (`>> file`): the bytes go after what the
// file holds, exactly as for "-", and nothing of the old content is cut.
TEST_F(OutputTest, StdoutAppendingToAFileGetsTheBytesAtItsEnd) {
    const QByteArray expected = ExpectedOutput({"convert", kClock}, ".pxl");
    const QString file = path("shell.pxl");
    const QByteArray old(expected.size() * 2, 'x');
    ASSERT_TRUE(WriteAll(file, old));
    const ino_t inode = StatOf(file).st_ino;
    QProcess process;
    process.setStandardOutputFile(file, QIODevice::Append);
    process.start(QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"), {"convert", kClock, "/dev/stdout"});
    ASSERT_TRUE(process.waitForFinished(kRunTimeoutMs));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(ReadAll(file) == old + expected) << "the file holds " << ReadAll(file).size();
    EXPECT_EQ(StatOf(file).st_ino, inode);
    EXPECT_EQ(EntriesOf(m_dir.path()), QStringList{"shell.pxl"});
    EXPECT_TRUE(S_ISLNK(StatOf("/dev/stdout").st_mode));
}

// The shell sends a group of commands into one file, and OUTPUT names the command's standard
// output: its bytes land where the shell's descriptor stands, between what came before and
// what comes after, and `>>` appends to the file instead of erasing it.
struct RedirectCase {
    const char* name;
    const char* output; // "link" is a symbolic link in the folder to /dev/stdout
    bool append;
};

void PrintTo(const RedirectCase& c, std::ostream* os) {
    *os << c.name;
}

class StdoutRedirectTest : public OutputTest, public ::testing::WithParamInterface<RedirectCase> {};

TEST_P(StdoutRedirectTest, OutputLandsBetweenTheShellsLines) {
    const RedirectCase& c = GetParam();
    const QByteArray expected = ExpectedOutput({"convert", kClock}, ".pxl");
    const QString file = path("log.txt");
    ASSERT_TRUE(WriteAll(file, "LOG\n"));
    QString output = QString::fromLatin1(c.output);
    if (output == "link") {
        output = path("stdout.pxl");
        ASSERT_TRUE(QFile::link("/dev/stdout", output));
    }
    const QStringList before = EntriesOf(m_dir.path());
    const QString script =
        QStringLiteral("f=$1; shift; { echo HEADER; \"$@\"; s=$?; echo TRAILER; } ") +
        (c.append ? ">>" : ">") + QStringLiteral(" \"$f\"; exit $s");
    QProcess shell;
    shell.start("/bin/sh", {"-c", script, "sh", file, VORNIX_BIN_DIR "/vornix-cli", "convert",
                            kClock, output});
    ASSERT_TRUE(shell.waitForFinished(kRunTimeoutMs));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    const QByteArray wanted =
        (c.append ? QByteArray("LOG\n") : QByteArray()) + "HEADER\n" + expected + "TRAILER\n";
    const QByteArray got = ReadAll(file);
    EXPECT_TRUE(got == wanted) << "the file holds " << got.size() << " bytes, starting "
                               << got.left(12).toStdString();
    EXPECT_EQ(EntriesOf(m_dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Shells, StdoutRedirectTest,
                         ::testing::Values(RedirectCase{"DevStdout", "/dev/stdout", false},
                                           RedirectCase{"DevStdoutAppending", "/dev/stdout", true},
                                           RedirectCase{"DevFd", "/dev/fd/1", false},
                                           RedirectCase{"ProcSelfAppending", "/proc/self/fd/1",
                                                        true},
                                           RedirectCase{"LinkToDevStdout", "link", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A small file system that holds the gathered output but not a second copy of it while the file
// is overwritten where it is: OUTPUT is refused with its old content, whichever reason sent
// the output in place.
struct FullDiskCase {
    const char* name;
    bool asNormalUser;
    // The tmpfs's size in pages, for an output of `pages` pages and an old file of one page.
    int (*diskPages)(int pages);
    void (*make)(const QString& disk);
};

void PrintTo(const FullDiskCase& c, std::ostream* os) {
    *os << c.name;
}

class FullDiskTest : public OutputTest, public ::testing::WithParamInterface<FullDiskCase> {
protected:
    void TearDown() override {
        if (m_mounted) {
            const QByteArray disk = QFile::encodeName(path("disk"));
            ASSERT_EQ(::chmod(disk.constData(), 0777), 0);
            if (::umount(disk.constData()) != 0) {
                ::umount2(disk.constData(), MNT_DETACH);
            }
        }
        OutputTest::TearDown();
    }
    bool m_mounted = false;
};

TEST_P(FullDiskTest, InPlaceOutputIsRefusedWhole) {
    const FullDiskCase& c = GetParam();
    if (c.asNormalUser && !CanRunAsNormalUser()) {
        GTEST_SKIP() << "no user other than root can run the program";
    }
    const QByteArray expected = ExpectedOutput({"convert", kClock}, ".pxl");
    const int page = static_cast<int>(::sysconf(_SC_PAGESIZE));
    const int pages = (static_cast<int>(expected.size()) + page - 1) / page;
    ASSERT_GE(pages, 3);
    const QString disk = path("disk");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("disk"));
    const QByteArray options =
        "size=" + QByteArray::number(c.diskPages(pages) * page / 1024) + "k,mode=0777";
    if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, options.constData()) !=
        0) {
        const int error = errno;
        GTEST_SKIP() << "mounting a small tmpfs is not permitted here (" << std::strerror(error)
                     << "); the full-disk cases need it";
    }
    m_mounted = true;
    const QString output = disk + "/out.pxl";
    MakeOldFile(output, 0666);
    ASSERT_EQ(::link(QFile::encodeName(output).constData(),
                     QFile::encodeName(disk + "/other.pxl").constData()),
              0);
    c.make(disk);
    const struct stat before = StatOf(output);
    const QStringList entries = EntriesOf(disk);

    const CliRun run = RunCli({"convert", kClock, output}, c.asNormalUser);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(output.toUtf8() + ": No space left on device"))
        << run.err.toStdString();
    EXPECT_EQ(ReadAll(output), kOld);
    EXPECT_EQ(ReadAll(disk + "/other.pxl"), kOld);
    const struct stat after = StatOf(output);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(EntriesOf(disk), entries);
}

INSTANTIATE_TEST_SUITE_P(
    Disks, FullDiskTest,
    ::testing::Values(
        // The output gathers on the small disk itself, beside its hard-linked OUTPUT.
        FullDiskCase{"HardLinked", false, [](int pages) { return pages + 1; },
                     [](const QString&) {}},
        // "nobody" may write the file but not make one beside it: the output gathers in the
        // scratch folder, and the disk has room for only half of it.
        FullDiskCase{"FolderTakesNoNewFile", true, [](int pages) { return pages / 2 + 1; },
                     [](const QString& disk) {
                         ASSERT_EQ(::chmod(QFile::encodeName(disk).constData(), 0555), 0);
                     }},
        // "nobody" may write root's file but not give a new file root as its owner.
        FullDiskCase{"OwnerCannotBeKept", true, [](int pages) { return pages + 1; },
                     [](const QString& disk) {
                         Chown(disk + "/out.pxl", 0, kNobody);
                         ASSERT_EQ(::chmod(QFile::encodeName(disk + "/out.pxl").constData(), 0664),
                                   0);
                     }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutputTest, FifoWithAReaderGetsTheBytes) {
    const QByteArray expected = ExpectedOutput({"convert", kClock}, ".pxl");
    ASSERT_LT(expected.size(), 65536); // the pipe holds it all until the reader reads
    const QByteArray fifo = QFile::encodeName(path("fifo.pxl"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0644), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const CliRun run = RunCli({"convert", kClock, path("fifo.pxl")});
    QByteArray received;
    char block[4096];
    for (ssize_t got; (got = ::read(reader, block, sizeof block)) > 0;) {
        received.append(block, static_cast<int>(got));
    }
    ::close(reader);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(received == expected) << "the reader got " << received.size() << " bytes";
    EXPECT_TRUE(S_ISFIFO(StatOf(path("fifo.pxl")).st_mode));
    EXPECT_EQ(EntriesOf(m_dir.path()), QStringList{"fifo.pxl"});
}

// Nobody reads: refused after a short wait, never a hang and never a file in the FIFO's place.
TEST_F(OutputTest, FifoWithoutAReaderIsRefused) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.pxl")).constData(), 0644), 0);
    const CliRun run = RunCli({"convert", kClock, path("fifo.pxl")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("fifo.pxl: no process is reading the FIFO"))
        << run.err.toStdString();
    EXPECT_TRUE(S_ISFIFO(StatOf(path("fifo.pxl")).st_mode));
    EXPECT_EQ(EntriesOf(m_dir.path()), QStringList{"fifo.pxl"});
}

// The process's descriptor for the file that gathers the output, as /proc shows it: a name in
// the folder, or "#inode (deleted)" for an unnamed one.
bool HoldsFileIn(qint64 pid, const QString& folder) {
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString& fd :
         QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFile::symLinkTarget(fds + "/" + fd);
        if (target.startsWith(folder + "/.") || target.startsWith(folder + "/#")) {
            return true;
        }
    }
    return false;
}

// SIGTERM while an 8192 x 8192 bitmap's 42 MB of PXL text is being written: the process ends
// as the signal says, OUTPUT keeps its old content (or, had the signal come late, the whole new
// one), and nothing temporary remains.
TEST_F(OutputTest, SigtermDuringABigConversionLeavesNoTemporaryFile) {
    constexpr int kSide = 8192;
    QByteArray pixels(kSide / 8 * kSide, '\0');
    for (int i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<char>(i * 37 + i / 1024);
    }
    QTemporaryDir inputs;
    const QString input = inputs.filePath("big.bmp");
    ASSERT_TRUE(WriteAll(input, Bitmap({.fileSize = 62 + static_cast<int>(pixels.size()),
                                        .width = kSide,
                                        .height = kSide,
                                        .imageSize = static_cast<int>(pixels.size())},
                                       pixels)));
    const QByteArray expected = ExpectedOutput({"convert", input}, ".pxl");
    ASSERT_GT(expected.size(), 40'000'000);
    const QString output = path("big.pxl");
    MakeOldFile(output, 0644);

    QProcess process;
    process.start(QStringLiteral(VORNIX_BIN_DIR "/vornix-cli"), {"convert", input, output});
    ASSERT_TRUE(process.waitForStarted(kRunTimeoutMs));
    bool caughtWriting = false;
    for (int ms = 0; ms < kRunTimeoutMs && !process.waitForFinished(1); ++ms) {
        if (HoldsFileIn(process.processId(), m_dir.path())) {
            caughtWriting = true;
            ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
            break;
        }
    }
    ASSERT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(kRunTimeoutMs));
    EXPECT_EQ(EntriesOf(m_dir.path()), QStringList{"big.pxl"});
    const QByteArray after = ReadAll(output);
    EXPECT_TRUE(after == kOld || after == expected) << "OUTPUT holds " << after.size() << " bytes";
    if (caughtWriting) {
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit) << "the signal did not end it";
    }
}

} // namespace
