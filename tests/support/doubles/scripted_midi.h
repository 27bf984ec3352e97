#pragma once
// A MIDI backend a test scripts, installed with platform::setMidiBackend.
#include "platform/midi.h"
#include <QString>
#include <deque>
#include <vector>

namespace platform {

// A list of devices, each with its own queue of waiting events.
class ScriptedMidiBackend : public MidiBackend {
public:
    struct Device {
        QString name;
        bool hasInput = true;
        bool opens = true;       // OpenInput succeeds
        bool hasInfo = true;     // deviceInfo answers
        bool open = false;       // currently open (an open device cannot be opened again)
        std::deque<PortMidiEventMBS> waiting;
        int opened = 0, closed = 0; // counts
    };
    std::vector<Device> devices;
    int pollError = 0; // when non-zero, poll and read return this (a library error)
    bool terminated = false;
    int callsAfterTerminate = 0; // any call once terminated is a fault of the caller

    // Appends a message, by default a Note On on channel 1, to a device's
    // queue, stamped with its arrival on the program's clock (-1: not stamped).
    void noteOn(int device, int note = 60, int velocity = 100, int status = noteOnChannel1, int64_t arrivalNs = -1);

    int countDevices() override;
    bool deviceInfo(int id, PortMidiDeviceInfoMBS& info) override;
    int openInput(int id, int bufferSize, void** handle) override;
    int poll(void* handle) override;
    int read(void* handle, PortMidiEventMBS& event) override;
    void close(void* handle) override;
    void terminate() override { terminated = true; }
};

} // namespace platform
