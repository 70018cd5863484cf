// Runs a program of the Unix side through /bin/sh, for the tests that judge
// archives with readers no one here wrote, and that drive the stand-in
// archiver as a user's script would.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrane::testing {

struct ShellRun {
    int exitCode = -1;   // -1 when it could not be started or did not exit
    std::string output;  // stdout and stderr together
};

inline std::string ShellQuoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// `argv` run in `folder` (the current one when empty), with `environment`
// entries NAME=VALUE added, without standard input.
inline ShellRun RunShell(const std::vector<std::string>& argv, const std::filesystem::path& folder = {},
                         const std::vector<std::string>& environment = {}) {
    std::string command;
    if (!folder.empty()) command = "cd " + ShellQuoted(folder.string()) + " && ";
    command += "env";
    for (const std::string& entry : environment) command += ' ' + ShellQuoted(entry);
    for (const std::string& arg : argv) command += ' ' + ShellQuoted(arg);
    command += " 2>&1 </dev/null";
    ShellRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace kestrane::testing
