// libFuzzer harness of the resume state readers: the input is the content of one state file,
// written into a machine folder of the scratch directory, then read by its reader.
//
// Input: byte 0 picks the file (PrintFileInfo, TaskStartInfo, a CutState beside a
// TaskStartInfo, a page file, or an "UpdateFile" datagram); the rest is its bytes.
#include "fuzz_support.h"

#include "app/msg_socket.h"
#include "app/resume_state.h"
#include "plotmodel/plot_shape_list.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    static const std::string folder = fuzz_support::ScratchDir() + "state";
    static const bool made = [] {
        return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
    }();
    if (!made) return 0;
    fuzz_support::CountingMessageSink sink;
    const CString dir = CString::FromUtf8(folder);
    const uint8_t kind = data[0] % 5;
    const uint8_t* body = data + 1;
    const size_t length = size - 1;
    auto write = [&](const CString& name) { return fuzz_support::WriteScratchFile(folder + "/" + name.ToUtf8(), body, length); };
    switch (kind) {
    case 0: {
        if (!write(kPrintFileInfoName)) return 0;
        CString path;
        int32_t pages = 0, origin = 0, x = 0, y = 0;
        ReadPrintFileInfo(dir, path, pages, origin, x, y);
        break;
    }
    case 1: {
        if (!write(kTaskStartInfoName)) return 0;
        int32_t page = 0, cut = 0, jet = 0, points = 0, perLine = 0;
        ReadTaskStartInfo(dir, page, cut, jet, points, perLine);
        break;
    }
    case 2: {
        if (!write(kTaskStartInfoName) || !write(kCutStateNames[length % 2])) return 0;
        int32_t cutEnd = 0;
        ReadNewestCutState(dir, cutEnd);
        break;
    }
    case 3: {
        if (!write(u"page0.plt")) return 0;
        PlotShapeList list;
        const int read = ReadPageFile(GetPageFilePath(dir, 0), list);
        fuzz_support::Require(read == 0 || list.Count() > 0);
        break;
    }
    default: UpdateFileRequests(body, static_cast<int>(length), CString(u"127.0.0.1")); break;
    }
    return 0;
}
