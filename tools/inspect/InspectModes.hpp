// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace fixtora::inspect {

/// One way of inspecting a document: `fixtora-inspect [FLAG] ARGS...`.
/// Each mode lives in its own source file and registers itself at start-up;
/// the mode with an empty flag runs when no flag is given.
struct Mode {
    std::string flag;   // e.g. "--weeks", or "" for the default mode
    std::string usage;  // one line, e.g. "--weeks FILE|-"
    /// Runs with the arguments after the flag; returns the exit status.
    std::function<int(const std::vector<std::string>& args)> run;
};

bool registerMode(Mode mode);

/// Reads FILE, or standard input for "-". Throws std::runtime_error with a
/// clear message when the file cannot be read.
std::string readInput(const std::string& fileOrDash);

}  // namespace fixtora::inspect
