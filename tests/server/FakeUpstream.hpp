// SPDX-License-Identifier: MIT
#pragma once

// A stand-in for the upstream scoreboard API on loopback: serves one fixed
// document, or a season's events cut to the requested days, with switches
// for the ways real upstreams fail.
#include "ConnectionDrop.hpp"
#include "support/LoopbackServer.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace fixtora::test {

enum class UpstreamFault { None, Status500, Html, Stall, Reset, Huge };

class FakeUpstream {
  public:
    /// Every answer is `document` (a scoreboard, whatever the dates).
    void serveDocument(std::string document) {
        std::lock_guard lock(m_mutex);
        m_document = std::move(document);
    }
    /// The default answer names the season; dated ones hold its events of those days.
    void serveSeason(nlohmann::json events, std::string start, std::string end) {
        std::lock_guard lock(m_mutex);
        m_events = std::move(events);
        m_document =
            nlohmann::json{{"leagues", {{{"season", {{"startDate", start}, {"endDate", end}}}}}},
                           {"events", nlohmann::json::array()}}
                .dump();
    }
    /// Applies to requests whose query contains `onlyIf` (all when empty).
    void setFault(UpstreamFault fault, std::string onlyIf = {}) {
        std::lock_guard lock(m_mutex);
        m_fault = fault;
        m_faultFilter = std::move(onlyIf);
    }
    void setDelay(double seconds) { m_delay = seconds; }
    double stallSeconds = 1.5;

    std::size_t requests() const { return m_requests.load(); }
    std::size_t mostAtOnce() const { return m_mostAtOnce.load(); }
    std::string url() const { return m_server.url(); }

    FakeUpstream() {
        m_server.server().Get(
            "/scoreboard", [this](const httplib::Request& req, httplib::Response& res) {
                ++m_requests;
                const std::size_t now = ++m_running;
                for (std::size_t seen = m_mostAtOnce;
                     now > seen && !m_mostAtOnce.compare_exchange_weak(seen, now);) {
                }
                std::this_thread::sleep_for(std::chrono::duration<double>(m_delay.load()));
                answer(req, res);
                --m_running;
            });
        m_server.start();
    }

  private:
    void answer(const httplib::Request& req, httplib::Response& res) {
        std::unique_lock lock(m_mutex);
        const std::string dates = req.get_param_value("dates");
        std::string body = m_document;
        if (!dates.empty() && !m_events.is_null()) {
            nlohmann::json cut = nlohmann::json::array();
            for (const auto& e : m_events) {
                std::string day = e.at("date").get<std::string>().substr(0, 10);
                day.erase(std::remove(day.begin(), day.end(), '-'), day.end());
                if (day >= dates.substr(0, 8) && day <= dates.substr(9, 8)) cut.push_back(e);
            }
            body = nlohmann::json{{"events", cut}}.dump();
        }
        const UpstreamFault fault =
            m_faultFilter.empty() || req.target.find(m_faultFilter) != std::string::npos
                ? m_fault
                : UpstreamFault::None;
        lock.unlock();
        switch (fault) {
            case UpstreamFault::None:
                break;
            case UpstreamFault::Status500:
                res.status = 500;
                break;
            case UpstreamFault::Html:
                return res.set_content("<html>Service Unavailable</html>", "text/html");
            case UpstreamFault::Stall:
                std::this_thread::sleep_for(std::chrono::duration<double>(stallSeconds));
                break;
            case UpstreamFault::Reset:
                demo::dropConnection(req.local_port, req.remote_port);
                return;
            case UpstreamFault::Huge:
                return res.set_chunked_content_provider(
                    "application/json", [](std::size_t offset, httplib::DataSink& sink) {
                        static const std::string kChunk(1 << 20, ' ');
                        if (offset >= (100u << 20)) return sink.done(), true;
                        return sink.write(kChunk.data(), kChunk.size());
                    });
        }
        res.set_content(
            body,
            "application/json; charset=utf-8");  // the type the server would not brotli for seconds
    }

    std::mutex m_mutex;
    std::string m_document = "{}";
    nlohmann::json m_events;
    UpstreamFault m_fault = UpstreamFault::None;
    std::string m_faultFilter;
    std::atomic<double> m_delay{0};
    std::atomic<std::size_t> m_requests{0}, m_running{0}, m_mostAtOnce{0};
    LoopbackServer m_server;  // last: stops before the rest goes
};

}  // namespace fixtora::test
