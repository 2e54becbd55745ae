#include "Bytes.h"
#include "sim/RequestParser.h"
#include <gtest/gtest.h>

using fakes::bytes;

using sim::RequestFrame;
using sim::RequestParser;

namespace {


// Payload lengths of a small device: 86 none, 66 four bytes, 133 five bytes.
int lengths(std::uint8_t command)
{
    switch (command) {
    case 86:
        return 0;
    case 66:
        return 4;
    case 133:
        return 5;
    default:
        return -1;
    }
}

struct ParseCase {
    const char* name;
    QByteArray stream;
    QList<RequestFrame> expected;
};

class Parsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parsing, WholeStreamAndByteByByteGiveTheSameFrames)
{
    const ParseCase& c = GetParam();
    RequestParser whole(lengths);
    EXPECT_EQ(whole.feed(c.stream), c.expected);

    RequestParser single(lengths);
    QList<RequestFrame> frames;
    for (char b : c.stream)
        frames.append(single.feed(QByteArray(1, b)));
    EXPECT_EQ(frames, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, Parsing,
    ::testing::Values(
        ParseCase{"empty_payload", "*V#", {{86, {}}}},
        ParseCase{"payload_by_command", bytes({42, 66, 10, 1, 5, 1, 35}), {{66, bytes({10, 1, 5, 1})}}},
        ParseCase{"payload_holding_star_and_hash", bytes({42, 133, 35, 42, 35, 42, 133, 35}),
                  {{133, bytes({35, 42, 35, 42, 133})}}},
        ParseCase{"two_frames_back_to_back", bytes({42, 86, 35, 42, 66, 0, 0, 0, 0, 35}),
                  {{86, {}}, {66, bytes({0, 0, 0, 0})}}},
        ParseCase{"noise_in_front_is_skipped", bytes({0, 1, 35, 86, 42, 86, 35}), {{86, {}}}},
        ParseCase{"unknown_command_is_dropped", bytes({42, 99, 35, 42, 86, 35}), {{86, {}}}},
        ParseCase{"frame_without_its_end_is_dropped", bytes({42, 66, 1, 2, 3, 4, 5, 42, 86, 35}), {{86, {}}}},
        ParseCase{"nothing_but_noise", bytes({1, 2, 3, 35}), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Parsing, AHalfFrameWaitsForItsRestUnlessDiscarded)
{
    RequestParser parser(lengths);
    EXPECT_TRUE(parser.feed(bytes({42, 133, 0, 0})).isEmpty());
    EXPECT_TRUE(parser.hasPartialFrame());
    EXPECT_EQ(parser.feed(bytes({1, 2, 133, 35})), (QList<RequestFrame>{{133, bytes({0, 0, 1, 2, 133})}}));
    EXPECT_FALSE(parser.hasPartialFrame());

    EXPECT_TRUE(parser.feed(bytes({42, 133, 0, 0})).isEmpty());
    parser.discardPartialFrame();
    EXPECT_EQ(parser.feed("*V#"), (QList<RequestFrame>{{86, {}}}));
}

} // namespace
