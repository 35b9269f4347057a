// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

namespace fixtora::server {

/// One answer body as it is kept in the cache: compressed once when it is
/// stored, so that serving it to many clients costs no compression at all.
/// The ETags are strong and differ between the two encodings, and are the
/// same in every replica for the same bytes.
struct Payload {
    std::string body;
    std::string gzipBody;
    std::string etag;      // quoted, e.g. "\"3f2a…\""
    std::string gzipEtag;  // quoted, for the gzip encoding

    static std::shared_ptr<const Payload> make(std::string body);
};

/// A gzip member of `bytes` (best compression).
std::string gzipCompress(const std::string& bytes);

}  // namespace fixtora::server
