// A stand-in for libportmidi.so.0, chosen through LD_LIBRARY_PATH for runs of
// the built program: one input device and no events. Every call is appended
// to the file named by VELVANE_STANDIN_MIDI_LOG, and so is "exit" once the
// process has begun to exit (main returned), so a run shows which calls came
// after Pm_Terminate or after main.
#include <portmidi.h>
#include <porttime.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool exitRegistered = false;

void log(const char* line)
{
    const char* path = std::getenv("VELVANE_STANDIN_MIDI_LOG");
    if (!path)
        return;
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    [[maybe_unused]] ssize_t a = ::write(fd, line, std::strlen(line));
    [[maybe_unused]] ssize_t b = ::write(fd, "\n", 1);
    ::close(fd);
}

void onExit()
{
    log("exit");
}

int stream = 0; // the one stream's handle is its address
bool ptStarted = false;

const PmDeviceInfo device = {1, "ALSA", "Stand-in keys", 1, 0, 0};

} // namespace

extern "C" {

PmError Pm_Initialize(void)
{
    // Registered during main: it runs before the destructors of objects
    // that were built before main.
    if (!exitRegistered) {
        exitRegistered = true;
        std::atexit(onExit);
    }
    log("Pm_Initialize");
    return pmNoError;
}

PmError Pm_Terminate(void)
{
    log("Pm_Terminate");
    return pmNoError;
}

int Pm_CountDevices(void)
{
    log("Pm_CountDevices");
    return 1;
}

const PmDeviceInfo* Pm_GetDeviceInfo(PmDeviceID id)
{
    log("Pm_GetDeviceInfo");
    return id == 0 ? &device : nullptr;
}

PmError Pm_OpenInput(PortMidiStream** s, PmDeviceID id, void*, int32_t, PmTimeProcPtr, void*)
{
    log("Pm_OpenInput");
    if (id != 0)
        return pmInvalidDeviceId;
    *s = &stream;
    return pmNoError;
}

PmError Pm_Poll(PortMidiStream*)
{
    log("Pm_Poll");
    return pmNoData;
}

int Pm_Read(PortMidiStream*, PmEvent*, int32_t)
{
    log("Pm_Read");
    return 0;
}

PmError Pm_Close(PortMidiStream*)
{
    log("Pm_Close");
    return pmNoError;
}

PtError Pt_Start(int, PtCallback*, void*)
{
    log("Pt_Start");
    ptStarted = true;
    return ptNoError;
}

int Pt_Started(void)
{
    return ptStarted;
}

PtError Pt_Stop(void)
{
    log("Pt_Stop");
    ptStarted = false;
    return ptNoError;
}

} // extern "C"
