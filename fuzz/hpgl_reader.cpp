// Fuzzes the HPGL tokenizer and both explainers: the text whole through each explainer, and
// streamed through the streamed side in pieces whose lengths the input chooses.
//
// Input: byte 0 picks the streamed reader (even: plain, odd: captured data), byte 1 seeds the
// piece lengths (1 to 256 bytes each); the rest is the HPGL text.
#include "fuzz_support.h"

#include "hpgl/hpgl_explainer.h"
#include "hpgl/hpgl_stream_explainer.h"
#include "plotmodel/plot_shape_list.h"

#include <vector>

namespace {

void ExplainWhole(const uint8_t* text, int length)
{
    HpglAnalyzer analyzer;
    if (length > 0 && !analyzer.AppendData(text, length)) return;
    HpglExplainer explainer(analyzer);
    PlotShapeList first;
    explainer.Transform(first);

    HpglStreamExplainer stream;
    if (length > 0 && !stream.AppendData(text, length)) return;
    PlotShapeList second;
    stream.Transform(second);
}

void ExplainInPieces(const uint8_t* text, int length, bool captured, uint8_t seed)
{
    HpglStreamExplainer stream;
    uint32_t state = seed * 2654435761u + 1;
    std::vector<unsigned char> piece;
    for (int at = 0; at < length;) {
        state = state * 1664525u + 1013904223u;
        const int n = std::min(length - at, 1 + static_cast<int>((state >> 16) % 256));
        piece.assign(text + at, text + at + n);
        if (captured)
            stream.ExplainerForCOMCap(piece.data(), n);
        else
            stream.ExplainerForCOM(piece.data(), n);
        at += n;
        // The consumer takes finished files as it would between pieces.
        while (stream.OutGetData()) {
            PlotShapeList out;
            stream.Out(out);
            stream.OutStartNewFile();
        }
    }
    stream.EndFile();
    while (stream.OutGetData()) {
        PlotShapeList out;
        stream.Out(out);
        stream.OutStartNewFile();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > (1u << 20)) return 0;
    const uint8_t* text = data + 2;
    const int length = static_cast<int>(size - 2);
    ExplainWhole(text, length);
    ExplainInPieces(text, length, (data[0] & 1) != 0, data[1]);
    fuzz_support::DrainPosted();
    return 0;
}
