// Records a sink's monitor through parec (PipeWire's own pw-record when
// BENCH_SERVER is pipewire: pipewire-pulse loses monitor samples under load)
// and notes, for every read of its output, the monotonic time (ns) and the
// bytes received so far, so that the recording's sample clock can be laid on
// the monotonic clock.
//   sound_latency_recorder OUT.raw SECONDS [SOURCE]
// Writes OUT.raw (s16le mono 44100 Hz) and OUT.raw.meta; prints "ready" once
// the first bytes have arrived.
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

int64_t monotonicNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT.raw SECONDS [SOURCE]\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    int seconds = 0;
    const std::string_view secondsText(argv[2]);
    std::from_chars(secondsText.data(), secondsText.data() + secondsText.size(), seconds);
    const std::string source = argc > 3 ? argv[3] : "ci_null.monitor";
    constexpr int rate = 44100;

    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        return 1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    const std::string rateArg = "--rate=" + std::to_string(rate);
    const char* server = std::getenv("BENCH_SERVER");
    std::vector<std::string> args;
    if (server && std::string_view(server) == "pipewire") {
        // The sink's own name; capture.sink records what it plays.
        const std::string_view monitorSuffix = ".monitor";
        std::string sink = source;
        if (sink.ends_with(monitorSuffix))
            sink.resize(sink.size() - monitorSuffix.size());
        args = {"pw-record", "--target", sink, "-P", "{ stream.capture.sink = true }", "--latency=5ms",
                "--format=s16", rateArg, "--channels=1", "-"};
    } else {
        args = {"parec", "--device=" + source, "--latency-msec=5", "--format=s16le", rateArg, "--channels=1",
                "--raw"};
    }
    std::vector<char*> argvChild;
    for (auto& a : args)
        argvChild.push_back(a.data());
    argvChild.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argvChild[0], &actions, nullptr, argvChild.data(), environ) != 0) {
        std::perror(argvChild[0]);
        return 1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);

    FILE* audio = std::fopen(out.c_str(), "wb");
    FILE* meta = std::fopen((out + ".meta").c_str(), "w");
    if (!audio || !meta) {
        std::perror(out.c_str());
        kill(child, SIGTERM);
        return 1;
    }
    std::fprintf(meta, "rate %d\n", rate);

    std::vector<char> buffer(1 << 16);
    long long total = 0;
    int64_t first = 0;
    for (;;) {
        const ssize_t n = read(fds[0], buffer.data(), buffer.size());
        const int64_t now = monotonicNs();
        if (n <= 0)
            break;
        std::fwrite(buffer.data(), 1, size_t(n), audio);
        total += n;
        std::fprintf(meta, "read %lld %lld\n", static_cast<long long>(now), total);
        // Readable while it records, by a benchmark that plays along.
        std::fflush(audio);
        std::fflush(meta);
        if (first == 0) {
            first = now;
            std::printf("ready\n");
            std::fflush(stdout);
        }
        if (now - first > int64_t(seconds) * 1'000'000'000)
            break;
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    close(fds[0]);
    std::fclose(audio);
    std::fclose(meta);
    std::fprintf(stderr, "recorded %lld bytes\n", total);
    return total > 0 ? 0 : 1;
}
