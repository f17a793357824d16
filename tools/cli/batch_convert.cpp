// convert [options] -o DIR INPUT...: many pictures, one output each, several at a time.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli_files.h"
#include "commands.h"
#include "convert_options.h"
#include "file_errors.h"
#include "image/platform/platform.h"
#include "same_file.h"
#include "terminal_text.h"

namespace vornix::cli {

namespace {

// The line "[12/340] name" that a batch keeps redrawn at the foot of a terminal; the workers'
// messages are printed above it.
class ProgressLine {
public:
    // Shown only on a terminal, and never with --quiet.
    void start(std::size_t total, bool quiet) {
        m_total = total;
        int columns = 0;
        m_shown = !quiet && platform::StandardErrorIsTerminal(columns);
        m_columns = columns > 1 ? static_cast<std::size_t>(columns) : 80;
    }

    // One picture more is done.
    void advance(const std::string& input) {
        const std::lock_guard lock(m_printing);
        ++m_done;
        if (!m_shown) {
            return;
        }
        // Appended piece by piece: GCC 12 warns (-Wrestrict) about "[" + std::string.
        m_text.assign(1, '[');
        m_text.append(std::to_string(m_done)).append(1, '/').append(std::to_string(m_total));
        m_text.append("] ").append(TerminalName(input));
        cutToWidth(m_text, m_columns - 1);
        put("\r" + m_text + "\x1b[K");
    }

    // A whole line above the progress: the workers print at the same time.
    void print(std::string_view line) {
        const std::lock_guard lock(m_printing);
        std::string text = m_shown && !m_text.empty() ? "\r\x1b[K" : "";
        text.append(line);
        text += '\n';
        if (m_shown && !m_text.empty()) {
            text += m_text;
        }
        put(text);
    }

    void finish() {
        const std::lock_guard lock(m_printing);
        if (m_shown && !m_text.empty()) {
            put("\r\x1b[K");
        }
        m_text.clear();
    }

private:
    static void put(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

    // At most `columns` characters, so that the line never wraps and "\r" returns to its start.
    static void cutToWidth(std::string& text, std::size_t columns) {
        std::size_t characters = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++characters > columns) {
                text.resize(i);
                return;
            }
        }
    }

