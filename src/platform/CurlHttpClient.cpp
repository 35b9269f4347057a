// SPDX-License-Identifier: MIT
#include "platform/CurlHttpClient.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace fixtora {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kMaxRedirects = 5;
// Longest sleep of the engine thread when nothing is in flight; new requests
// and shutdown wake it at once.
constexpr long kIdlePollMs = 3600L * 1000;

Error transportError(int code, const std::string& text) {
    return Error{kHttpErrorDomain, code, text};
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string schemeOf(const std::string& url) {
    const auto colon = url.find(':');
    return colon == std::string::npos ? std::string() : lower(url.substr(0, colon));
}

bool isLoopbackHost(const std::string& url) {
    CURLU* u = curl_url();
    bool loopback = false;
    if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
        char* host = nullptr;
        if (curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK && host) {
            const std::string h = lower(host);
            loopback = h == "localhost" || h.rfind("127.", 0) == 0 || h == "[::1]";
            curl_free(host);
        }
    }
    curl_url_cleanup(u);
    return loopback;
}

std::once_flag g_curlInit;

}  // namespace

/// One request in flight (one hop of it when redirects are followed).
struct Transfer {
    HttpRequest request;
    HttpClient::Completion completion;
    SteadyClock::time_point deadline;
    int redirects = 0;
    std::size_t maxBody = 0;

    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    HttpResponse response;
    bool tooLarge = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    ~Transfer() { release(); }
    void release() {
        if (easy) curl_easy_cleanup(easy);
        if (headerList) curl_slist_free_all(headerList);
        easy = nullptr;
        headerList = nullptr;
    }
};

namespace {

size_t onBody(char* data, size_t size, size_t count, void* userp) {
    auto* t = static_cast<Transfer*>(userp);
    const size_t n = size * count;
    if (t->response.body.size() + n > t->maxBody) {
        t->tooLarge = true;
        return 0;  // aborts the transfer with CURLE_WRITE_ERROR
    }
    t->response.body.append(data, n);
    return n;
}

size_t onHeader(char* data, size_t size, size_t count, void* userp) {
    auto* t = static_cast<Transfer*>(userp);
    const size_t n = size * count;
    std::string line(data, n);
    if (line.rfind("HTTP/", 0) == 0) {
        t->response.headers.clear();  // a new response (after 1xx) starts
    } else if (const auto colon = line.find(':'); colon != std::string::npos) {
        t->response.headers.emplace_back(lower(trim(line.substr(0, colon))),
                                         trim(line.substr(colon + 1)));
    }
    return n;
}

}  // namespace

class CurlHttpClient::Engine {
  public:
    explicit Engine(std::size_t maxBody) : m_maxBody(maxBody) {
        std::call_once(g_curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        m_multi = curl_multi_init();
        // Like a browser: a few connections per host, reused, the rest queued.
        curl_multi_setopt(m_multi, CURLMOPT_MAX_HOST_CONNECTIONS, 6L);
        m_thread = std::thread([this] { run(); });
    }

    ~Engine() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        curl_multi_wakeup(m_multi);
        m_thread.join();
        curl_multi_cleanup(m_multi);
    }

    bool runsOnThisThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

    void submit(HttpRequest request, Completion completion) {
        auto t = std::make_unique<Transfer>();
        const double timeout = request.timeoutSeconds > 0 ? request.timeoutSeconds : 60;
        t->deadline = SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(
                                               std::chrono::duration<double>(timeout));
        t->request = std::move(request);
        t->completion = std::move(completion);
        t->maxBody = m_maxBody;
        {
            std::lock_guard lock(m_mutex);
            if (!m_stopping) {
                m_incoming.push_back(std::move(t));
                t = nullptr;
            }
        }
        if (t) {
            t->completion(transportError(CURLE_ABORTED_BY_CALLBACK, "The request was cancelled"));
            return;
        }
        curl_multi_wakeup(m_multi);
    }

  private:
    void run() {
        for (;;) {
            std::deque<std::unique_ptr<Transfer>> incoming;
            bool stopping;
            {
                std::lock_guard lock(m_mutex);
                incoming.swap(m_incoming);
                stopping = m_stopping;
            }
            if (stopping) {
                for (auto& t : incoming)
                    finish(std::move(t),
                           transportError(CURLE_ABORTED_BY_CALLBACK, "The request was cancelled"));
                cancelActive();
                return;
            }
            for (auto& t : incoming) start(std::move(t));

            int running = 0;
            curl_multi_perform(m_multi, &running);
            int queued = 0;
            while (CURLMsg* msg = curl_multi_info_read(m_multi, &queued)) {
                if (msg->msg == CURLMSG_DONE) completed(msg->easy_handle, msg->data.result);
            }
            // Sleep until curl's own next deadline, or, with nothing in
            // flight, until a new request wakes us: an idle client costs no
            // wake-ups at all.
            long timeoutMs = -1;
            curl_multi_timeout(m_multi, &timeoutMs);
            if (timeoutMs < 0) timeoutMs = m_active.empty() ? kIdlePollMs : 1000;
            curl_multi_poll(m_multi, nullptr, 0, static_cast<int>(std::min(timeoutMs, kIdlePollMs)),
                            nullptr);
        }
    }

