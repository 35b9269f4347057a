// SPDX-License-Identifier: MIT
#include "Payload.hpp"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace fixtora::server {

std::string gzipCompress(const std::string& bytes) {
    z_stream z{};
    // 15 window bits + 16: a gzip wrapper instead of a zlib one.
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib cannot start");
    std::string out(deflateBound(&z, bytes.size()) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("zlib cannot compress");
    return out;
}

std::shared_ptr<const Payload> Payload::make(std::string body) {
    // FNV-1a over the bytes, with the length: stable across processes, so
    // replicas behind one cache agree on the tag.
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : body) h = (h ^ c) * 1099511628211ull;
    char tag[48];
    std::snprintf(tag, sizeof tag, "%016llx-%zx", static_cast<unsigned long long>(h), body.size());
    auto p = std::make_shared<Payload>();
    p->gzipBody = gzipCompress(body);
    p->body = std::move(body);
    p->etag = "\"" + std::string(tag) + "\"";
    p->gzipEtag = "\"" + std::string(tag) + "-gz\"";
    return p;
}

}  // namespace fixtora::server
