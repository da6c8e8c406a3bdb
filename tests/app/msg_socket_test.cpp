// CMsgSocket: the "{key=value}" groups, "UpdateFile" from this computer only, and the
// "OpenFile" datagram to the pattern editor.
#include "app/msg_socket.h"

#include "link_fixture.h"
#include "support/event_loop.h"
#include "support/utf16_bytes.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace corvane_test {
namespace {

std::vector<std::u16string> Files(const std::vector<uint8_t>& bytes, const char16_t* sender = u"127.0.0.1")
{
    std::vector<std::u16string> files;
    for (const CString& file : UpdateFileRequests(bytes.data(), static_cast<int>(bytes.size()), sender))
        files.push_back(file.str());
    return files;
}

TEST(MsgSocket, UpdateFileGroupsNameTheFilesToAdd)
{
    struct Case {
        const char16_t* text;
        std::vector<std::u16string> files;
    };
    const Case cases[] = {
        {u"{Other=1}{UpdateFile=/j/a.plt}", {u"/j/a.plt"}},
        {u"{UpdateFile=/j/a.plt}{UpdateFile=/j/b.plt}", {u"/j/a.plt", u"/j/b.plt"}},
        {u"{updatefile=/j/a.plt}", {}},                        // the key compares with case
        {u"{UpdateFile=/j/a.plt", {}},                         // no closing brace
        {u"{UpdateFile=/j/a.plt}{UpdateFile=/j/b", {u"/j/a.plt"}},  // parsing ends at the broken group
        {u"{UpdateFile=/j/a=b.plt}", {u"/j/a=b.plt"}},         // the value runs to the brace
        {u"UpdateFile=/j/a.plt}", {}},
        {u"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Files(Utf16Bytes(c.text)), c.files) << CString(c.text).ToUtf8();
}

TEST(MsgSocket, AnOddLastByteIsNoPartOfTheText)
{
    // The closing brace's low byte alone must not complete the group.
    std::vector<uint8_t> bytes = Utf16Bytes(u"{UpdateFile=/j/a.plt");
    bytes.push_back('}');
    EXPECT_TRUE(Files(bytes).empty());
    bytes = Utf16Bytes(u"{UpdateFile=/j/a.plt}");
    bytes.push_back('x');
    EXPECT_EQ(Files(bytes), std::vector<std::u16string>{u"/j/a.plt"});
}

TEST(MsgSocket, UpdateFileIsHeededFromThisComputerOnly)
{
    const std::vector<uint8_t> bytes = Utf16Bytes(u"{UpdateFile=/etc/passwd}");
    EXPECT_EQ(Files(bytes, u"127.0.0.1").size(), 1u);
    EXPECT_EQ(Files(bytes, u"127.8.9.10").size(), 1u);
    EXPECT_TRUE(Files(bytes, u"192.168.1.20").empty());
    EXPECT_TRUE(Files(bytes, u"").empty());
}

TEST(MsgSocket, ADatagramAddsItsFileAndRaisesTheWindow)
{
    EnsureEventLoop();
    std::vector<std::u16string> added;
    int raised = 0;
    CMsgSocket socket([&](const CString& path) { added.push_back(path.str()); }, [&] { ++raised; });
    ASSERT_TRUE(socket.CreateMessageSocket());
    CString address;
    UINT port = 0;
    ASSERT_TRUE(socket.GetSockName(address, port));
    ASSERT_NE(port, 0u);

    TestUdpSocket companion;
    ASSERT_TRUE(companion.SendTo(Utf16Bytes(u"{Other=1}{UpdateFile=/j/a.plt}"), LoopbackAddress(1), static_cast<uint16_t>(port)));
    ASSERT_TRUE(RunEventLoopUntil([&] { return !added.empty(); }));
    EXPECT_EQ(added, std::vector<std::u16string>{u"/j/a.plt"});
    EXPECT_EQ(raised, 1);
}

TEST(MsgSocket, OpenFileGoesOutAsUtf16WithoutATerminator)
{
    EnsureEventLoop();
    const int editor = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof local;
    ASSERT_EQ(::bind(editor, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    ASSERT_EQ(::getsockname(editor, reinterpret_cast<sockaddr*>(&local), &size), 0);

    CMsgSocket socket(nullptr, nullptr);
    ASSERT_TRUE(socket.CreateMessageSocket());
    EXPECT_EQ(socket.SendKeyValueDatagram(u"OpenFile", u"/j/a.plt", u"127.0.0.1", ntohs(local.sin_port)), 38);
    const std::vector<uint8_t> arrived = ReceiveWithin(editor, 2000);
    EXPECT_EQ(arrived, Utf16Bytes(u"{OpenFile=/j/a.plt}"));
    ::close(editor);
}

}  // namespace
}  // namespace corvane_test
