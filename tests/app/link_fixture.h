// The fixture of the link tests: the loopback link helpers and a client of the upload server,
// with the link ports held for the whole program (link_fixture.cpp).
#pragma once

#include "support/loopback_link.h"

#include <memory>

namespace corvane_test {

class LoopbackTcpClient;

// Opens the global upload server on a free port of 127.0.0.1 and connects a client to it;
// null, with the test failed, when either step fails.
std::unique_ptr<LoopbackTcpClient> ConnectToUploadServer();

}  // namespace corvane_test
