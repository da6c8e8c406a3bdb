// Writes the seed corpora of the harnesses under fuzz/corpus/<harness>/, with the tests' own
// font and machine writers and the program's own configuration writer.
// Usage: fuzz_make_seeds <corpus folder>
#include "support/shx_font_writer.h"
#include "support/simulated_machine.h"
#include "support/test_environment.h"

#include "machinelink/net_machine.h"
#include "platform/byte_order.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

// The font writer's file helper lives with the test harness's main; the seed writer only
// needs the writer's bytes, so the helper refuses.
bool corvane_test::WriteFile(const std::string&, const std::string&) { return false; }

namespace {

using Bytes = std::vector<uint8_t>;
std::string g_root;

void Put(const std::string& harness, const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(g_root + "/" + harness);
    std::ofstream(g_root + "/" + harness + "/" + name, std::ios::binary) << bytes;
}

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

void HpglSeeds()
{
    Put("hpgl_reader", "shapes", std::string("\x00\x07", 2) +
        "IN;SP1;PU0,0;PD400,0,400,400,0,400,0,0;PU800,800;PR40,0,0,40;PA1200,1200;CI200;AA1000,1000,90;"
        "AR100,0,-45;LT2,4;SI0.3,0.4;DI1,0;LBAB\x03;DT*;LBC*;SP2;PD;PU;");
    Put("hpgl_reader", "captured", std::string("\x01\x29", 2) + std::string(8, '\x01') + "SP1;PU0,0;PD100,0,100,100;" +
        std::string(8, '\x00'));
}

void FontSeeds()
{
    using corvane_test::ShxCode;
    corvane_test::ShxFontDef shapes;
    shapes.glyphs.push_back({'A', ShxCode({2, 0x14, 1, 0x40, 0x4C, 0x48, 8, 3, -2, 0}), ""});
    shapes.glyphs.push_back({'B', ShxCode({1, 10, 2, 0x12, 11, 0, 20, 0, 3, 0x21}), ""});
    shapes.glyphs.push_back({'C', ShxCode({1, 12, 4, 4, 50, 13, 2, 2, 20, -3, -3, -20, 0, 0, 7, 'A'}), ""});
    shapes.glyphs.push_back({'D', ShxCode({5, 3, 2, 4, 2, 0x44, 6, 9, 1, 1, 0, 0, 14, 8, 1, 1}), ""});
    Put("shx_font", "shapes", corvane_test::ShxFontBytes(shapes));
    corvane_test::ShxFontDef big = shapes;
    big.kind = corvane_test::ShxFontKind::Bigfont;
    big.glyphs = {{0xA3C1, ShxCode({1, 0x40, 0x44, 0x48}), ""}, {0xA3C2, ShxCode({7, 0, 0xA3, 0xC1}), ""}};
    Put("shx_font", "bigfont", corvane_test::ShxFontBytes(big));
    corvane_test::ShxFontDef uni = shapes;
    uni.kind = corvane_test::ShxFontKind::Unifont;
    uni.glyphs = {{'A', ShxCode({1, 0x40, 0x44}), ""}, {0x4E00, ShxCode({1, 0x48, 2, 0x4C}), ""}};
    Put("shx_font", "unifont", corvane_test::ShxFontBytes(uni));
}

// One record of the datagram harness: an operation and its counted bytes.
void Record(std::string& out, uint8_t operation, const Bytes& bytes)
{
    out += static_cast<char>(operation);
    out += static_cast<char>(bytes.size());
    out += Text(bytes);
}

void MachineSeeds()
{
    ByteWriter params;
    params.PutBytes(reinterpret_cast<const uint8_t*>("PQCN"), 4);
    for (int i = 0; i < 33; ++i) params.PutFloat(1000.0f);
    params.PutI32(1000000), params.PutI32(100000);
    for (int i = 0; i < 6; ++i) params.PutU16(100);
    params.PutU8(0x02), params.PutU8(0);
    for (int i = 0; i < 4; ++i) params.PutFloat(1000.0f);
    ByteWriter start;
    start.PutBytes(reinterpret_cast<const uint8_t*>("QGJQ"), 4);
    start.PutU8(0), start.PutU8(3), start.PutU8(1);
    for (int i = 0; i < 4; ++i) start.PutU32(0);
    for (int i = 0; i < 5; ++i) start.PutU8(0);
    start.PutU32(0), start.PutU32(0);
    ByteWriter reply;
    reply.PutBytes(reinterpret_cast<const uint8_t*>("QGJR"), 4);
    reply.PutU8(0xF4), reply.PutU8(1), reply.PutU8(0), reply.PutU16(4000), reply.PutU16(200), reply.PutU16(4000), reply.PutU32(0);
    ByteWriter ack;
    ack.PutBytes(reinterpret_cast<const uint8_t*>("QGJA"), 4);
    ack.PutU8(2), ack.PutU8(0), ack.PutU8(2), ack.PutU16(4000), ack.PutU16(200), ack.PutU8(0), ack.PutU16(4000), ack.PutU32(0);

    std::string job;
    job += '\0';
    Record(job, 4, params.Bytes());
    job += '\x02';
    Record(job, 3, Bytes{0, 'f', '2', ';'});
    Record(job, 4, start.Bytes());
    job += '\0';
    Record(job, 4, reply.Bytes());
    job += "\x01\x14";
    job += '\0';
    Record(job, 4, ack.Bytes());
    Put("machine_datagrams", "job", job);

    const Bytes block = corvane_test::DefaultSimSettingsBlock();
    Put("machine_settings", "announce", std::string("\x0c\x02", 2) + Text(block));
    NET_Machine machine;
    machine.firmwareVersion = 12;
    const std::string path = g_root + "/machine.cfg";
    machine.SaveConfigToFile(CString::FromUtf8(path));
    std::ifstream in(path, std::ios::binary);
    Put("machine_settings", "config", std::string("\x0c\x02", 2) + std::string(std::istreambuf_iterator<char>(in), {}));
    std::filesystem::remove(path);
}

std::string Utf16(const std::string& ascii)
{
    std::string out;
    for (char c : ascii) out += c, out += '\0';
    return out;
}

void UploadSeeds()
{
    Put("upload_messages", "upload", "\x05" + Utf16("<FHED,L:10,N:job.plt>") + Utf16("<FSEG,L:10>") + "IN;PD1,1;\n" +
        Utf16("<FEND>") + Utf16("<FILE,job.plt>") + Utf16("<MACH,1>"));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: fuzz_make_seeds <corpus folder>\n";
        return 2;
    }
    g_root = argv[1];
    HpglSeeds();
    FontSeeds();
    MachineSeeds();
    UploadSeeds();
    return 0;
}
