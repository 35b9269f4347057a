// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace analytics {

struct CryptoHashing {
    /// SHA-256 of the UTF-8 bytes of `string` followed by `salt`, as 64
    /// lower-case hexadecimal digits.
    static std::string sha256(const std::string& string, const std::string& salt);
};

/// A fresh random (version 4) UUID in canonical form: 36 characters,
/// upper-case hexadecimal with hyphens.
std::string randomUUID();

}  // namespace analytics
