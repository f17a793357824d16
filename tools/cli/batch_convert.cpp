// convert [options] -o DIR INPUT...: many pictures, one output each, several at a time.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

#include "commands.h"
#include "convert_options.h"

namespace vornix::cli {

namespace {

std::mutex g_printing;

// Whole lines only: the workers print at the same time.
void printLine(std::string_view line) {
    const std::lock_guard lock(g_printing);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
}

// "pictures/cat.photo.jpg" -> "cat.photo": the name without its folder and last ending.
std::string stemOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name;
}

struct Job {
    std::string input;
    std::string output;
    std::string clash; // another input with the same output, or ""
};

std::vector<Job> plan(const PreparedArgs& request) {
    const std::string ending = request.to == PictureKind::Bitmap ? ".bmp" : ".pxl";
    std::string folder = request.outputDir;
    if (folder.back() != '/') {
        folder += '/';
    }
    std::vector<Job> jobs;
    std::map<std::string, std::string> taken; // output -> the input that writes it
    for (const std::string& input : request.names) {
        Job job{input, folder + stemOf(input) + ending, {}};
        const auto [where, added] = taken.emplace(job.output, input);
        if (!added) {
            job.clash = where->second;
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

bool convertOne(const PreparedArgs& request, const Job& job) {
    if (!job.clash.empty()) {
        printLine("vornix-cli: " + job.input + ": " + job.output + " is already the output of " +
                  job.clash);
        return false;
    }
    const auto failed = ConvertPictureFile(request, job.input, job.output, printLine);
    if (failed) {
        printLine(failed->line);
        return false;
    }
    return true;
}

// The folder of the outputs, made when missing; false with a message when there is none.
bool haveFolder(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return true;
        }
        printLine("vornix-cli: " + folder + ": not a folder");
        return false;
    }
    if (errno == ENOENT && ::mkdir(folder.c_str(), 0777) == 0) {
        return true;
    }
    printLine("vornix-cli: " + folder + ": " + std::strerror(errno));
    return false;
}

} // namespace

int RunBatch(const PreparedArgs& request) {
    if (!haveFolder(request.outputDir)) {
        return kExitFailure;
    }
    const std::vector<Job> jobs = plan(request);
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
    return anyFailed ? kExitFailure : kExitOk;
}

} // namespace vornix::cli
