#include "platform/midi.h"

#include "platform/ticks.h"

#include <alsa/asoundlib.h>
#include <portmidi.h>

#include <atomic>
#include <cstdint>

namespace platform {

namespace {

constexpr int64_t msNs = 1'000'000;

// PortMidi stamps each input event with this clock, in whole milliseconds
// (its ALSA backend: when the event reached the sequencer), so a note is
// timed at its arrival rather than at the test clock's pass that reads it.
// Counted from the first use, so the 32-bit milliseconds never wrap in use.
std::atomic<int64_t> stampOrigin{-1};

int64_t stampOriginNs()
{
    int64_t origin = stampOrigin.load();
    if (origin < 0) {
        const int64_t now = clockNanoseconds();
        origin = stampOrigin.compare_exchange_strong(origin, now) ? now : origin;
    }
    return origin;
}

PmTimestamp programClockMs(void*)
{
    return PmTimestamp((clockNanoseconds() - stampOriginNs()) / msNs);
}

// The middle of the stamp's millisecond, on the program's clock.
int64_t arrivalNs(PmTimestamp stamp)
{
    return stampOriginNs() + int64_t(stamp) * msNs + msNs / 2;
}

// PortMidi itself, initialised on first use so a run without MIDI never
// touches the sound system's MIDI layer.
class PortMidiBackend : public MidiBackend {
public:
    int countDevices() override { return initialise() ? Pm_CountDevices() : 0; }

    bool deviceInfo(int id, PortMidiDeviceInfoMBS& info) override
    {
        if (!initialise())
            return false;
        const PmDeviceInfo* found = Pm_GetDeviceInfo(id);
        if (!found)
            return false;
        info.name = QString::fromUtf8(found->name ? found->name : "");
        info.hasInput = found->input != 0;
        info.hasOutput = found->output != 0;
        return true;
    }

    int openInput(int id, int bufferSize, void** handle) override
    {
        *handle = nullptr;
        if (!initialise())
            return initError_;
        stampOriginNs();
        PortMidiStream* stream = nullptr;
        const PmError error = Pm_OpenInput(&stream, id, nullptr, bufferSize, &programClockMs, nullptr);
        if (error < 0)
            return error;
        if (!stream)
            return pmInternalError;
        *handle = stream;
        return 0;
    }

    int poll(void* handle) override { return terminated_ ? pmBadPtr : Pm_Poll(handle); }

    int read(void* handle, PortMidiEventMBS& event) override
    {
        if (terminated_)
            return pmBadPtr;
        PmEvent received{};
        const int count = Pm_Read(handle, &received, 1);
        if (count <= 0)
            return count;
        event.status = Pm_MessageStatus(received.message);
        event.data1 = Pm_MessageData1(received.message);
        event.data2 = Pm_MessageData2(received.message);
        event.arrivalNs = arrivalNs(received.timestamp);
        return 1;
    }

    void close(void* handle) override
    {
        if (!terminated_)
            Pm_Close(handle);
    }

    void terminate() override
    {
        if (terminated_)
            return;
        terminated_ = true;
        if (initialised_ && initError_ == pmNoError)
            Pm_Terminate();
    }

private:
    static void silentAlsaError(const char*, int, const char*, int, const char*, ...) {}

    bool initialise()
    {
        if (terminated_)
            return false;
        if (!initialised_) {
            initialised_ = true;
            // ALSA's own error lines (a machine without a sequencer gets one
            // at every start) stay off the terminal; what matters to the user
            // is said by this program in its own words.
            snd_lib_error_set_handler(silentAlsaError);
            initError_ = Pm_Initialize();
        }
        return initError_ == pmNoError;
    }

    bool initialised_ = false;
    bool terminated_ = false;
    PmError initError_ = pmNoError;
};

MidiBackend* installedBackend = nullptr;

} // namespace

MidiBackend& midiBackend()
{
    // Never destroyed: a stream released by a static destructor still finds
    // its backend (terminated by then, so it calls nothing of PortMidi).
    static PortMidiBackend& portMidi = *new PortMidiBackend;
    return installedBackend ? *installedBackend : portMidi;
}

void setMidiBackend(MidiBackend* backend)
{
    installedBackend = backend;
}

void terminateMidi()
{
    midiBackend().terminate();
}

// ---------------------------------------------------------------------------

PortMidiMBS::PortMidiMBS() = default;

int PortMidiMBS::CountDevices()
{
    const int count = midiBackend().countDevices();
    return count > 0 ? count : 0;
}

std::shared_ptr<PortMidiDeviceInfoMBS> PortMidiMBS::DeviceInfo(int id)
{
    auto info = std::make_shared<PortMidiDeviceInfoMBS>();
    if (!midiBackend().deviceInfo(id, *info))
        return nullptr;
    return info;
}

PortMidiStreamMBS::~PortMidiStreamMBS()
{
    Close();
}

int PortMidiStreamMBS::OpenInput(int deviceId, int bufferSize)
{
    // Reopening frees the device held so far, so it can be opened again, by
    // this stream or another.
    Close();
    MidiBackend& backend = midiBackend();
    void* handle = nullptr;
    const int result = backend.openInput(deviceId, bufferSize, &handle);
    if (result != 0 || !handle)
        return result < 0 ? result : pmInternalError;
    handle_ = handle;
    device_ = deviceId;
    lastDevice_ = deviceId;
    backend_ = &backend;
    return 0;
}

int PortMidiStreamMBS::DeviceID() const
{
    return device_;
}

int PortMidiStreamMBS::LastDeviceID() const
{
    return lastDevice_;
}

// Library errors read as "nothing waiting", so a caller's loop over Poll ends
// on a closed or broken stream.
int PortMidiStreamMBS::Poll()
{
    if (!handle_)
        return 0;
    const int result = backend_->poll(handle_);
    return result > 0 ? result : 0;
}

int PortMidiStreamMBS::Read(PortMidiEventMBS& event)
{
    if (!handle_)
        return 0;
    return backend_->read(handle_, event) == 1 ? 1 : 0;
}

void PortMidiStreamMBS::Close()
{
    if (!handle_)
        return;
    void* handle = handle_;
    MidiBackend* backend = backend_;
    handle_ = nullptr;
    device_ = -1;
    backend_ = nullptr;
    backend->close(handle);
}

} // namespace platform
