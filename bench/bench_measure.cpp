#include "bench_measure.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace bench {

namespace {

long statusKb(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    long kb = 0;
    const size_t len = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, len) == 0)
            kb = std::atol(line + len);
    std::fclose(f);
    return kb;
}

// A forked child inherits the parent's high-water mark; this lowers it to what is
// resident now.
void resetPeak() {
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

void verdict(const char* label, double value, const char* op, double target, bool met) {
    std::printf("  %-44s %8.2fx   target %s %.2fx   %s\n", label, value, op, target,
                met ? "met" : "NOT met");
}

} // namespace

Stopwatch::Stopwatch() : start_(std::chrono::steady_clock::now()) {}

double Stopwatch::seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

Sample measureInChild(RunFn run, const char* path) {
    int fds[2];
    if (pipe(fds) != 0)
        std::exit(1);
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        Sample s;
        resetPeak();
        const long startKb = statusKb("VmRSS:");
        const Stopwatch whole;
        s.ok = run(path, &s);
        if (s.seconds == 0)
            s.seconds = whole.seconds();
        s.peakBytes = 1024.0 * double(statusKb("VmHWM:") - startKb);
        if (write(fds[1], &s, sizeof s) != sizeof s)
            _exit(1);
        _exit(0);
    }
    close(fds[1]);
    Sample s;
    if (pid < 0 || read(fds[0], &s, sizeof s) != sizeof s)
        s.ok = 0;
    close(fds[0]);
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    return s;
}

double timeProgram(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::fflush(stdout);
    const Stopwatch run;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return run.seconds();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double medianSeconds(const std::vector<Sample>& samples) {
    std::vector<double> seconds;
    for (const Sample& s : samples)
        seconds.push_back(s.seconds);
    return median(seconds);
}

double maxPeakBytes(const std::vector<Sample>& samples) {
    double peak = 0;
    for (const Sample& s : samples)
        peak = std::max(peak, s.peakBytes);
    return peak;
}

bool allOk(const std::vector<Sample>& samples) {
    if (samples.empty())
        return false;
    for (const Sample& s : samples)
        if (!s.ok)
            return false;
    return true;
}

double fileMegabytes(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return 0;
    return double(st.st_size) / 1e6;
}

std::string programFolder() {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (n <= 0)
        return ".";
    self[n] = 0;
    std::string path(self);
    return path.substr(0, path.rfind('/'));
}

void atLeast(const char* label, double value, double target) {
    verdict(label, value, ">=", target, value >= target);
}

void atMost(const char* label, double value, double target) {
    verdict(label, value, "<=", target, value <= target);
}

void notMeasured(const char* label, const char* why) {
    std::printf("  %-44s %8s    %s\n", label, "n/a", why);
}

bool measureRounds(std::vector<Contender>& contenders, const std::string& path, int runs,
                   std::vector<double>* cliSeconds) {
    const std::string cli = programFolder() + "/tessoid-host";
    bool cliOk = true;
    for (int r = 0; r < runs; ++r) {
        for (Contender& c : contenders)
            c.samples.push_back(measureInChild(c.run, path.c_str()));
        const double t = timeProgram({cli, "import", path});
        cliOk = cliOk && t > 0;
        cliSeconds->push_back(t);
    }
    return cliOk;
}

} // namespace bench
