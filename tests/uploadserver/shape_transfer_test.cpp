// Shapes sent back to a client: "<PHED", one PLOT record per shape with its binary body, "<PEND>".
#include "server_fixture.h"

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"

#include "support/event_loop.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace {

struct ShapeFixture {
    float value;
    short lineType, pen;
    unsigned char rec, mau;
    std::vector<std::vector<float>> polylines;  // x, y pairs
};

PlotShape* MakeShape(const ShapeFixture& fixture)
{
    auto* shape = new PlotShape;
    shape->SetFloatValue(fixture.value);
    shape->SetLineType(fixture.lineType);
    shape->SetPenIndex(fixture.pen);
    shape->SetRecIndex(fixture.rec);
    shape->SetMauIndex(fixture.mau);
    for (const auto& pl : fixture.polylines)
        for (size_t i = 0; i < pl.size(); i += 2) shape->AddPoint(pl[i], pl[i + 1], i == 0);
    return shape;
}

uint32_t Le32(const std::string& bytes, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return v;
}

// The text record of fixture and its binary body, as the client must receive them.
std::string ExpectedPlot(const ShapeFixture& fixture)
{
    int points = 0;
    for (const auto& pl : fixture.polylines) points += static_cast<int>(pl.size() / 2);
    char head[160];
    std::snprintf(head, sizeof head, "<PLOT:%f,%d,%d,%u,%u,%d,%d><", fixture.value, fixture.lineType, fixture.pen,
                  unsigned{fixture.rec}, unsigned{fixture.mau}, static_cast<int>(fixture.polylines.size()), points);
    std::string out = W(std::u16string(head, head + std::strlen(head)));
    auto le32 = [&](uint32_t v) {
        for (int s = 0; s < 32; s += 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
    };
    for (const auto& pl : fixture.polylines) le32(static_cast<uint32_t>(pl.size() / 2));
    for (const auto& pl : fixture.polylines)
        for (float f : pl) le32(std::bit_cast<uint32_t>(f));
    return out + W(u">");
}

TEST_F(UploadServerTest, AShapeListComesBackAsHeadOnePlotPerShapeAndEnd)
{
    const std::vector<ShapeFixture> fixtures = {
        {2.5f, 3, 4, 5, 130, {{0, 0, 10.5f, 0, 10.5f, -7.25f}, {100, 100, 200, 100, 200, 200, 100, 200}}},
        {1.0f, 0, 0, 127, 127, {{-1e6f, 3.0f, 1e6f, 3.0f}}},
        {-1.0f, 2, -1, 0, 2, {{1, 1}}},
    };
    auto* list = new PlotShapeList;
    for (const ShapeFixture& fixture : fixtures) list->AddTail(MakeShape(fixture));
    Peer& peer = Connect();
    ASSERT_EQ(peer.client->SendShapeList(list, u"job 1.plt"), 1);

    std::string expected = W(u"<PHED,N:job 1.plt>");
    for (const ShapeFixture& fixture : fixtures) expected += ExpectedPlot(fixture);
    expected += W(u"<PEND>");
    ASSERT_TRUE(peer.wire->WaitForBytes(expected.size()));
    std::string got = peer.wire->TakeReceived();
    EXPECT_EQ(got, expected);

    // The two-polyline, seven-point shape carries 8 + 56 bytes between "><" and ">".
    size_t first = got.find(W(u"><"), got.find(W(u"<PLOT:")));
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(Le32(got, first + 4), 3u);
    EXPECT_EQ(Le32(got, first + 8), 4u);
    EXPECT_EQ(got.substr(first + 4 + 64, 2), W(u">"));
}

TEST_F(UploadServerTest, AClientTakesOneListAtATimeAndAnEmptyListIsHeadThenEnd)
{
    Peer& peer = Connect();
    auto* big = new PlotShapeList;
    std::vector<float> line;
    for (int i = 0; i < 2000; ++i) line.insert(line.end(), {float(i), float(-i)});
    for (int i = 0; i < 50; ++i) big->AddTail(MakeShape({1.0f, 0, 1, 127, 2, {line}}));
    ASSERT_EQ(peer.client->SendShapeList(big, u"big"), 1);
    PlotShapeList refused;
    EXPECT_EQ(peer.client->SendShapeList(&refused, u"other"), 0);  // stays the caller's

    std::string end = W(u"<PEND>");
    ASSERT_TRUE(corvane_test::RunEventLoopUntil([&] {
        peer.wire->Poll();
        const std::string& r = peer.wire->Received();
        return r.size() >= end.size() && r.compare(r.size() - end.size(), end.size(), end) == 0;
    }));
    std::string got = peer.wire->TakeReceived();
    size_t plots = 0;
    for (size_t at = got.find(W(u"<PLOT:")); at != std::string::npos; at = got.find(W(u"<PLOT:"), at + 1)) ++plots;
    EXPECT_EQ(plots, 50u);
    EXPECT_EQ(got.size(), W(u"<PHED,N:big>").size() + 50 * ExpectedPlot({1.0f, 0, 1, 127, 2, {line}}).size() +
                              end.size());

    // Once the end has gone out, the client is free for the next job's shapes.
    ASSERT_EQ(peer.client->SendShapeList(new PlotShapeList, u"empty"), 1);
    std::string expected = W(u"<PHED,N:empty><PEND>");
    ASSERT_TRUE(peer.wire->WaitForBytes(expected.size()));
    EXPECT_EQ(peer.wire->TakeReceived(), expected);
}

}  // namespace
