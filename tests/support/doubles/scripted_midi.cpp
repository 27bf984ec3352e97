#include "support/doubles/scripted_midi.h"

#include <portmidi.h>

#include <cstdint>

namespace platform {

namespace {

// A scripted handle is the device index plus one, so it stays valid when the
// test adds devices and never reads as null.
void* handleFor(int id)
{
    return reinterpret_cast<void*>(static_cast<intptr_t>(id) + 1);
}

int idOf(void* handle)
{
    return int(reinterpret_cast<intptr_t>(handle) - 1);
}

} // namespace

void ScriptedMidiBackend::noteOn(int device, int note, int velocity, int status, int64_t arrivalNs)
{
    PortMidiEventMBS event;
    event.status = status;
    event.data1 = note;
    event.data2 = velocity;
    event.arrivalNs = arrivalNs;
    devices.at(size_t(device)).waiting.push_back(event);
}

int ScriptedMidiBackend::countDevices()
{
    callsAfterTerminate += terminated;
    return int(devices.size());
}

bool ScriptedMidiBackend::deviceInfo(int id, PortMidiDeviceInfoMBS& info)
{
    callsAfterTerminate += terminated;
    if (id < 0 || id >= int(devices.size()) || !devices[size_t(id)].hasInfo)
        return false;
    const Device& d = devices[size_t(id)];
    info.name = d.name;
    info.hasInput = d.hasInput;
    info.hasOutput = !d.hasInput;
    return true;
}

int ScriptedMidiBackend::openInput(int id, int /*bufferSize*/, void** handle)
{
    callsAfterTerminate += terminated;
    *handle = nullptr;
    // PortMidi answers pmInvalidDeviceId for an unknown id, an output-only
    // device and a device that is already open.
    if (id < 0 || id >= int(devices.size()))
        return pmInvalidDeviceId;
    Device& d = devices[size_t(id)];
    if (!d.hasInput || d.open)
        return pmInvalidDeviceId;
    if (!d.opens)
        return pmHostError;
    d.open = true;
    ++d.opened;
    *handle = handleFor(id);
    return 0;
}

int ScriptedMidiBackend::poll(void* handle)
{
    callsAfterTerminate += terminated;
    if (pollError != 0)
        return pollError;
    const int id = idOf(handle);
    if (id < 0 || id >= int(devices.size()) || !devices[size_t(id)].open)
        return pmBadPtr;
    return devices[size_t(id)].waiting.empty() ? 0 : 1;
}

int ScriptedMidiBackend::read(void* handle, PortMidiEventMBS& event)
{
    callsAfterTerminate += terminated;
    if (pollError != 0)
        return pollError;
    const int id = idOf(handle);
    if (id < 0 || id >= int(devices.size()) || !devices[size_t(id)].open)
        return pmBadPtr;
    Device& d = devices[size_t(id)];
    if (d.waiting.empty())
        return 0;
    event = d.waiting.front();
    d.waiting.pop_front();
    return 1;
}

void ScriptedMidiBackend::close(void* handle)
{
    callsAfterTerminate += terminated;
    const int id = idOf(handle);
    if (id < 0 || id >= int(devices.size()))
        return;
    // Every call is counted, so a test sees a wrapper that closes twice.
    Device& d = devices[size_t(id)];
    d.open = false;
    ++d.closed;
}

} // namespace platform
