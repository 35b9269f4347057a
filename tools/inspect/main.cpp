// SPDX-License-Identifier: MIT
// fixtora-inspect: prints what Fixtora derives from a scoreboard or schedule
// document, so that anyone can check it from the command line.
#include "InspectModes.hpp"

#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>

namespace fixtora::inspect {

namespace {
std::map<std::string, Mode>& modes() {
    static std::map<std::string, Mode> all;
    return all;
}
}  // namespace

bool registerMode(Mode mode) {
    auto flag = mode.flag;
    modes()[flag] = std::move(mode);
    return true;
}

std::string readInput(const std::string& fileOrDash) {
    if (fileOrDash == "-") {
        return std::string(std::istreambuf_iterator<char>(std::cin),
                           std::istreambuf_iterator<char>());
    }
    std::ifstream in(fileOrDash, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + fileOrDash);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace fixtora::inspect

int main(int argc, char** argv) {
    using namespace fixtora::inspect;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string flag;
    if (!args.empty() && args.front().rfind("--", 0) == 0 && modes().count(args.front())) {
        flag = args.front();
        args.erase(args.begin());
    }
    auto it = modes().find(flag);
    if (it == modes().end() ||
        (!args.empty() && (args.front() == "--help" || args.front() == "-h"))) {
        std::cerr << "usage:\n";
        for (const auto& [f, m] : modes()) std::cerr << "  fixtora-inspect " << m.usage << "\n";
        return 2;
    }
    try {
        return it->second.run(args);
    } catch (const std::exception& e) {
        std::cerr << "fixtora-inspect: " << e.what() << "\n";
        return 1;
    }
}
