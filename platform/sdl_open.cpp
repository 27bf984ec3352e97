#include "platform/sdl_open.h"
#include "platform/detached_call.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <set>
#include <string_view>
#include <vector>

namespace platform::sdlaudio {

namespace {

// ALSA's library prints its own diagnostics, a dozen lines when the machine
// has no sound card, while SDL tries its drivers. They are silenced for the
// open, so a machine without sound gets the one line of the mixer instead.
class QuietAlsa {
public:
    QuietAlsa()
    {
        // The library SDL loads for its ALSA driver, if this machine has it.
        static void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (library)
            setHandler_ = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler"));
        if (setHandler_)
            setHandler_(&silent);
    }
    ~QuietAlsa()
    {
        if (setHandler_)
            setHandler_(nullptr); // ALSA's default handler again
    }
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;

private:
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    static void silent(const char*, int, const char*, int, const char*, ...) {}

    SetHandler setHandler_ = nullptr;
};

constexpr std::string_view kPipeWire = "pipewire";
// SDL's drivers that it uses only when asked by name: a file and silence.
// They talk to no server and cannot hang.
constexpr std::string_view kOnDemandOnly[] = {"disk", "dummy"};

void openDevice(Output& out, const Wanted& wanted)
{
    SDL_AudioSpec spec = wanted(out.driver);
    out.device = SDL_OpenAudioDevice(nullptr, 0, &spec, &out.obtained,
                                     SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (out.device == 0)
        out.error = SDL_GetError();
}

// Starts SDL's audio on `driver` (SDL's own choice when empty) and opens the
// output.
Output startOn(const std::string& driver, bool needOutputs, const Wanted& wanted)
{
    if (!driver.empty())
        SDL_SetHint(SDL_HINT_AUDIODRIVER, driver.c_str());
    const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!driver.empty())
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    Output out;
    if (!started) {
        out.error = SDL_GetError();
        return out;
    }
    out.started = true;
    const char* current = SDL_GetCurrentAudioDriver();
    out.driver = current ? current : driver;
    if (needOutputs && SDL_GetNumAudioDevices(0) <= 0)
        out.error = "no audio output";
    else
        openDevice(out, wanted);
    if (out.device == 0)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return out;
}

// SDL keeps per-thread data (its error text) for every thread that calls it,
// which only the thread itself can free.
std::function<Output()> onOwnThread(std::function<Output()> work)
{
    return [work = std::move(work)] {
        Output out = work();
        SDL_TLSCleanup();
        return out;
    };
}

// An open or close in this process that did not answer. It cannot be
// cancelled, and SDL's audio must not be quit under it: should it return some
// day (its server gone or mended) it goes on inside the driver. Until then no
// SDL audio call is made; once it has returned, SDL's audio is whole again.
std::optional<DetachedCall<Output>>& stuckCall()
{
    static std::optional<DetachedCall<Output>> call;
    return call;
}

bool stuck()
{
    std::optional<DetachedCall<Output>>& call = stuckCall();
    if (!call)
        return false;
    std::optional<Output> out = call->poll();
    if (!out)
        return true;
    call.reset();
    closeOutput(out->device); // an open that returned late
    return stuckCall().has_value();
}

void sayHung(const std::string& name, Hung& hung)
{
    hung.insert(name);
    std::fprintf(stderr, "Velvane: the sound driver %s did not answer within %lld s; trying the next\n",
                 name.c_str(), static_cast<long long>(kAnswerTime.count() / 1000));
}

// An open in this process, waited for at most kAnswerTime. One that does not
// answer is kept as the stuck call.
Output openHere(std::function<Output()> work, const std::string& name, Hung& hung, const GiveUp& giveUp)
{
    DetachedCall<Output> call(onOwnThread(std::move(work)));
    if (std::optional<Output> out = call.wait(kAnswerTime, giveUp))
        return *out;
    Output out;
    out.driver = name;
    out.gaveUp = giveUp && giveUp();
    if (!out.gaveUp) {
        sayHung(name, hung);
        out.error = "the sound driver " + name + " did not answer";
    }
    stuckCall().emplace(std::move(call));
    return out;
}

struct Candidate {
    std::string driver; // empty: SDL's own choice, from SDL_AUDIODRIVER
    bool needOutputs;
    std::string name; // as the user knows it
};

// SDL's drivers that talk to no server (a file, silence) cannot hang; a
// probe of the file driver would even write to the file.
bool needsProbe(const Candidate& c)
{
    for (std::string_view d : kOnDemandOnly)
        if (c.name == d)
            return false;
    return true;
}

// What a driver does when tried, found in a child process, which is killed
// when the driver does not answer in time: a stuck open there leaves this
// process's SDL untouched, so the next driver can be tried here. The child is
// this program run afresh (a fork would share the sound libraries' state,
// which PulseAudio's refuses), told by kProbeVariable what to try.
constexpr const char* kProbeVariable = "VELVANE_SOUND_PROBE";
// A fresh program takes a while to start on a loaded machine; only the
// driver's own answer is bounded by kAnswerTime.
constexpr std::chrono::seconds kProbeStartTime{60};

struct Probe {
    bool answered = false;
    Output out; // started, error; device is never set
};

// Reads what is there on `fd` until `deadline`; false when it came too late
// or the caller gave up.
bool readUntil(int fd, std::string& text, std::chrono::steady_clock::time_point deadline,
               const GiveUp& giveUp, size_t least)
{
    while (text.size() < least) {
        if (std::chrono::steady_clock::now() >= deadline || (giveUp && giveUp()))
            return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, int(DetachedCall<Output>::kPoll.count())) <= 0)
            continue;
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return true; // the child is gone: what came is all
        text.append(buffer, size_t(n));
    }
    return true;
}

