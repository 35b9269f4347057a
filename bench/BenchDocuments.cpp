// SPDX-License-Identifier: MIT
#include "BenchDocuments.hpp"

#include "DemoBackend.hpp"
#include "data/ScoreboardDecoder.hpp"

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace fixtora::bench {

std::string readDocument(const std::string& name) {
    const std::string path = std::string(FIXTORA_BENCH_DATA_DIR) + "/espn/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string demoSchedule(bool weekNumbers) {
    auto clock = std::make_shared<SettableClock>(kDemoNow);
    demo::DemoBackend backend({.weekNumbers = weekNumbers}, clock);
    return backend.scheduleDocument().dump();
}

std::vector<ESPNEvent> demoEvents(bool weekNumbers) {
    auto decoded = decodeScoreboard(demoSchedule(weekNumbers));
    if (!decoded || !decoded.value().events || decoded.value().events->size() != 380)
        throw std::runtime_error("the demo schedule does not decode to 380 events");
    return *decoded.value().events;
}

}  // namespace fixtora::bench
