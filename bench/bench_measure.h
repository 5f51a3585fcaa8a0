// What every benchmark here shares: one run per child process (time, peak resident
// memory above the start, the size of what the run hands over), whole programs timed
// from spawn to exit, medians, and the lines that set a figure beside its target.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace bench {

struct Sample {
    double seconds = 0;    // the whole run, unless the run timed the part it measures itself
    double peakBytes = 0;  // resident high-water mark above the start of the run
    double finalBytes = 0; // size of the arrays the run hands over
    int ok = 0;
};

// A contender: fills the sample's finalBytes and answers whether the run succeeded. A run
// whose setup or checks are not part of what it measures times that part itself
// (Stopwatch) and sets the sample's seconds.
using RunFn = bool (*)(const char* path, Sample* sample);

// Seconds since it was made.
class Stopwatch {
  public:
    Stopwatch();
    double seconds() const;

  private:
    std::chrono::steady_clock::time_point start_;
};

// Runs `run` once in a forked child, so that every peak starts from a clean slate.
Sample measureInChild(RunFn run, const char* path);

struct Contender {
    const char* name;
    RunFn run;
    std::vector<Sample> samples;
};

// `runs` rounds over one file: each contender once, then `tessoid-host import FILE`
// (whole process), interleaved so that drift hits everyone alike. The command-line
// times go to *cliSeconds; false when one of them failed.
bool measureRounds(std::vector<Contender>& contenders, const std::string& path, int runs,
                   std::vector<double>* cliSeconds);

// Wall time of one whole program run (argv[0] is its path), stdout and stderr to
// /dev/null; a negative time when it could not start or did not exit with 0.
double timeProgram(const std::vector<std::string>& argv);

double median(std::vector<double> values);
double medianSeconds(const std::vector<Sample>& samples);
double maxPeakBytes(const std::vector<Sample>& samples);
bool allOk(const std::vector<Sample>& samples);

// Size of a file in MB (10^6 bytes), 0 when it is missing.
double fileMegabytes(const std::string& path);

// The folder of the running program, for the plug-in and the command-line host beside it.
std::string programFolder();

// "  label   value x   target >= t x   met" and its "<=" twin.
void atLeast(const char* label, double value, double target);
void atMost(const char* label, double value, double target);
// A figure with no target, or a target that could not be measured, with the reason.
void notMeasured(const char* label, const char* why);

} // namespace bench
