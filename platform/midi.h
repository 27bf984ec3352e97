#pragma once
// MIDI input: our own thin wrapper over PortMidi, in the four classes the
// program calls. The operations go through a MidiBackend so tests can script
// devices and events.
#include <QString>
#include <cstdint>
#include <memory>

namespace platform {

// The status byte of a Note On on channel 1, the only message that is a hit.
constexpr int noteOnChannel1 = 144;
// The events an input stream holds until the program reads them.
constexpr int inputBufferEvents = 100;

class PortMidiEventMBS {
public:
    int Status() const { return status; }
    int Data1() const { return data1; }
    int Data2() const { return data2; }
    int status = 0, data1 = 0, data2 = 0;
    // When the event came in, on the program's clock (clockNanoseconds); -1
    // when the library did not say.
    int64_t arrivalNs = -1;
};

class PortMidiDeviceInfoMBS {
public:
    QString Name() const { return name; }
    bool HasInput() const { return hasInput; }
    QString name;
    bool hasInput = false;
    bool hasOutput = false;
};

// What the wrapper asks of the MIDI library. Handles are opaque; an error is
// a negative number.
class MidiBackend {
public:
    virtual ~MidiBackend() = default;
    virtual int countDevices() = 0;
    // false when the library has no information for that id
    virtual bool deviceInfo(int id, PortMidiDeviceInfoMBS& info) = 0;
    // 0 and a handle on success, a negative error code otherwise
    virtual int openInput(int id, int bufferSize, void** handle) = 0;
    // > 0 when an event is waiting, 0 when none, < 0 on error
    virtual int poll(void* handle) = 0;
    // 1 when an event was read, 0 when none, < 0 on error; the event's
    // arrival as the library stamped it.
    virtual int read(void* handle, PortMidiEventMBS& event) = 0;
    virtual void close(void* handle) = 0;
    // Ends the use of the library; afterwards every call fails or does nothing.
    virtual void terminate() = 0;
};

// The program's backend (PortMidi, initialised on first use), and the
// replacement tests install; nullptr restores PortMidi.
MidiBackend& midiBackend();
void setMidiBackend(MidiBackend* backend);

// Terminates the current backend. The program calls it on its way out, after
// closing its stream, so no PortMidi code runs once main has returned.
void terminateMidi();

class PortMidiMBS {
public:
    PortMidiMBS();
    // Input and output devices together, ids 0 to n - 1.
    static int CountDevices();
    // nullptr when the library gives no information for that id.
    static std::shared_ptr<PortMidiDeviceInfoMBS> DeviceInfo(int id);
};

// One input stream. Sound where plain PortMidi is not: Poll is 0 with no device
// open or on any library error, Close of a closed stream does nothing,
// OpenInput first closes a device already open, and the destructor closes.
class PortMidiStreamMBS {
public:
    PortMidiStreamMBS() = default;
    ~PortMidiStreamMBS();
    PortMidiStreamMBS(const PortMidiStreamMBS&) = delete;
    PortMidiStreamMBS& operator=(const PortMidiStreamMBS&) = delete;

    // 0 when the device opened, a negative number when it did not.
    int OpenInput(int deviceId, int bufferSize);
    // The id of the open device, -1 when none is open.
    int DeviceID() const;
    // The device the stream had open last (it may be closed now), -1 when it
    // never had one.
    int LastDeviceID() const;
    // Non-zero while an event is waiting.
    int Poll();
    // 1 when an event was read into `event`, else 0.
    int Read(PortMidiEventMBS& event);
    void Close();

private:
    void* handle_ = nullptr;
    int device_ = -1;
    int lastDevice_ = -1;
    MidiBackend* backend_ = nullptr; // the backend that opened handle_
};

} // namespace platform
