// The command-line tool's work once its options are understood: the suites
// of the named files and folders converted, checked, given JADs or their INI
// text shown, each outcome as a line of text or of JSON.
#pragma once

#include <atomic>
#include <cstdio>
#include <string_view>

#include "cli/Options.h"
#include "package/SystemPort.h"

namespace kestrane {

// Writes UTF-8 text to a stream as it is, through stdio.
void WriteBytes(std::FILE* stream, std::string_view text);

struct Console {
    std::FILE* out = stdout;  // the results
    std::FILE* err = stderr;  // messages, and the progress line
    bool progress = false;    // `err` is a terminal: a line that rewrites itself
    // How every line reaches `out` or `err`: Windows' console is written in
    // UTF-16 instead, since it shows UTF-8 bytes one character each.
    void (*write)(std::FILE* stream, std::string_view text) = WriteBytes;
};

// Runs what `options` asks for and returns the exit code: 0 when every suite
// was built (or checked, or had its JAD made) or left as existing, 1 when
// any was skipped or failed or the run was cancelled, 2 for an argument that
// names nothing usable or a target that takes no files.
// `stop` is asked before each suite; once set, the run ends there.
int RunKestrane(const CliOptions& options, SystemPort& system, const Console& console, const std::atomic<bool>& stop);

}  // namespace kestrane
