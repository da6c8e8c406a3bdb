// libFuzzer harness of the DXF import: every input is a drawing file handed to
// ImportDxfDwgToShapes, which must return 0 or 1 without a fault.
#include "app/dxf_import.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The drawing file of this process, in a folder of its own.
const std::string& InputPath()
{
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/corvane-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern + "/input.dxf";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(InputPath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    PlotShapeList out;
    ImportDxfDwgToShapes(CString::FromUtf8(InputPath()).GetString(), out);
    return 0;
}
