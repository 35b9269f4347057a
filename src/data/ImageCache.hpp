// SPDX-License-Identifier: MIT
#pragma once

#include "platform/HttpClient.hpp"
#include "platform/ImageDecoder.hpp"
#include "platform/Paths.hpp"
#include "platform/Scheduler.hpp"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fixtora {

/// The club crests: each downloaded once, kept on disk for good in
/// "Fixtora/logos" under the caches folder (the bytes as downloaded) and held
/// decoded in memory for the life of the process. Nothing is evicted and
/// cached files never expire.
///
/// The in-memory table is read and written on the main scheduler only; disk
/// reads, downloads and disk writes run one at a time on the serial
/// `ioQueue`, so a crest asked for twice before it lands is downloaded once
/// (the second job finds the file the first one wrote). Create it with
/// `std::make_shared`: pending work holds it weakly. Destroying it lets a
/// job that waits for a download go at once, so that quitting never waits
/// on the network (the transfer ends with the HTTP client).
class ImageCache final : public std::enable_shared_from_this<ImageCache> {
  public:
    using Images = std::map<std::string, std::shared_ptr<const Image>>;

    /// A stalled crest server must not hold up the queue for ever.
    static constexpr double kDownloadTimeoutSeconds = 30;

    ImageCache(std::shared_ptr<HttpClient> http, std::shared_ptr<const Paths> paths,
               std::shared_ptr<const ImageDecoder> decoder,
               std::shared_ptr<Scheduler> mainScheduler, std::shared_ptr<Scheduler> ioQueue);
    ~ImageCache();
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    /// The key of a crest URL, both in memory and as its file name: the last
    /// component of the URL's path, percent-decoded. Absent for a URL that is
    /// not http or https, or whose key is empty, "." or "..", or holds "/" or
    /// NUL: such a crest is never fetched and never names a file.
    static std::optional<std::string> key(std::string_view url);

    /// The crests in memory, by key. Main scheduler only.
    const Images& mem() const { return m_mem; }

    /// The crest of `url` if it is in memory. Main scheduler only.
    std::shared_ptr<const Image> image(std::string_view url) const;

    /// Makes sure the crests of `urls` are in memory, from disk or from the
    /// network. Main scheduler only; returns at once. `completion` (if any)
    /// runs once on the main scheduler after every crest has been dealt with
    /// (found, stored or given up on), or before `prefetch` returns when
    /// every crest is in memory already (or none can be fetched).
    void prefetch(const std::vector<std::string>& urls, std::function<void()> completion = {});

    /// One crest: `completion` gets the image, or null when it could not be
    /// obtained; synchronously when it is in memory, else on the main
    /// scheduler once it has been dealt with. Does nothing when the cache is
    /// gone by then. Main scheduler only.
    void load(const std::string& url, std::function<void(std::shared_ptr<const Image>)> completion);

    const std::filesystem::path& cacheDir() const { return m_cacheDir; }

  private:
    struct Group;
    struct Job;
    struct Lifetime;
    static void runJob(const Job& job);

    std::shared_ptr<HttpClient> m_http;
    std::shared_ptr<const ImageDecoder> m_decoder;
    std::shared_ptr<Scheduler> m_main;
    std::shared_ptr<Scheduler> m_io;
    std::filesystem::path m_cacheDir;
    Images m_mem;
    std::shared_ptr<Lifetime> m_lifetime;
};

}  // namespace fixtora
