// A stand-in for the PortMidi library, built as libportmidi.so.0 and chosen
// with LD_LIBRARY_PATH, so runs of the real program can play MIDI input on a
// machine without MIDI ports. It offers the calls the program makes.
//
// The file named by VELVANE_MIDI_SCRIPT describes the run, one item a line
// (times in seconds after the first Pm_Poll on a newly opened stream, that is
// the first pass of the program's test clock; '#' starts a comment):
//
//   device NAME [output] [fails]   a device: input unless "output"; "fails":
//                                  opening it answers pmHostError
//   note TIME [STATUS [DATA1 [DATA2]]]
//                                  an event due at TIME (default 144 60 100)
//   pollerror FROM UNTIL [CODE]    Pm_Poll and Pm_Read answer CODE (default
//                                  pmHostError) from FROM until UNTIL
//   live PATH                      notes appended to PATH while the program
//                                  runs, "note TIME [STATUS [DATA1 [DATA2]]]"
//                                  with TIME in seconds on CLOCK_MONOTONIC,
//                                  read at each Pm_Poll (a benchmark that
//                                  plays along with what it hears)
//   take                           the notes after it are timed from the next
//                                  origin: the first Pm_Poll after the stream
//                                  was opened again (a later test)
//   leak BYTES                     the script's reading loses a block of
//                                  that size, for runs under LeakSanitizer
//                                  that check a leak in here is reported
//
// Due events wait on whichever input stream is open. Each event read is
// stamped with its due time, as a device's event is with its arrival: on the
// stream's time procedure (Pm_OpenInput's time_proc) when it has one, else on
// PortTime. When VELVANE_MIDI_LOG
// names a file, every call that matters is appended to it, one a line, with
// the time since the origin (or "-" before it); so are "terminate" and, once
// the process has begun to exit (main returned), "exit", so a run shows which
// calls came after Pm_Terminate or after main.
#include <portmidi.h>
#include <porttime.h>

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Device {
    std::string name;
    bool input = true;
    bool fails = false;
    bool open = false;
    PmDeviceInfo info{};
};

struct Event {
    int take = 0;
    double at = 0;
    PmMessage message = 0;
};

struct PollError {
    double from = 0, until = 0;
    int code = pmHostError;
};

struct Stream {
    int device = -1;
    PmTimeProcPtr timeProc = nullptr;
    void* timeInfo = nullptr;
};

struct Script {
    std::vector<Device> devices;
    std::deque<Event> events; // in the order of their times
    std::vector<PollError> pollErrors;
    bool loaded = false;
    bool started = false;
    bool reopened = false; // a stream was opened since the origin was set
    int take = 0;          // the take the origin belongs to
    int takesRead = 0;     // "take" lines read so far
    Clock::time_point origin;
    bool ptStarted = false;
    Clock::time_point ptOrigin;
    std::string livePath;
    std::streamoff liveRead = 0; // bytes of livePath taken so far
};

// Where a "leak" line's block is made and then dropped; volatile, so the
// compiler keeps both.
void* volatile lostBlock = nullptr;

Script& script()
{
    static Script s;
    return s;
}

void log(const char* format, ...) __attribute__((format(printf, 1, 2)));

void log(const char* format, ...)
{
    const char* path = std::getenv("VELVANE_MIDI_LOG");
    if (!path || !*path)
        return;
    FILE* f = std::fopen(path, "a");
    if (!f)
        return;
    Script& s = script();
    if (s.started)
        std::fprintf(f, "%.3f ", std::chrono::duration<double>(Clock::now() - s.origin).count());
    else
        std::fprintf(f, "- ");
    va_list args;
    va_start(args, format);
    std::vfprintf(f, format, args);
    va_end(args);
    std::fputc('\n', f);
    std::fclose(f);
}

// Into the queue in the order of the events' times, within their take.
void addEvent(const Event& e)
{
    Script& s = script();
    auto at = s.events.begin();
    while (at != s.events.end() && (at->take < e.take || (at->take == e.take && at->at <= e.at)))
        ++at;
    s.events.insert(at, e);
}

