// Fuzzes the upload server's message parser (CTCPClient1::ProcData) without sockets: the
// input arrives in pieces as a TCP stream would, kept in the client's receive buffer the way
// its receive handler keeps it, with uploads written to a scratch auto directory.
//
// Input: byte 0 seeds the piece lengths (1 to 512 bytes); the rest is the byte stream.
#include "fuzz_support.h"

#include "uploadserver/tcp_client1.h"
#include "uploadserver/tcp_server1.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    static const std::string autoDir = [] {
        std::string dir = fuzz_support::ScratchDir() + "auto/";
        std::filesystem::create_directories(dir);
        CTCPServer1::SetAutoDir(CString::FromUtf8(dir));
        return dir;
    }();
    {
        CTCPClient1 client;
        std::vector<char> buffer(CTCPClient1::kReceiveBuffer_bytes);
        int32_t filled = 0;
        uint32_t state = data[0] * 2654435761u + 1;
        for (size_t at = 1; at < size;) {
            state = state * 1664525u + 1013904223u;
            const size_t room = static_cast<size_t>(CTCPClient1::kReceiveBuffer_bytes - filled);
            const size_t n = std::min({size - at, room, static_cast<size_t>(1 + (state >> 16) % 512)});
            std::memcpy(buffer.data() + filled, data + at, n);
            filled += static_cast<int32_t>(n);
            at += n;
            const int32_t used = client.ProcData(buffer.data(), filled);
            std::memmove(buffer.data(), buffer.data() + used, static_cast<size_t>(filled - used));
            filled -= used;
            // A message that fills the whole buffer ends the connection.
            if (filled == CTCPClient1::kReceiveBuffer_bytes) break;
        }
    }
    fuzz_support::DrainPosted();
    // Uploads must not pile up over a long run.
    for (const auto& entry : std::filesystem::directory_iterator(autoDir)) std::filesystem::remove_all(entry.path());
    return 0;
}
