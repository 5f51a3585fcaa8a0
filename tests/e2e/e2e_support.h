// Shared pieces of the end-to-end tests: where the built plug-in and host are,
// and running the command-line host.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace e2e {

inline std::string binDir() {
    return std::string(TESSOID_BINARY_DIR) + "/bin";
}
inline std::string pluginPath() {
    return binDir() + "/libTessoid.so";
}
inline std::string hostPath() {
    return binDir() + "/tessoid-host";
}
inline std::string sourceDir() {
    return TESSOID_SOURCE_DIR;
}

struct RunResult {
    int exitCode = -1;
    std::string out; // stdout and stderr together
};

// Runs a shell command line; its output and exit code.
inline RunResult runCommand(const std::string& line) {
    RunResult r;
    std::string command = line + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return r;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        r.out.append(buffer, n);
    int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// Runs tessoid-host with the given arguments (already shell-quoted where needed).
inline RunResult runHost(const std::string& args) {
    return runCommand("'" + hostPath() + "' " + args);
}

inline std::string readFile(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
            text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

inline std::string tempPath(const std::string& name) {
    return std::string(TESSOID_BINARY_DIR) + "/e2e-" + name;
}

} // namespace e2e