    void start(std::unique_ptr<Transfer> t) {
        const std::string scheme = schemeOf(t->request.url);
        if (scheme != "http" && scheme != "https") {
            Error error = transportError(CURLE_UNSUPPORTED_PROTOCOL,
                                         "Unsupported URL scheme in \"" + t->request.url +
                                             "\": only http and https are allowed");
            finish(std::move(t), std::move(error));
            return;
        }
        const auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(t->deadline - SteadyClock::now())
                .count();
        if (remaining <= 0) {
            finish(std::move(t), transportError(CURLE_OPERATION_TIMEDOUT, "The request timed out"));
            return;
        }
        t->response = HttpResponse{};
        t->tooLarge = false;
        t->errorBuffer[0] = 0;
        t->easy = curl_easy_init();
        CURL* e = t->easy;
        curl_easy_setopt(e, CURLOPT_URL, t->request.url.c_str());
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(remaining));
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(remaining));
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
        curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(t->maxBody));
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, onBody);
        curl_easy_setopt(e, CURLOPT_WRITEDATA, t.get());
        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, onHeader);
        curl_easy_setopt(e, CURLOPT_HEADERDATA, t.get());
        curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t->errorBuffer);
        curl_easy_setopt(e, CURLOPT_PRIVATE, t.get());
        if (t->request.method == "POST") {
            curl_easy_setopt(e, CURLOPT_POST, 1L);
            curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(t->request.body.size()));
            curl_easy_setopt(e, CURLOPT_POSTFIELDS, t->request.body.data());
        } else if (t->request.method != "GET") {
            curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, t->request.method.c_str());
        }
        // No "Expect: 100-continue" round trip for POST bodies.
        t->headerList = curl_slist_append(t->headerList, "Expect:");
        for (const auto& [k, v] : t->request.headers)
            t->headerList = curl_slist_append(t->headerList, (k + ": " + v).c_str());
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, t->headerList);

        curl_multi_add_handle(m_multi, e);
        m_active.emplace(e, std::move(t));
    }

    void completed(CURL* easy, CURLcode code) {
        auto it = m_active.find(easy);
        if (it == m_active.end()) return;
        std::unique_ptr<Transfer> t = std::move(it->second);
        m_active.erase(it);
        curl_multi_remove_handle(m_multi, easy);

        if (t->tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
            Error error = transportError(CURLE_FILESIZE_EXCEEDED,
                                         "The response body is larger than the limit of " +
                                             std::to_string(t->maxBody) + " bytes");
            finish(std::move(t), std::move(error));
            return;
        }
        if (code != CURLE_OK) {
            std::string text = curl_easy_strerror(code);
            if (t->errorBuffer[0]) text += ": " + std::string(t->errorBuffer);
            finish(std::move(t), transportError(static_cast<int>(code), text));
            return;
        }
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        t->response.status = static_cast<int>(status);

        char* location = nullptr;
        curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location);
        if (status >= 300 && status < 400 && location && *location) {
            redirect(std::move(t), location, status);
            return;
        }
        HttpResponse response = std::move(t->response);
        finish(std::move(t), std::move(response));
    }

    void redirect(std::unique_ptr<Transfer> t, std::string target, long status) {
        const std::string to = schemeOf(target);
        if (++t->redirects > kMaxRedirects) {
            finish(std::move(t), transportError(CURLE_TOO_MANY_REDIRECTS, "Too many redirects"));
            return;
        }
        if (to != "http" && to != "https") {
            finish(std::move(t), transportError(CURLE_UNSUPPORTED_PROTOCOL,
                                                "Refused to follow a redirect to \"" + target +
                                                    "\": only http and https are allowed"));
            return;
        }
        if (to == "http" && !isLoopbackHost(target)) {
            finish(std::move(t),
                   transportError(
                       CURLE_UNSUPPORTED_PROTOCOL,
                       "Refused to follow a redirect to the insecure address \"" + target + "\""));
            return;
        }
        if (status == 303 || ((status == 301 || status == 302) && t->request.method == "POST")) {
            t->request.method = "GET";
            t->request.body.clear();
        }
        t->request.url = std::move(target);
        t->release();
        start(std::move(t));
    }

    void finish(std::unique_ptr<Transfer> t, Result<HttpResponse> result) {
        auto completion = std::move(t->completion);
        t.reset();
        if (completion) completion(std::move(result));
    }

    void cancelActive() {
        auto active = std::move(m_active);
        m_active.clear();
        for (auto& [easy, t] : active) {
            curl_multi_remove_handle(m_multi, easy);
            finish(std::move(t),
                   transportError(CURLE_ABORTED_BY_CALLBACK, "The request was cancelled"));
        }
    }

    std::size_t m_maxBody;
    CURLM* m_multi = nullptr;
    std::thread m_thread;
    std::mutex m_mutex;
    std::deque<std::unique_ptr<Transfer>> m_incoming;
    bool m_stopping = false;
    std::map<CURL*, std::unique_ptr<Transfer>> m_active;
};

CurlHttpClient::CurlHttpClient(std::size_t maxBodyBytes)
    : m_engine(std::make_unique<Engine>(maxBodyBytes)) {}

CurlHttpClient::~CurlHttpClient() {
    // The last owner may be a completion running on the engine's own thread,
    // which cannot wait for itself: another thread then stops the engine,
    // once that completion has returned.
    if (m_engine && m_engine->runsOnThisThread())
        std::thread([engine = std::move(m_engine)]() mutable { engine.reset(); }).detach();
}

void CurlHttpClient::send(HttpRequest request, Completion completion) {
    m_engine->submit(std::move(request), std::move(completion));
}

}  // namespace fixtora
