// SPDX-License-Identifier: MIT
#include "analytics/DefaultSignalPayload.hpp"

namespace analytics {

std::map<std::string, std::string> DefaultSignalPayload::parameters() { return {}; }

}  // namespace analytics