// A note line's time and message after its kind word.
Event noteFrom(std::istringstream& words, int take)
{
    Event e;
    e.take = take;
    int status = 144, data1 = 60, data2 = 100;
    words >> e.at >> status >> data1 >> data2;
    e.message = Pm_Message(status, data1, data2);
    return e;
}

// The live file's whole lines added since the last reading, as notes of the
// current take timed from its origin.
void readLive()
{
    Script& s = script();
    if (s.livePath.empty())
        return;
    std::ifstream in(s.livePath);
    if (!in)
        return;
    in.seekg(s.liveRead);
    const double originS = std::chrono::duration<double>(s.origin.time_since_epoch()).count();
    std::string line;
    while (std::getline(in, line) && !in.eof()) {
        s.liveRead += std::streamoff(line.size() + 1);
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind) || kind != "note")
            continue;
        Event e = noteFrom(words, s.take);
        e.at -= originS;
        addEvent(e);
    }
}

void load()
{
    Script& s = script();
    if (s.loaded)
        return;
    s.loaded = true;
    const char* path = std::getenv("VELVANE_MIDI_SCRIPT");
    if (!path || !*path)
        return;
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "portmidi stand-in: cannot read %s\n", path);
        return;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind))
            continue;
        if (kind == "device") {
            Device d;
            words >> d.name;
            for (std::string flag; words >> flag;) {
                if (flag == "output")
                    d.input = false;
                else if (flag == "fails")
                    d.fails = true;
            }
            s.devices.push_back(d);
        } else if (kind == "note") {
            addEvent(noteFrom(words, s.takesRead));
        } else if (kind == "live") {
            words >> s.livePath;
        } else if (kind == "take") {
            ++s.takesRead;
        } else if (kind == "leak") {
            size_t bytes = 0;
            words >> bytes;
            lostBlock = std::malloc(bytes);
            lostBlock = nullptr;
        } else if (kind == "pollerror") {
            PollError p;
            words >> p.from >> p.until >> p.code;
            s.pollErrors.push_back(p);
        } else {
            std::fprintf(stderr, "portmidi stand-in: unknown line: %s\n", line.c_str());
        }
    }
    for (Device& d : s.devices) {
        d.info.structVersion = 1;
        d.info.interf = "stand-in";
        d.info.name = d.name.c_str();
        d.info.input = d.input ? 1 : 0;
        d.info.output = d.input ? 0 : 1;
    }
}

double now()
{
    const Script& s = script();
    return std::chrono::duration<double>(Clock::now() - s.origin).count();
}

// The fault in force now, 0 when none.
int pollFault()
{
    const Script& s = script();
    if (!s.started)
        return 0;
    const double t = now();
    for (const PollError& p : s.pollErrors)
        if (p.from <= t && t < p.until)
            return p.code;
    return 0;
}

bool isOpenStream(PortMidiStream* stream)
{
    if (!stream)
        return false;
    const auto* st = static_cast<Stream*>(stream);
    const Script& s = script();
    return st->device >= 0 && st->device < int(s.devices.size()) && s.devices[size_t(st->device)].open;
}

bool eventDue()
{
    const Script& s = script();
    // Notes of an earlier take that were never read are dropped with it.
    return s.started && !s.events.empty() && s.events.front().take == s.take && s.events.front().at <= now();
}

} // namespace