    std::mutex m_printing;
    std::size_t m_total = 0;
    std::size_t m_done = 0;
    std::size_t m_columns = 80;
    bool m_shown = false;
    std::string m_text;
};

ProgressLine g_progress;

void printLine(std::string_view line) {
    g_progress.print(line);
}

// "pictures/cat.photo.jpg" -> "cat.photo": the name without its folder and last ending.
std::string stemOf(const std::string& path) {
    std::string name = path.substr(platform::FolderLength(path));
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name;
}

struct Job {
    std::string input;
    std::vector<std::string> outputs; // one, or one per frame
    std::string refusal;              // the line that reports why it is not converted, or ""
};

// What tells two outputs apart: the file an existing name leads to, else the name itself.
std::string outputKey(const std::string& output) {
    if (const auto file = RegularFileOf(output, true)) {
        return "file " + std::to_string(file->device) + ":" + std::to_string(file->index);
    }
    return "name " + output;
}

// Every input's outputs, frame names included, known before anything is written; an input
// whose outputs another input already writes is refused.
std::vector<Job> plan(const PreparedArgs& request) {
    const std::string ending(
        image::FormatEntryOf(request.to.value_or(image::PictureFormat::Pxl)).endings[0]);
    std::string folder = request.outputDir;
    if (!platform::IsFolderSeparator(folder.back())) {
        folder += '/';
    }
    std::vector<Job> jobs;
    std::map<std::string, std::string> taken; // output -> the input that writes it
    for (const std::string& input : request.names) {
        Job job{input, {}, {}};
        const PictureOutputs outputs =
            OutputsOfFile(request, input, folder + stemOf(input) + ending);
        job.outputs = outputs.names;
        if (!outputs.refusal.empty()) {
            job.refusal = FileError(input, outputs.refusal);
        }
        for (const std::string& output : job.outputs) {
            const auto clash = taken.find(outputKey(output));
            if (job.refusal.empty() && clash != taken.end()) {
                job.refusal = "vornix-cli: " + TerminalName(input) + ": " + TerminalName(output) +
                              " is already the output of " + TerminalName(clash->second);
            }
        }
        if (job.refusal.empty()) {
            for (const std::string& output : job.outputs) {
                taken.emplace(outputKey(output), input);
            }
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

bool convertOne(const PreparedArgs& request, const Job& job) {
    if (!job.refusal.empty()) {
        printLine(job.refusal);
        return false;
    }
    const auto failed =
        ConvertPictureFile(request, job.input, job.outputs, request.quiet ? IgnoreLine : printLine);
    if (failed) {
        printLine(failed->line);
        return false;
    }
    return true;
}

// A name that says it is a picture file, not a folder: "out.pxl", "photo.JPG" (not "out.pxl/").
bool namesAPicture(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || platform::FolderLength(name) > dot) {
        return false;
    }
    std::string ending = name.substr(dot + 1);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    constexpr std::string_view kPhotoEndings[] = {"pgm", "ppm",  "pnm", "png",
                                                  "jpg", "jpeg", "gif", "webp"};
    return FormatOfName(name).has_value() ||
           std::find(std::begin(kPhotoEndings), std::end(kPhotoEndings), ending) !=
               std::end(kPhotoEndings);
}

// The folder of the outputs, made when missing (with a note); false with a message when there
// is none.
bool haveFolder(const std::string& folder, bool quiet) {
    const platform::PathInfo info = platform::InfoOf(folder);
    if (info.error == 0) {
        if (info.kind == platform::PathKind::Folder) {
            return true;
        }
        printLine("vornix-cli: " + TerminalName(folder) + ": not a folder");
        return false;
    }
    int error = info.error;
    if (error == ENOENT && (error = platform::MakeFolder(folder)) == 0) {
        if (!quiet) {
            printLine("vornix-cli: " + TerminalName(folder) +
                      ": note: folder made for the outputs");
        }
        return true;
    }
    printLine("vornix-cli: " + TerminalName(folder) + ": " + std::strerror(error));
    return false;
}

} // namespace

int RunBatch(const PreparedArgs& request) {
    if (IsHeaderBatch(request)) {
        return RunHeaderBatch(request);
    }
    if (platform::InfoOf(request.outputDir).error == ENOENT && namesAPicture(request.outputDir)) {
        return UsageError("convert", "no folder " + TerminalName(request.outputDir) +
                                         ": -o names the folder of a batch; to write one "
                                         "picture, give INPUT OUTPUT");
    }
    const std::vector<Job> jobs = plan(request);
    std::vector<std::string> outputs;
    for (const Job& job : jobs) {
        if (job.refusal.empty()) {
            outputs.insert(outputs.end(), job.outputs.begin(), job.outputs.end());
        }
    }
    if (const auto clashes = SameFileLines(request.names, outputs); !clashes.empty()) {
        for (const std::string& line : clashes) {
            printLine(line);
        }
        return kExitFailure;
    }
    if (!haveFolder(request.outputDir, request.quiet)) {
        return kExitFailure;
    }
    g_progress.start(jobs.size(), request.quiet);
    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workers = std::min<std::size_t>(
        request.jobs > 0 ? static_cast<std::size_t>(request.jobs) : processors, jobs.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> anyFailed{false};
    const auto work = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            if (!convertOne(request, jobs[i])) {
                anyFailed = true;
            }
            g_progress.advance(jobs[i].input);
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < workers; ++i) {
        threads.emplace_back(work);
    }
    work();
    for (std::thread& thread : threads) {
        thread.join();
    }
    g_progress.finish();
    return anyFailed ? kExitFailure : kExitOk;
}

} // namespace vornix::cli
