// Imports every drawing of a folder twice and compares the two reads: exit 0 when each pair
// agrees (answer and points), 1 naming the first file whose reads differ. Run under valgrind
// by the memcheck test.
#include "app/dxf_import.h"
#include "platform/message_box.h"
#include "plotmodel/plot_shape.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

// The answer of one import and the coordinates it gave, in order.
std::vector<float> Read(const std::filesystem::path& file)
{
    PlotShapeList list;
    std::vector<float> xy{static_cast<float>(ImportDxfDwgToShapes(CString::FromUtf8(file.string()).GetString(), list))};
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        int32_t count = 0;
        const float* p = s->GetPl(0, count);
        if (p) xy.insert(xy.end(), p, p + 2 * s->GetTolPtNum());
        xy.push_back(s->GetPenIndex());
    }
    return xy;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder of drawings>\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "%s: no drawings\n", argv[1]);
        return 2;
    }
    for (const auto& file : files) {
        if (Read(file) != Read(file)) {
            std::fprintf(stderr, "%s: two reads differ\n", file.c_str());
            return 1;
        }
    }
    std::printf("%zu drawings read twice alike\n", files.size());
    return 0;
}