extern "C" {

PmError Pm_Initialize(void)
{
    load();
    // Registered during main: it runs before the destructors of objects that
    // were built before main.
    static const bool exitLogged = [] {
        std::atexit([] { log("exit"); });
        return true;
    }();
    (void)exitLogged;
    log("initialize");
    return pmNoError;
}

PmError Pm_Terminate(void)
{
    log("terminate");
    return pmNoError;
}

int Pm_CountDevices(void)
{
    load();
    return int(script().devices.size());
}

const PmDeviceInfo* Pm_GetDeviceInfo(PmDeviceID id)
{
    load();
    Script& s = script();
    if (id < 0 || id >= int(s.devices.size()))
        return nullptr;
    Device& d = s.devices[size_t(id)];
    d.info.opened = d.open ? 1 : 0;
    return &d.info;
}

const char* Pm_GetErrorText(PmError errnum)
{
    return errnum == pmNoError ? "" : "PortMidi stand-in error";
}

PmError Pm_OpenInput(PortMidiStream** stream, PmDeviceID inputDevice, void*, int32_t, PmTimeProcPtr timeProc,
                     void* timeInfo)
{
    load();
    Script& s = script();
    if (stream)
        *stream = nullptr;
    PmError result = pmNoError;
    if (!stream)
        result = pmBadPtr;
    else if (inputDevice < 0 || inputDevice >= int(s.devices.size()) || !s.devices[size_t(inputDevice)].input
             || s.devices[size_t(inputDevice)].open)
        result = pmInvalidDeviceId;
    else if (s.devices[size_t(inputDevice)].fails)
        result = pmHostError;
    if (result == pmNoError) {
        s.devices[size_t(inputDevice)].open = true;
        s.reopened = true;
        *stream = new Stream{inputDevice, timeProc, timeInfo};
    }
    log("open %d %d", inputDevice, int(result));
    return result;
}

PmError Pm_Close(PortMidiStream* stream)
{
    if (!isOpenStream(stream)) {
        log("close bad");
        return pmBadPtr;
    }
    auto* st = static_cast<Stream*>(stream);
    script().devices[size_t(st->device)].open = false;
    log("close %d", st->device);
    delete st;
    return pmNoError;
}

PmError Pm_Poll(PortMidiStream* stream)
{
    if (!isOpenStream(stream))
        return pmBadPtr;
    Script& s = script();
    if (!s.started || s.reopened) {
        if (s.started)
            ++s.take;
        while (!s.events.empty() && s.events.front().take < s.take)
            s.events.pop_front();
        s.started = true;
        s.reopened = false;
        s.origin = Clock::now();
        log("origin %d", s.take);
    }
    readLive();
    if (const int fault = pollFault()) {
        log("poll %d", fault);
        return PmError(fault);
    }
    return eventDue() ? pmGotData : pmNoData;
}

int Pm_Read(PortMidiStream* stream, PmEvent* buffer, int32_t length)
{
    if (!isOpenStream(stream) || !buffer)
        return pmBadPtr;
    if (const int fault = pollFault())
        return fault;
    int count = 0;
    Script& s = script();
    const auto* st = static_cast<Stream*>(stream);
    const PmTimestamp stampNow = st->timeProc ? st->timeProc(st->timeInfo) : Pt_Time();
    while (count < length && eventDue()) {
        const Event e = s.events.front();
        s.events.pop_front();
        buffer[count].message = e.message;
        // Now on the stream's clock, less how long the event has been due.
        buffer[count].timestamp = stampNow - PmTimestamp(std::lround((now() - e.at) * 1000));
        log("read %d %d %d due %.3f", Pm_MessageStatus(e.message), Pm_MessageData1(e.message),
            Pm_MessageData2(e.message), e.at);
        ++count;
    }
    return count;
}

PtError Pt_Start(int, PtCallback*, void*)
{
    Script& s = script();
    if (s.ptStarted)
        return ptAlreadyStarted;
    s.ptStarted = true;
    s.ptOrigin = Clock::now();
    return ptNoError;
}

PtError Pt_Stop(void)
{
    Script& s = script();
    if (!s.ptStarted)
        return ptAlreadyStopped;
    s.ptStarted = false;
    return ptNoError;
}

int Pt_Started(void)
{
    return script().ptStarted ? 1 : 0;
}

PtTimestamp Pt_Time(void)
{
    const Script& s = script();
    if (!s.ptStarted)
        return 0;
    return PtTimestamp(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - s.ptOrigin).count());
}

} // extern "C"