Probe probe(const Candidate& c, const GiveUp& giveUp)
{
    Probe result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.answered = true;
        result.out.error = std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    // The sound libraries' own complaints there (sndio's, ALSA's) are not
    // the user's: the mixer says what came of the attempt.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.push_back(std::string(kProbeVariable) + "=" + (c.needOutputs ? "1" : "0") + c.driver);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char self[] = "/proc/self/exe";
    char* argv[] = {self, nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        result.answered = true;
        result.out.error = std::strerror(spawned);
        return result;
    }
    // "r" once the child runs, then its report: started, opened, error.
    std::string report;
    const bool running =
        readUntil(fds[0], report, std::chrono::steady_clock::now() + kProbeStartTime, giveUp, 1);
    const bool ended = running
        && readUntil(fds[0], report, std::chrono::steady_clock::now() + kAnswerTime, giveUp, SIZE_MAX);
    ::close(fds[0]);
    if (!ended)
        ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    result.out.gaveUp = giveUp && giveUp();
    result.answered = ended && report.size() >= 3;
    if (result.answered) {
        result.out.started = report[1] == 's';
        if (report[2] != 'o')
            result.out.error = report.substr(3);
    }
    return result;
}

std::vector<Candidate> candidates(const Hung& hung)
{
    const char* chosen = std::getenv("SDL_AUDIODRIVER");
    if (chosen && *chosen)
        return {{std::string(), false, chosen}};
    std::vector<Candidate> list{{std::string(kPipeWire), true, std::string(kPipeWire)}};
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
        const Candidate c{SDL_GetAudioDriver(i), false, SDL_GetAudioDriver(i)};
        if (c.name != kPipeWire && needsProbe(c))
            list.push_back(c);
    }
    std::erase_if(list, [&hung](const Candidate& c) { return hung.count(c.name) > 0; });
    return list;
}

Output stillStuck()
{
    Output out;
    out.error = "a sound driver still does not answer";
    return out;
}


Output chooseAndOpenOnThisThread(const Wanted& wanted, Hung& hung, const GiveUp& giveUp)
{
    QuietAlsa quiet;
    if (stuck())
        return stillStuck();
    quitAudio();
    if (stuck())
        return stillStuck();
    Output last;
    last.error = "no sound driver left to try";
    for (const Candidate& c : candidates(hung)) {
        if (!needsProbe(c))
            return openHere([c, wanted] { return startOn(c.driver, c.needOutputs, wanted); }, c.name, hung, giveUp);
        const Probe tried = probe(c, giveUp);
        if (tried.out.gaveUp) {
            Output out;
            out.gaveUp = true;
            return out;
        }
        if (!tried.answered) {
            sayHung(c.name, hung);
            continue;
        }
        if (tried.out.error.empty()) // it opened there: open it here
            return openHere([c, wanted] { return startOn(c.driver, c.needOutputs, wanted); }, c.name, hung, giveUp);
        last = tried.out;
        // As in SDL's own choice, the first driver that starts is the one
        // (past PipeWire without outputs), unless it did not answer.
        if (tried.out.started && !c.needOutputs)
            break;
    }
    return last;
}

} // namespace

Output chooseAndOpen(const Wanted& wanted, Hung& hung, const GiveUp& giveUp)
{
    return onOwnThread([&] { return chooseAndOpenOnThisThread(wanted, hung, giveUp); })();
}

Output reopen(const Wanted& wanted, const std::string& driver, Hung& hung, const GiveUp& giveUp)
{
    QuietAlsa quiet;
    if (stuck())
        return stillStuck();
    return openHere(
        [wanted, driver] {
            Output out;
            out.driver = driver;
            out.started = true;
            openDevice(out, wanted);
            return out;
        },
        driver, hung, giveUp);
}

} // namespace platform::sdlaudio

namespace platform {

void answerSoundProbe()
{
    using namespace sdlaudio;
    const char* asked = std::getenv(kProbeVariable);
    if (!asked || !*asked)
        return;
    auto say = [](const std::string& text) { [[maybe_unused]] const ssize_t n = ::write(STDOUT_FILENO, text.data(), text.size()); };
    say("r");
    QuietAlsa quiet;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    const Output out = startOn(asked + 1, asked[0] == '1', [](const std::string&) {
        SDL_AudioSpec spec{};
        spec.freq = 44100;
        spec.format = AUDIO_S16SYS;
        spec.channels = 1;
        spec.samples = 256;
        spec.callback = [](void*, Uint8* stream, int len) { std::memset(stream, 0, size_t(len)); };
        return spec;
    });
    say(std::string(out.started ? "s" : "-") + (out.device != 0 ? "o" : "-") + out.error);
    ::_exit(0); // no clean-up: the server sees the client go
}

} // namespace platform

namespace platform::sdlaudio {

namespace {

// Runs `work` (an SDL call that may wait on a sound server) for at most
// kAnswerTime; one that has not returned by then is left as the stuck call.
void boundedCall(std::function<void()> work)
{
    DetachedCall<Output> call(onOwnThread([work = std::move(work)] {
        work();
        return Output{};
    }));
    if (!call.wait(kAnswerTime))
        stuckCall().emplace(std::move(call));
}

} // namespace

void closeOutput(SDL_AudioDeviceID device)
{
    if (device != 0)
        boundedCall([device] { SDL_CloseAudioDevice(device); });
}

void quitAudio()
{
    if (!stuck() && SDL_WasInit(SDL_INIT_AUDIO))
        boundedCall([] { SDL_QuitSubSystem(SDL_INIT_AUDIO); });
}

} // namespace platform::sdlaudio
