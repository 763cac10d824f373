// The reader and the log window at the speed of the disk: side by side in
// one run, on backup files of 1,000,000 and 100,000 realistic events
// written by the project's own writer, three programs are timed as whole
// processes:
//   - the bare walk (qvspeed_walk): reads the file and decodes every record
//     and converts every string, nothing else;
//   - the library's reader (qvspeed_reader): every event fetched by index;
//   - the log window (qvspeed_window): made, loaded to its final status text
//     and closed.
// The runs alternate (the order turns each round) and each figure is the
// median of its runs.  Times are given with their ratio to the bare walk,
// peak memory above the memory just before the file was opened with its
// bytes per event above the file's size.
//
//   qv_bench_speed [--rounds N] [--events N]

#include "../BenchLog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Run {
    double seconds = 0;
    double peakKiB = 0;   // of the whole process
    double beforeKiB = 0; // just before the file was opened
    double closeMs = -1;  // the log window's close
    long events = -1;
};

std::string programDirectory()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

// Runs one program on a file and measures it; ends the benchmark when the
// program fails.
Run runProgram(const std::string& program, const std::string& file)
{
    int out[2];
    if (::pipe(out) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO); // shown when it fails
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(file.c_str()), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        std::perror(program.c_str());
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = ::read(out[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s %s failed:\n%s\n", program.c_str(), file.c_str(), text.c_str());
        std::exit(1);
    }

    Run run;
    run.seconds = std::chrono::duration<double>(end - start).count();
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t eol = text.find('\n', at);
        if (eol == std::string::npos)
            eol = text.size();
        const std::string line = text.substr(at, eol - at);
        at = eol + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string name = line.substr(0, eq);
        const double value = std::atof(line.c_str() + eq + 1);
        if (name == "rss_peak_kib")
            run.peakKiB = value;
        else if (name == "rss_before_kib")
            run.beforeKiB = value;
        else if (name == "close_ms")
            run.closeMs = value;
        else if (name == "events")
            run.events = static_cast<long>(value);
    }
    return run;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Program {
    const char* name;
    const char* title;
};
constexpr Program kPrograms[] = {
    {"qvspeed_walk", "bare walk"},
    {"qvspeed_reader", "reader"},
    {"qvspeed_window", "log window"},
};
constexpr int kProgramCount = 3;

struct Medians {
    double seconds[kProgramCount] = {};
    double aboveStartBytes[kProgramCount] = {}; // peak less the memory before the open
    double closeMs = 0;
};

Medians measure(const std::string& file, long events, int rounds)
{
    const std::string dir = programDirectory();
    std::vector<Run> runs[kProgramCount];
    // One untimed pass brings the file and the programs into the page cache.
    for (const Program& p : kPrograms)
        runProgram(dir + "/" + p.name, file);
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < kProgramCount; ++k) {
            const int which = (round + k) % kProgramCount;
            Run run = runProgram(dir + "/" + kPrograms[which].name, file);
            if (run.events != events) {
                std::fprintf(stderr, "%s read %ld events of %ld\n", kPrograms[which].name, run.events, events);
                std::exit(1);
            }
            runs[which].push_back(run);
        }
    }
    Medians m;
    for (int k = 0; k < kProgramCount; ++k) {
        std::vector<double> seconds, above;
        for (const Run& r : runs[k]) {
            seconds.push_back(r.seconds);
            above.push_back((r.peakKiB - r.beforeKiB) * 1024.0);
        }
        m.seconds[k] = median(seconds);
        m.aboveStartBytes[k] = median(above);
    }
    std::vector<double> closes;
    for (const Run& r : runs[2])
        closes.push_back(r.closeMs);
    m.closeMs = median(closes);
    return m;
}

void printTable(const Medians& m, long events, double fileBytes, int rounds)
{
    std::printf("\n%ld events, file of %.1f MB; medians of %d alternating runs\n", events, fileBytes / 1e6, rounds);
    std::printf("  %-12s %9s %7s %14s %16s\n", "", "time", "ratio", "peak above", "bytes/event");
    std::printf("  %-12s %9s %7s %14s %16s\n", "", "", "to walk", "start (MB)", "above file size");
    for (int k = 0; k < kProgramCount; ++k)
        std::printf("  %-12s %7.3f s %7.2f %14.1f %16.0f\n", kPrograms[k].title, m.seconds[k],
                    m.seconds[k] / m.seconds[0], m.aboveStartBytes[k] / 1e6,
                    (m.aboveStartBytes[k] - fileBytes) / static_cast<double>(events));
    std::printf("  closing the log window: %.1f ms\n", m.closeMs);
}

const char* verdict(bool met)
{
    return met ? "met" : "NOT met";
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 7;
    long events = 1'000'000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--events") == 0)
            events = std::max(10L, std::atol(argv[i + 1]));
    }
    const long smallEvents = events / 10;
    const std::string big = WriteBenchLog("qv-speed-" + std::to_string(events), static_cast<int>(events));
    const std::string small = WriteBenchLog("qv-speed-" + std::to_string(smallEvents), static_cast<int>(smallEvents));
    const double bigBytes = static_cast<double>(std::filesystem::file_size(big));
    const double smallBytes = static_cast<double>(std::filesystem::file_size(small));

    const Medians m = measure(big, events, rounds);
    printTable(m, events, bigBytes, rounds);
    const Medians s = measure(small, smallEvents, rounds);
    printTable(s, smallEvents, smallBytes, rounds);

    const double timeRatio = m.seconds[2] / m.seconds[0];
    const double perEvent = (m.aboveStartBytes[2] - bigBytes) / static_cast<double>(events);
    std::printf("\nlinearity %ld -> %ld events: time x%.1f (reader x%.1f), memory x%.1f (reader x%.1f)\n",
                smallEvents, events, m.seconds[2] / s.seconds[2], m.seconds[1] / s.seconds[1],
                m.aboveStartBytes[2] / s.aboveStartBytes[2], m.aboveStartBytes[1] / s.aboveStartBytes[1]);
    std::printf("\ngoals of the log window at %ld events:\n", events);
    std::printf("  time at most 3 x the bare walk:          %.2f x    %s\n", timeRatio, verdict(timeRatio <= 3.0));
    std::printf("  memory at most file + 300 B per event:   %+.0f B   %s\n", perEvent, verdict(perEvent <= 300.0));
    std::printf("  close at most 0.2 s:                     %.3f s   %s\n", m.closeMs / 1000.0,
                verdict(m.closeMs <= 200.0));
    const bool linear = m.seconds[2] <= 11 * s.seconds[2] && m.aboveStartBytes[2] <= 11 * s.aboveStartBytes[2];
    std::printf("  time and memory at most 11 x those at %ld: %s\n", smallEvents, verdict(linear));
    return 0;
}
