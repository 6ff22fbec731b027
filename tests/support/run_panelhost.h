// Runs the panelhost command with the given arguments and keeps what it
// printed (standard output and error together) and its exit code.
#pragma once

#if defined(_WIN32)
#define popen _popen
#define pclose _pclose
#else
#include <sys/wait.h>
#endif

#include <cstdio>
#include <string>

struct RunResult {
    int exitCode{-1};  // -1: ended by a signal
    std::string output;
};

inline RunResult RunPanelhost(const std::string& arguments) {
    const std::string command = std::string(QR_PANELHOST_PATH) + " " + arguments + " 2>&1";
    RunResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, read);
    const int status = pclose(pipe);
#if defined(_WIN32)
    result.exitCode = status;
#else
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
#endif
    return result;
}
