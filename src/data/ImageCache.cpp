// SPDX-License-Identifier: MIT
#include "data/ImageCache.hpp"

#include "data/CacheFiles.hpp"
#include "platform/ProcessMemory.hpp"

#include <condition_variable>
#include <mutex>
#include <utility>

namespace fixtora {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int hi = hexValue(text[i + 1]);
        const int lo = hexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    return out;
}

}  // namespace

struct ImageCache::Group {
    std::size_t remaining = 0;  // main scheduler only
    std::function<void()> completion;
};

/// Whether the cache is gone, told to a job waiting for its download.
struct ImageCache::Lifetime {
    std::mutex mutex;
    std::condition_variable changed;  // the cache ended or an answer came
    bool ended = false;
};

struct ImageCache::Job {
    std::weak_ptr<ImageCache> owner;
    std::shared_ptr<Lifetime> lifetime;
    std::shared_ptr<HttpClient> http;
    std::shared_ptr<const ImageDecoder> decoder;
    std::shared_ptr<Scheduler> main;
    std::filesystem::path file;
    std::string url;
    std::string key;
    std::shared_ptr<Group> group;
};

ImageCache::ImageCache(std::shared_ptr<HttpClient> http, std::shared_ptr<const Paths> paths,
                       std::shared_ptr<const ImageDecoder> decoder,
                       std::shared_ptr<Scheduler> mainScheduler, std::shared_ptr<Scheduler> ioQueue)
    : m_http(std::move(http)),
      m_decoder(std::move(decoder)),
      m_main(std::move(mainScheduler)),
      m_io(std::move(ioQueue)),
      m_cacheDir(paths->cachesDir() / "Fixtora" / "logos"),
      m_lifetime(std::make_shared<Lifetime>()) {
    std::error_code ignored;  // a missing folder only means no disk copies
    std::filesystem::create_directories(m_cacheDir, ignored);
}

ImageCache::~ImageCache() {
    std::lock_guard lock(m_lifetime->mutex);
    m_lifetime->ended = true;
    m_lifetime->changed.notify_all();
}

std::optional<std::string> ImageCache::key(std::string_view url) {
    for (const char c : url) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) return std::nullopt;
    }
    const auto colon = url.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto scheme = url.substr(0, colon);
    if (!equalsIgnoringCase(scheme, "http") && !equalsIgnoringCase(scheme, "https"))
        return std::nullopt;
    auto rest = url.substr(colon + 1);
    if (rest.substr(0, 2) != "//") return std::nullopt;
    rest.remove_prefix(2);
    const auto pathStart = rest.find_first_of("/?#");
    if (pathStart == 0) return std::nullopt;  // no host
    auto path = pathStart == std::string_view::npos ? std::string_view{} : rest.substr(pathStart);
    path = path.substr(0, path.find_first_of("?#"));
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    const auto slash = path.rfind('/');
    const auto last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    auto name = percentDecoded(last);
    if (!name || name->empty() || *name == "." || *name == "..") return std::nullopt;
    if (name->find('/') != std::string::npos || name->find('\0') != std::string::npos)
        return std::nullopt;
    return name;
}

std::shared_ptr<const Image> ImageCache::image(std::string_view url) const {
    const auto k = key(url);
    if (!k) return nullptr;
    auto it = m_mem.find(*k);
    return it == m_mem.end() ? nullptr : it->second;
}

void ImageCache::prefetch(const std::vector<std::string>& urls, std::function<void()> completion) {
    std::vector<std::pair<std::string, std::string>> wanted;  // url, key
    for (const auto& url : urls) {
        auto k = key(url);
        if (!k || m_mem.count(*k)) continue;
        wanted.emplace_back(url, std::move(*k));
    }
    if (wanted.empty()) {
        if (completion) completion();
        return;
    }
    auto group = std::make_shared<Group>();
    group->remaining = wanted.size();
    group->completion = std::move(completion);
    for (auto& [url, k] : wanted) {
        Job job{weak_from_this(), m_lifetime,     m_http,       m_decoder, m_main,
                m_cacheDir / k,   std::move(url), std::move(k), group};
        m_io->post([job = std::move(job)] { runJob(job); });
    }
}

void ImageCache::load(const std::string& url,
                      std::function<void(std::shared_ptr<const Image>)> completion) {
    if (auto found = image(url)) {
        completion(std::move(found));
        return;
    }
    std::weak_ptr<ImageCache> weak = weak_from_this();
    prefetch({url}, [weak, url, completion = std::move(completion)] {
        if (auto self = weak.lock()) completion(self->image(url));
    });
}

void ImageCache::runJob(const Job& job) {
    std::shared_ptr<const Image> found;
    if (!job.owner.expired()) {
        if (const auto bytes = readCacheFile(job.file)) found = job.decoder->decode(*bytes);
        if (!found) {
            // The queue is serial on purpose: wait here for the download so
            // that the next job for the same crest finds the file; but not
            // beyond the cache's life, or quitting would wait on the network.
            auto answer = std::make_shared<std::optional<Result<HttpResponse>>>();
            HttpRequest request;
            request.url = job.url;
            request.timeoutSeconds = kDownloadTimeoutSeconds;
            job.http->send(std::move(request),
                           [lifetime = job.lifetime, answer](Result<HttpResponse> r) {
                               std::lock_guard lock(lifetime->mutex);
                               *answer = std::move(r);
                               lifetime->changed.notify_all();
                           });
            std::unique_lock lock(job.lifetime->mutex);
            job.lifetime->changed.wait(lock,
                                       [&] { return answer->has_value() || job.lifetime->ended; });
            std::optional<Result<HttpResponse>> result;
            result.swap(*answer);
            lock.unlock();
            if (result && result->ok() && result->value().status >= 200 &&
                result->value().status < 300) {
                const auto& body = result->value().body;
                found = job.decoder->decode(body);
                // Bytes that are not an image are never written.
                if (found) writeCacheFileAtomically(job.file, body);
            }
        }
    }
    job.main->post([owner = job.owner, key = job.key, found, group = job.group] {
        if (found) {
            if (auto self = owner.lock()) self->m_mem[key] = found;
        }
        if (--group->remaining != 0) return;
        if (group->completion) group->completion();
        // The batch's downloads and decodes are over: what they used goes
        // back to the system, after the queue's last job has let go of it.
        if (auto self = owner.lock()) self->m_io->post(releaseFreedMemory);
    });
}

}  // namespace fixtora
