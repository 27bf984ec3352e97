// When the sound output rests: stepped through its checks against a stream
// double that records every pause and resume, and whose open can fail.
#include "platform/output_rest.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

class FakeStream : public platform::OutputRest::Stream {
public:
    bool setPaused(bool paused) override
    {
        if (!paused && !opens) {
            calls += 'F';
            return false;
        }
        calls += paused ? 'P' : 'R';
        return true;
    }
    bool sounding() const override { return voices > 0; }
    std::string calls; // P: paused, R: resumed, F: could not resume
    int voices = 0;
    bool opens = true;
};

// Steps of a scenario: n needed, x not needed, p a play (one voice starts
// unless the play is dropped), e the last voice ends, c a check, f the output
// cannot open from now on, o it can again.
struct Case {
    const char* steps;
    const char* calls; // what the stream saw
    bool pausedAfter;
    int dropped = 0; // plays refused
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
    int dropped = 0;
    platform::OutputRest rest(stream);
    EXPECT_TRUE(rest.paused()) << "a fresh stream is paused";
    for (const char* s = c.steps; *s; ++s) {
        switch (*s) {
        case 'n': rest.setNeeded(true); break;
        case 'x': rest.setNeeded(false); break;
        case 'p':
            if (rest.played())
                ++stream.voices;
            else
                ++dropped;
            break;
        case 'f': stream.opens = false; break;
        case 'o': stream.opens = true; break;
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
    EXPECT_EQ(dropped, c.dropped);
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
        Case{"xcc", "", true},
        // An output that cannot open is not taken as running: every play
        // and START tries again, and the plays meanwhile are refused.
        Case{"fn", "F", true}, Case{"fncc", "F", true}, Case{"fnpp", "FFF", true, 2},
        Case{"fnppo", "FFF", true, 2}, Case{"fnppop", "FFFR", false, 2}, Case{"fnxon", "FR", false},
        Case{"fnppopecc", "FFFR", false, 2}, Case{"fnppopexcc", "FFFRP", true, 2},
        // The output lost while resting between two tests.
        Case{"nxccfnpxccopecc", "RPFFRP", true, 1}, Case{"nxccfpop", "RPFR", false, 1}));

} // namespace
