// When the sound output rests: stepped through its checks against a stream
// double that records every pause and resume.
#include "platform/output_rest.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

class FakeStream : public platform::OutputRest::Stream {
public:
    void setPaused(bool paused) override { calls += paused ? 'P' : 'R'; }
    bool sounding() const override { return voices > 0; }
    std::string calls; // P: paused, R: resumed
    int voices = 0;
};

// Steps of a scenario: n needed, x not needed, p a play (one voice starts),
// e the last voice ends, c a check.
struct Case {
    const char* steps;
    const char* calls; // what the stream saw
    bool pausedAfter;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << '"' << c.steps << '"';
}

class OutputRestTest : public testing::TestWithParam<Case> {};

TEST_P(OutputRestTest, PausesOnlyWhenNotNeededAndSilentAtTwoChecks)
{
    const Case& c = GetParam();
    FakeStream stream;
    platform::OutputRest rest(stream);
    EXPECT_TRUE(rest.paused()) << "a fresh stream is paused";
    for (const char* s = c.steps; *s; ++s) {
        switch (*s) {
        case 'n': rest.setNeeded(true); break;
        case 'x': rest.setNeeded(false); break;
        case 'p':
            ++stream.voices;
            rest.played();
            break;
        case 'e': stream.voices = 0; break;
        case 'c':
            // The timer runs only while checks are due.
            if (rest.checksDue())
                rest.check();
            break;
        }
    }
    EXPECT_EQ(stream.calls, c.calls);
    EXPECT_EQ(rest.paused(), c.pausedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, OutputRestTest,
    testing::Values(
        // Needed: runs, and checks never pause it, sounding or not.
        Case{"nccccc", "R", false}, Case{"npccceccc", "R", false},
        // Not needed and silent: the second check pauses it.
        Case{"nxc", "R", false}, Case{"nxcc", "RP", true}, Case{"nxcccc", "RP", true},
        // A voice still sounding holds the pause off until it has ended.
        Case{"npxcccc", "R", false}, Case{"npxccecc", "RP", true}, Case{"npxccec", "R", false},
        // Needed again between the checks: the count starts afresh.
        Case{"nxcnxc", "R", false}, Case{"nxcnxcc", "RP", true},
        // START after a rest, a test, then rest again.
        Case{"nxccnpecxcc", "RPRP", true},
        // A play while resting wakes the stream until its voice has ended.
        Case{"p", "R", false}, Case{"pcc", "R", false}, Case{"pccecc", "RP", true},
        Case{"nxccpecc", "RPRP", true},
        // A play during the wait for silence restarts the wait.
        Case{"nxcpecc", "RP", true}, Case{"nxcpec", "R", false},
        // Not needed while resting changes nothing.
        Case{"xcc", "", true}));

} // namespace
