// The fixture of the link tests: the loopback link helpers and a client of the upload server,
// with the link ports held for the whole program (link_fixture.cpp).
#pragma once

#include "support/loopback_link.h"

#include <memory>

class CTCPClient1;

namespace corvane_test {

class LoopbackTcpClient;
class RecordingMessageTarget;

// Opens the global upload server on a free port of 127.0.0.1 and connects a client to it;
// null, with the test failed, when either step fails.
std::unique_ptr<LoopbackTcpClient> ConnectToUploadServer();
// Runs the event loop until the upload server has told window that it accepted a client
// (window's other messages are dropped); that client, or null with the test failed.
CTCPClient1* AcceptedUploadClient(RecordingMessageTarget& window);

}  // namespace corvane_test
