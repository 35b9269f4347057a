// SPDX-License-Identifier: MIT
#pragma once

#include "platform/ImageDecoder.hpp"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace fixtora::test {

/// Decodes anything that starts with the PNG signature into an image that
/// remembers its bytes; everything else is not an image. Counts its calls.
class FakeImageDecoder final : public ImageDecoder {
  public:
    static constexpr std::string_view kSignature{"\x89PNG\r\n\x1a\n", 8};

    class FakeImage final : public Image {
      public:
        explicit FakeImage(std::string bytes) : m_bytes(std::move(bytes)) {}
        int width() const override { return 1; }
        int height() const override { return 1; }
        const std::string& bytes() const { return m_bytes; }

      private:
        std::string m_bytes;
    };

    /// Bytes that decode: the signature followed by `payload`.
    static std::string png(std::string_view payload) {
        return std::string(kSignature) + std::string(payload);
    }

    std::shared_ptr<const Image> decode(std::string_view bytes) const override {
        ++m_calls;
        if (bytes.substr(0, kSignature.size()) != kSignature) return nullptr;
        return std::make_shared<FakeImage>(std::string(bytes));
    }

    int calls() const { return m_calls; }

  private:
    mutable std::atomic<int> m_calls{0};
};

}  // namespace fixtora::test
