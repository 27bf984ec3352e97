"""A recording of the null sink's monitor made by sound_latency_recorder, with
its reads laid on CLOCK_MONOTONIC, and the click onsets in it."""
import array
import sys

THRESHOLD = 3000        # of 32767; the clicks peak far above it
QUIET_NS = 100_000_000  # onsets are at least this far apart
AFTER_WINDOW_NS = 100_000_000


class Recording:
    def __init__(self, raw_path):
        self.rate = 44100
        self.reads = []  # (monotonic ns, samples received so far)
        with open(raw_path + ".meta") as f:
            for line in f:
                parts = line.split()
                if parts[0] == "rate":
                    self.rate = int(parts[1])
                elif parts[0] == "read":
                    self.reads.append((int(parts[1]), int(parts[2]) // 2))
        self.samples = array.array("h")
        with open(raw_path, "rb") as f:
            self.samples.frombytes(f.read())
        if sys.byteorder != "little":
            self.samples.byteswap()
        # A read that returned at t holding n samples in all means sample
        # n - 1 reached the monitor no later than t, so sample 0 did no later
        # than t - n / rate. The least of these bounds near a moment is the
        # estimate there. It is taken close to each moment (the reads just
        # after it), because the null sink's sample clock drifts from the
        # monotonic clock (about 0.8 ms a second here) and its delivery delay
        # changes when a stream comes or goes.
        self.bounds = [(t, t - n * 1_000_000_000 // self.rate) for t, n in self.reads]

    def onsets(self):
        """Sample indexes where a click starts."""
        found = []
        last = -10 ** 18
        quiet = QUIET_NS * self.rate // 1_000_000_000
        for i, s in enumerate(self.samples):
            if s > THRESHOLD or s < -THRESHOLD:
                if i - last > quiet:
                    found.append(i)
                last = i
        return found

    def monotonic_ns(self, index):
        """When sample `index` reached the monitor, in monotonic ns: the
        least bound of the reads that delivered it or came within 100 ms
        after. Only reads that hold the sample count, so samples the recorder
        lost before it (PipeWire's server drops some under load) do not move
        it earlier."""
        first = next((k for k, (_, n) in enumerate(self.reads) if n > index), len(self.reads) - 1)
        t_first = self.reads[first][0]
        near = [b for t, b in self.bounds[first:] if t - t_first <= AFTER_WINDOW_NS]
        return min(near) + index * 1_000_000_000 // self.rate

    def clock_drift_text(self):
        span_ns = self.reads[-1][0] - self.reads[0][0]
        span_samples = self.reads[-1][1] - self.reads[0][1]
        drift = span_samples * 1e9 / self.rate - span_ns
        return (f"recording: {len(self.samples) / self.rate:.2f} s, "
                f"sample clock vs monotonic {drift / 1e6:+.2f} ms over {span_ns / 1e9:.1f} s")


def percentile(ordered, p):
    n = len(ordered)
    return ordered[max(0, -(-p * n // 100) - 1)]


def median(ordered):
    n = len(ordered)
    return ordered[n // 2] if n % 2 else (ordered[n // 2 - 1] + ordered[n // 2]) / 2
