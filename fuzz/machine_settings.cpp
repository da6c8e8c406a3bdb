// Fuzzes a machine's parameter readers: the announce's settings block (LoadSettings) and the
// machine configuration file (LoadConfigFromFile).
//
// Input: byte 0 is the machine's firmware version, byte 1 its machine kind; the rest is both
// the settings block and the configuration file.
#include "fuzz_support.h"

#include "machinelink/net_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    const uint8_t* body = data + 2;
    const size_t length = size - 2;

    NET_Machine announced;
    announced.firmwareVersion = data[0];
    announced.machineKind = data[1];
    announced.LoadSettings(body, static_cast<int>(length));

    static const std::string path = fuzz_support::ScratchDir() + "machine.cfg";
    if (!fuzz_support::WriteScratchFile(path, body, length)) return 0;
    NET_Machine configured;
    configured.firmwareVersion = data[0];
    configured.machineKind = data[1];
    configured.LoadConfigFromFile(CString::FromUtf8(path));
    fuzz_support::DrainPosted();
    return 0;
}
