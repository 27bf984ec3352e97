// The MIDI wrapper over a scripted backend, and over PortMidi with no devices.
#include "platform/midi.h"
#include "support/doubles/scripted_midi.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using platform::PortMidiDeviceInfoMBS;
using platform::PortMidiEventMBS;
using platform::PortMidiMBS;
using platform::PortMidiStreamMBS;
using platform::ScriptedMidiBackend;

class Midi : public ::testing::Test {
protected:
    void SetUp() override
    {
        backend.devices.resize(3);
        backend.devices[0].name = QStringLiteral("Keys");
        backend.devices[1].name = QStringLiteral("Pads");
        backend.devices[2].name = QStringLiteral("Synth out");
        backend.devices[2].hasInput = false;
        platform::setMidiBackend(&backend);
    }
    void TearDown() override { platform::setMidiBackend(nullptr); }

    ScriptedMidiBackend backend;
};

TEST_F(Midi, DevicesAreCountedAndDescribed)
{
    backend.devices.push_back({});
    backend.devices[3].hasInfo = false;
    EXPECT_EQ(PortMidiMBS::CountDevices(), 4);

    auto keys = PortMidiMBS::DeviceInfo(0);
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->Name(), QStringLiteral("Keys"));
    EXPECT_TRUE(keys->HasInput());
    auto synth = PortMidiMBS::DeviceInfo(2);
    ASSERT_NE(synth, nullptr);
    EXPECT_FALSE(synth->HasInput());

    EXPECT_EQ(PortMidiMBS::DeviceInfo(3), nullptr) << "no information";
    EXPECT_EQ(PortMidiMBS::DeviceInfo(4), nullptr) << "past the end";
    EXPECT_EQ(PortMidiMBS::DeviceInfo(-1), nullptr);
}

TEST_F(Midi, AClosedStreamReadsAsNothingWaiting)
{
    PortMidiStreamMBS stream;
    PortMidiEventMBS event;
    EXPECT_EQ(stream.DeviceID(), -1);
    EXPECT_EQ(stream.Poll(), 0);
    EXPECT_EQ(stream.Read(event), 0);
    stream.Close();
    EXPECT_EQ(backend.devices[0].closed, 0);
}

TEST_F(Midi, EventsArePolledAndReadInOrder)
{
    backend.noteOn(0, 60, 100);
    backend.noteOn(0, 64, 0, 128);
    backend.noteOn(1, 70, 5); // another device's event stays there
    PortMidiStreamMBS stream;
    ASSERT_EQ(stream.OpenInput(0, 100), 0);
    EXPECT_EQ(stream.DeviceID(), 0);

    std::vector<PortMidiEventMBS> got;
    while (stream.Poll() != 0) {
        PortMidiEventMBS event;
        ASSERT_EQ(stream.Read(event), 1);
        got.push_back(event);
    }
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].Status(), 144);
    EXPECT_EQ(got[0].Data1(), 60);
    EXPECT_EQ(got[0].Data2(), 100);
    EXPECT_EQ(got[1].Status(), 128);
    EXPECT_EQ(got[1].Data1(), 64);
    EXPECT_EQ(got[1].Data2(), 0);

    PortMidiEventMBS untouched;
    untouched.status = 7;
    EXPECT_EQ(stream.Read(untouched), 0) << "nothing left";
    EXPECT_EQ(untouched.Status(), 7);
    EXPECT_EQ(backend.devices[1].waiting.size(), 1u);
}

TEST_F(Midi, ALibraryErrorEndsAPollLoop)
{
    PortMidiStreamMBS stream;
    ASSERT_EQ(stream.OpenInput(0, 100), 0);
    backend.noteOn(0);
    backend.pollError = -10000;

    int rounds = 0;
    while (stream.Poll() != 0 && rounds < 10)
        ++rounds;
    EXPECT_EQ(rounds, 0);
    PortMidiEventMBS event;
    event.status = 7;
    EXPECT_EQ(stream.Read(event), 0);
    EXPECT_EQ(event.Status(), 7);

    backend.pollError = 0;
    EXPECT_NE(stream.Poll(), 0) << "the event is still there once the error clears";
}

