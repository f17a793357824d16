// The lines a load to many ports shows: one a port, redrawn in place on a terminal, and the
// summary at the end. Pure text work, so that it is tested without ports.
#include "port_board.h"

#include <charconv>
#include <cstdio>

#include "image/text/messages.h"

namespace vornix::cli {

namespace {

constexpr std::string_view kFailurePrefix = "vornix-cli: ";

// "Row 5 of 128, 25.0 s left" -> 5, 128, 25.0; false for any other line.
bool parseRowLine(std::string_view line, int& row, int& rows, double& seconds) {
    constexpr std::string_view kRow = "Row ";
    if (!line.starts_with(kRow)) {
        return false;
    }
    const char* at = line.data() + kRow.size();
    const char* end = line.data() + line.size();
    while (at < end && *at == ' ') {
        ++at;
    }
    auto [afterRow, rowError] = std::from_chars(at, end, row);
    constexpr std::string_view kOf = " of ";
    if (rowError != std::errc() || std::string_view(afterRow, end - afterRow).substr(0, 4) != kOf) {
        return false;
    }
    auto [afterRows, rowsError] = std::from_chars(afterRow + kOf.size(), end, rows);
    constexpr std::string_view kComma = ", ";
    if (rowsError != std::errc() ||
        std::string_view(afterRows, end - afterRows).substr(0, 2) != kComma) {
        return false;
    }
    auto [afterSeconds, secondsError] = std::from_chars(afterRows + kComma.size(), end, seconds);
    return secondsError == std::errc() &&
           std::string_view(afterSeconds, end - afterSeconds) == " s left";
}

} // namespace

std::string_view StateWord(PortState state) {
    switch (state) {
    case PortState::Waiting:
        return "waiting";
    case PortState::Sending:
        return "sending";
    case PortState::Stalled:
        return "stalled";
    case PortState::Loaded:
        return "loaded";
    case PortState::Failed:
        return "failed";
    case PortState::Stopped:
        return "stopped";
    }
    return "waiting";
}

void TakeHelperLine(PortProgress& progress, std::string_view line, std::string_view device) {
    if (line.empty()) {
        return;
    }
    progress.lastLine.assign(line);
    int row = 0;
    int rows = 0;
    double seconds = 0;
    if (parseRowLine(line, row, rows, seconds)) {
        progress.row = row;
        progress.rows = rows;
        progress.secondsLeft = seconds;
        progress.state = PortState::Sending;
    } else if (line == image::messages::kControllerNotReady) {
        progress.state = PortState::Stalled;
    } else if (line.starts_with(kFailurePrefix)) {
        std::string_view reason = line.substr(kFailurePrefix.size());
        if (reason.size() > device.size() + 2 && reason.starts_with(device) &&
            reason.substr(device.size(), 2) == ": ") {
            reason.remove_prefix(device.size() + 2);
        }
        progress.reason.assign(reason);
    }
}

std::string BoardLine(std::string_view device, const PortProgress& progress, int stalledSeconds,
                      int width) {
    std::string line(device);
    line += "  ";
    line += StateWord(progress.state);
    line.append(9 - StateWord(progress.state).size(), ' ');
    char numbers[96] = "";
    if (progress.state == PortState::Failed || progress.state == PortState::Stopped) {
        line += progress.state == PortState::Failed ? progress.reason : "";
    } else if (progress.state == PortState::Loaded && progress.rows > 0) {
        std::snprintf(numbers, sizeof numbers, "row %3d/%d  100%%", progress.rows, progress.rows);
    } else if (progress.rows > 0) {
        const int percent = progress.row * 100 / progress.rows;
        std::snprintf(numbers, sizeof numbers, "row %3d/%d  %3d%%  %.1f s left", progress.row,
                      progress.rows, percent, progress.secondsLeft);
    }
    line += numbers;
    if (stalledSeconds >= 0) {
        line += "  stalled " + std::to_string(stalledSeconds) + " s";
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    if (width > 0 && static_cast<int>(line.size()) > width) {
        // Cut at a character boundary so that a UTF-8 name is never split.
        std::size_t cut = static_cast<std::size_t>(width);
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        line.resize(cut);
    }
    return line;
}

std::string Summary(int loaded, int stopped, const std::vector<std::string>& failures) {
    std::string summary = std::to_string(loaded) + " loaded";
    if (stopped > 0) {
        summary += ", " + std::to_string(stopped) + " stopped";
    }
    if (!failures.empty()) {
        summary += ", " + std::to_string(failures.size()) + " failed: ";
        for (std::size_t i = 0; i < failures.size(); ++i) {
            summary += (i == 0 ? "" : "; ") + failures[i];
        }
    }
    return summary;
}

} // namespace vornix::cli
