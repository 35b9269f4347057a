// SPDX-License-Identifier: MIT
#pragma once

namespace fixtora::demo {

/// Closes the connection a request came in on, without a byte of answer:
/// the server's socket is the one whose local and peer ports are the
/// request's. False when no such socket is found.
bool dropConnection(int localPort, int remotePort);

}  // namespace fixtora::demo
