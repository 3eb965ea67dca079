// The answer reader alone: one request written to the simulated bus, one collect.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/link/bus_fixture.h"

namespace dvx::link {
namespace {

using sim::Fault;

struct CollectRow {
    const char* name;
    std::vector<Fault> faults;
    bool adapter_echoes;
    std::int16_t echo_flag;  // echo_on as the last probe left it
    std::int16_t result;
    int echo_left;  // echoed bytes still to skip afterwards
    double min_seconds;
    double max_seconds;
};

// clang-format off
const CollectRow rows[] = {
    {"clean", {}, false, 0, link_status::done, 8, 0.0, 0.05},
    {"echo skipped", {}, true, 1, link_status::done, 0, 0.0, 0.05},
    {"noise before the unit dropped", {Fault::noise_before({0x7F, 0x00})}, false, 0,
        link_status::done, 8, 0.0, 0.05},
    {"silent", {Fault::silent()}, false, 0, link_status::time_out, 8, 1.0, 1.01},
    {"exception answer too short", {Fault::exception(2)}, false, 0, link_status::time_out, 8,
        1.0, 1.01},
    {"bad CRC", {Fault::bad_crc()}, false, 0, link_status::crc_error, 8, 0.0, 0.05},
    // The echo starts a frame that fails its CRC; the answer's head behind it is found.
    {"the answer behind an echo taken for it found", {}, true, 0, link_status::done, 8,
        0.0, 0.05},
    {"bad CRC after the echo taken for the answer", {Fault::bad_crc()}, true, 0,
        link_status::crc_error, 8, 0.0, 0.05},
    {"echo not there within 0.3 s", {Fault::echo_delayed(0.5), Fault::silent()}, true, 1,
        link_status::time_out, 8, 0.3, 0.31},
};
// clang-format on

void PrintTo(const CollectRow& row, std::ostream* os) {
    *os << row.name;
}

class ReceiveAnswer : public BusFixture, public ::testing::WithParamInterface<CollectRow> {};

TEST_P(ReceiveAnswer, ResultAnswerAndTime) {
    const CollectRow& row = GetParam();
    attach(sim::Plant::preset(0), 1);
    plant().set_echo(row.adapter_echoes);
    for (const Fault& f : row.faults) plant().fault(f);
    echo_on = row.echo_flag;
    const Frame request = build_read_request(1, 0, 5);
    const double t0 = clock_.peek();
    port().write(request);
    Frame answer;
    int echo = static_cast<int>(request.size());
    EXPECT_EQ(receive_answer(answer, 1, read_answer_length(5), echo), row.result);
    const double took = clock_.peek() - t0;
    EXPECT_GE(took, row.min_seconds);
    EXPECT_LE(took, row.max_seconds);
    EXPECT_EQ(echo, row.echo_left);
    if (row.result == link_status::done) {
        ASSERT_EQ(answer.size(), 15u);
        EXPECT_EQ(answer[0], 1);
        EXPECT_EQ(get_answer_word(answer, 3), 11);    // type code
        EXPECT_EQ(get_answer_word(answer, 11), 405);  // firmware
    }
    if (row.result == link_status::crc_error) {
        EXPECT_EQ(answer.size(), 15u);
    }
}

INSTANTIATE_TEST_SUITE_P(Link, ReceiveAnswer, ::testing::ValuesIn(rows), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (c == ' ' || c == '.') c = '_';
    return name;
});

}  // namespace
}  // namespace dvx::link
