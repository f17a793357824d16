// vornix-cli load [--port DEVICE] FILE in a build without the download helper: the download
// runs in this process over the system's serial line, with the helper's messages and exit
// codes. A load to many ports needs the helper and is refused here.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "download/line/line_download.h"
#include "image/platform/platform.h"
#include "load_args.h"
#include "load_line.h"
#include "load_progress.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

class ProgressReport : public download::DownloadReport {
public:
    ProgressReport(int rows, bool terminal) : m_progress(rows, terminal) {}
    void progress(std::int64_t bytesSent, std::int64_t bytesTotal) override {
        m_progress.progress(bytesSent, bytesTotal);
    }
    void rowDone(int row) override { m_progress.rowDone(row); }
    void stalled(bool stalled) override { m_progress.stalled(stalled); }
    void endLine() { m_progress.endLine(); }

private:
    LoadProgress m_progress;
};

LoadEnd loadEnd(download::LineOutcome outcome) {
    switch (outcome) {
    case download::LineOutcome::Completed:
        return LoadEnd::Completed;
    case download::LineOutcome::Stopped:
        return LoadEnd::Stopped;
    case download::LineOutcome::Failed:
        break;
    }
    return LoadEnd::Failed;
}

} // namespace

int RunLoadInProcess(const std::vector<std::string>& args) {
    LoadArgs parsed;
    if (const std::string reason = ParseLoadArgs(args, true, parsed); !reason.empty()) {
        return UsageError("load", reason);
    }
    if (parsed.manyPorts) {
        std::fputs("vornix-cli: load: loads to many ports (--ports, --each-new-port, --port "
                   "given twice, DEVICE=FILE) need the Linux build with the desktop program\n",
                   stderr);
        return kExitFailure;
    }
    // The file is checked before the port is touched, so a refused file leaves the line alone.
    std::string pxl;
    int rows = 0;
    if (!PictureForLoad(parsed.file, pxl, rows)) {
        return kExitFailure;
    }
    const std::string device =
        parsed.device.empty() ? download::DefaultSerialDevice() : parsed.device;
    download::OpenedLine opened = download::OpenSerialLine(device, true);
    if (!opened.line) {
        std::fprintf(stderr, "vornix-cli: %s: cannot open: %s\n", TerminalName(device).c_str(),
                     opened.reason.c_str());
        return kExitFailure;
    }
    int columns = 0;
    ProgressReport report(rows, platform::StandardErrorIsTerminal(columns));
    const download::LineResult result = download::RunLineDownload(pxl, *opened.line, report);
    report.endLine();
    return ReportLoadEnd(loadEnd(result.outcome), result.discardedOnStop);
}

} // namespace vornix::cli