TEST_F(Midi, ClosingTwiceClosesTheDeviceOnce)
{
    PortMidiStreamMBS stream;
    ASSERT_EQ(stream.OpenInput(1, 100), 0);
    backend.noteOn(1);
    stream.Close();
    stream.Close();
    EXPECT_EQ(backend.devices[1].closed, 1);
    EXPECT_FALSE(backend.devices[1].open);
    EXPECT_EQ(stream.DeviceID(), -1);
    EXPECT_EQ(stream.Poll(), 0) << "events of a closed device are not seen";
}

TEST_F(Midi, ReopeningClosesTheOpenDeviceFirst)
{
    PortMidiStreamMBS stream;
    ASSERT_EQ(stream.OpenInput(0, 100), 0);
    // The same device again only opens if the wrapper closed it first.
    ASSERT_EQ(stream.OpenInput(0, 100), 0);
    EXPECT_EQ(backend.devices[0].opened, 2);
    EXPECT_EQ(backend.devices[0].closed, 1);

    ASSERT_EQ(stream.OpenInput(1, 100), 0);
    EXPECT_EQ(stream.DeviceID(), 1);
    EXPECT_FALSE(backend.devices[0].open);
    EXPECT_EQ(backend.devices[0].closed, 2);
    EXPECT_TRUE(backend.devices[1].open);
}

TEST_F(Midi, AFailedOpenLeavesNoDeviceOpen)
{
    backend.devices[1].opens = false;
    struct Case {
        const char* what;
        int device;
    };
    const Case cases[] = {{"device refuses", 1}, {"output only", 2}, {"no such device", 9}, {"negative id", -1}};
    for (const Case& c : cases) {
        PortMidiStreamMBS stream;
        ASSERT_EQ(stream.OpenInput(0, 100), 0) << c.what;
        EXPECT_LT(stream.OpenInput(c.device, 100), 0) << c.what;
        EXPECT_EQ(stream.DeviceID(), -1) << c.what;
        EXPECT_FALSE(backend.devices[0].open) << c.what << ": the earlier device was closed";
        EXPECT_EQ(stream.Poll(), 0) << c.what;
    }
}

TEST_F(Midi, ADroppedStreamFreesItsDevice)
{
    {
        PortMidiStreamMBS first;
        ASSERT_EQ(first.OpenInput(0, 100), 0);
        PortMidiStreamMBS rival;
        EXPECT_LT(rival.OpenInput(0, 100), 0) << "a device opens only once";
    }
    EXPECT_EQ(backend.devices[0].closed, 1);

    // Replacing the stream object, as the program does with its one stream.
    auto s = std::make_unique<PortMidiStreamMBS>();
    ASSERT_EQ(s->OpenInput(0, 100), 0);
    s = std::make_unique<PortMidiStreamMBS>();
    EXPECT_EQ(s->OpenInput(0, 100), 0);
    EXPECT_EQ(backend.devices[0].closed, 2);
}

TEST_F(Midi, AStreamClosesThroughTheBackendThatOpenedIt)
{
    PortMidiStreamMBS stream;
    ASSERT_EQ(stream.OpenInput(0, 100), 0);
    ScriptedMidiBackend other;
    other.devices.resize(1);
    platform::setMidiBackend(&other);
    stream.Close();
    EXPECT_EQ(backend.devices[0].closed, 1);
    EXPECT_EQ(other.devices[0].closed, 0);
}

// PortMidi itself. Machines without MIDI hardware (CI's) have no devices;
// elsewhere this is skipped.
TEST(PortMidi, WithNoDevicesEverythingAnswersAndNothingHangs)
{
    platform::setMidiBackend(nullptr);
    PortMidiMBS pm;
    if (PortMidiMBS::CountDevices() > 0)
        GTEST_SKIP() << "this machine has MIDI devices";
    EXPECT_EQ(PortMidiMBS::CountDevices(), 0);
    EXPECT_EQ(PortMidiMBS::DeviceInfo(0), nullptr);

    PortMidiStreamMBS stream;
    EXPECT_LT(stream.OpenInput(0, 100), 0);
    EXPECT_EQ(stream.DeviceID(), -1);
    EXPECT_EQ(stream.Poll(), 0);
    PortMidiEventMBS event;
    EXPECT_EQ(stream.Read(event), 0);
    stream.Close();
    stream.Close();
}

} // namespace
