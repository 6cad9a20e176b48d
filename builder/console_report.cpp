#include "builder/console_report.h"

#include <algorithm>

namespace build {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr size_t kBarWidth = 24;
constexpr size_t kLineWidth = 79;

const char* stageName(BuildStage stage) {
    switch (stage) {
        case BuildStage::ReadingFiles: return "reading files";
        case BuildStage::Packing: return "packing";
        case BuildStage::Writing: return "writing";
    }
    return "";
}

std::string format(const char* pattern, double value) {
    char buffer[32];
    snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

std::string secondsText(double seconds) { return format("%.1f s", seconds); }

std::string percentText(uint64_t part, uint64_t whole) {
    return whole ? std::to_string(part * 100 / whole) + " %" : "100 %";
}

// Packing reports no count (yet): the display shows time instead.
bool countless(const ProgressState& s) { return s.stage == BuildStage::Packing && s.done == 0; }

// A bar of known extent, or a marker bouncing through it while the amount is unknown.
std::string bar(const ProgressState& s) {
    std::string inside(kBarWidth, ' ');
    if (countless(s)) {
        size_t span = kBarWidth - 3;
        size_t step = size_t(s.seconds * 10) % (2 * span);
        size_t at = step < span ? step : 2 * span - step;
        inside.replace(at, 3, "<=>");
    } else {
        size_t filled = s.total ? size_t(std::min(s.done, s.total) * kBarWidth / s.total) : kBarWidth;
        inside.replace(0, filled, std::string(filled, '#'));
        std::replace(inside.begin() + filled, inside.end(), ' ', '.');
    }
    return "[" + inside + "]";
}

}  // namespace

std::string byteText(uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    return format(value < 10 ? "%.2f " : value < 100 ? "%.1f " : "%.0f ", value) + units[unit];
}

std::string progressLine(const ProgressState& s, size_t width) {
    std::string line;
    if (countless(s)) {
        line = std::string(stageName(s.stage)) + " " + byteText(s.total) + "  " + bar(s) + "  " +
               std::to_string(int64_t(s.seconds)) + " s";
    } else {
        uint64_t percent = s.total ? std::min(s.done, s.total) * 100 / s.total : 100;
        std::string count = std::to_string(percent);
        line = std::string(stageName(s.stage)) + "  " + bar(s) + " " + std::string(3 - std::min<size_t>(3, count.size()), ' ') +
               count + "%  " + byteText(s.done) + " of " + byteText(s.total);
    }
    if (line.size() > width) line.resize(width);
    return line;
}

std::string stageDoneLine(const ProgressState& s, uint64_t resultBytes) {
    std::string line = std::string(stageName(s.stage)) + ": " + byteText(s.total);
    if (s.stage == BuildStage::Packing)
        line += " to " + byteText(resultBytes) + " (" + percentText(resultBytes, s.total) + ")";
    return line + " in " + secondsText(s.seconds);
}

std::string summaryText(const std::string& output, const BuildSummary& summary) {
    std::string text = "Wrote " + output + ": " + byteText(summary.installerSize) + ", " +
                       std::to_string(summary.fileCount) + (summary.fileCount == 1 ? " file" : " files");
    if (summary.storedDataSize != summary.dataSize)
        text += " (" + byteText(summary.dataSize) + " packed to " + byteText(summary.storedDataSize) + ", " +
                percentText(summary.storedDataSize, summary.dataSize) + ")";
    text += ".\n";
    if (!summary.volumes.empty()) {
        text += "The data continues in " + std::to_string(summary.volumes.size()) +
                (summary.volumes.size() == 1 ? " volume" : " volumes") +
                "; ship them beside the installer:\n";
        for (const auto& volume : summary.volumes) text += "  " + volume.string() + "\n";
    }
    return text;
}

ConsoleReport::ConsoleReport(ConsoleOptions options, std::FILE* out, std::FILE* err)
    : options_(options), out_(out), err_(err), begun_(std::chrono::steady_clock::now()) {
    if (options_.progress && options_.redraw) redrawer_ = std::thread([this] { redrawLoop(); });
}

ConsoleReport::~ConsoleReport() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (redrawer_.joinable()) redrawer_.join();
    clear();
}

double ConsoleReport::secondsSince(std::chrono::steady_clock::time_point start) const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ConsoleReport::fileAdded(const std::string& source, const std::string& name, const std::string& kind,
                              uint64_t size) {
    if (!options_.verbose) return;
    std::lock_guard<std::mutex> lock(mutex_);
    clearLocked();
    std::string line = "  " + source;
    if (std::string(source).rfind(name) != source.size() - name.size()) line += " as " + name;
    fprintf(out_, "%s (%s, %s)\n", line.c_str(), kind.c_str(), byteText(size).c_str());
    fflush(out_);
}

void ConsoleReport::stageStarted(BuildStage stage, uint64_t totalBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_ = ProgressState{stage, totalBytes, 0, 0};
    stageBegun_ = std::chrono::steady_clock::now();
    inStage_ = true;
    if (options_.verbose && stage == BuildStage::ReadingFiles) {
        clearLocked();
        fprintf(out_, "Files:\n");
        fflush(out_);
    }
}

void ConsoleReport::stageProgress(uint64_t doneBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.done = std::min(doneBytes, state_.total);
}

void ConsoleReport::stageFinished(uint64_t resultBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.done = state_.total;
    state_.seconds = secondsSince(stageBegun_);
    inStage_ = false;
    std::string done = stageDoneLine(state_, resultBytes);
    if (options_.verbose) {
        clearLocked();
        fprintf(out_, "%s\n", done.c_str());
        fflush(out_);
    } else if (options_.progress && !options_.redraw) {
        fprintf(err_, "%s\n", done.c_str());
        fflush(err_);
    } else if (barShown_) {
        drawLocked();
    }
}

void ConsoleReport::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    clearLocked();
}

void ConsoleReport::clearLocked() {
    if (!barShown_) return;
    fprintf(err_, "\r%s\r", std::string(kLineWidth, ' ').c_str());
    fflush(err_);
    barShown_ = false;
}

void ConsoleReport::drawLocked() {
    std::string line = progressLine(state_, kLineWidth);
    fprintf(err_, "\r%s%s", line.c_str(), std::string(kLineWidth - line.size(), ' ').c_str());
    fflush(err_);
    barShown_ = true;
}

void ConsoleReport::redrawLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        wake_.wait_for(lock, kRedrawInterval);
        if (stopping_ || !inStage_ || secondsSince(begun_) < options_.delaySeconds) continue;
        state_.seconds = secondsSince(stageBegun_);
        drawLocked();
    }
}

}  // namespace build
