"""What the program sounded during a run, read back from SDL's disk driver.

With SDL_AUDIODRIVER=disk, SDL writes the mixed stream to SDL_DISKAUDIOFILE
as raw samples in the format the program opens (44100 Hz, mono, 16-bit
little-endian). The file is a FIFO here, drained by a recorder process that
stamps every read with the monotonic clock, the clock the program's ticks come
from: the driver writes each buffer right after the callback mixed it, so a
sound's stamp is when the program started it. A FIFO also keeps every open of
the stream (it rests between tests and reopens) in one recording, where a
plain file would be truncated at each open.

The mix is the exact sum of the voices' samples (same rate, no resampling),
clamped to 16 bits, so each voice is found by the samples of the resource
sound it plays.

    sound_track.py record FIFO RAW STAMPS   (run by SoundRecorder)
"""
import array
import os
import signal
import subprocess
import sys
import time
import wave

# Also run as a process of its own (record), so it finds the harness itself.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "harness"))
from harness import TICKS_PER_SECOND  # noqa: E402

RATE = 44100
BYTES_PER_FRAME = 2
CLICKS = ("hi", "low")
PITCHES = ("c", "d", "e", "f", "g", "a", "ch")
# A voice is taken as found when this many samples from its start match.
LEAST_MATCH = 32
# Enough matching samples to tell the right voices from any other choice.
MATCH_ENOUGH = 4096
# The device buffer the run asks the program for: the disk driver writes one
# such buffer a period.
BUFFER_FRAMES = 256
# stdio's buffer for the FIFO, in frames: the driver's data arrive in reads
# of this size.
FULL_READ = 4096 // BYTES_PER_FRAME


def record(fifo, raw_path, stamps_path):
    """Drains the FIFO until SIGTERM; every read is stamped."""
    chunks, stamps, total = [], [], 0

    class Stop(Exception):
        pass

    def stop(*_):
        raise Stop()  # a read blocked on an idle FIFO ends with it
    signal.signal(signal.SIGTERM, stop)
    # Opened for reading and writing, the FIFO always has a writer, so the
    # program's closes never end the recording and its opens never block.
    try:
        fd = os.open(fifo, os.O_RDWR)
        while True:
            data = os.read(fd, 1 << 16)
            stamps.append(f"{time.monotonic():.6f} {total} {len(data)}\n")
            total += len(data)
            chunks.append(data)
    except Stop:
        pass
    with open(raw_path, "wb") as f:
        f.write(b"".join(chunks))
    with open(stamps_path, "w") as f:
        f.writelines(stamps)


class SoundRecorder:
    """A FIFO for SDL_DISKAUDIOFILE and the process that records it."""

    def __init__(self, workdir):
        self.fifo = os.path.join(workdir, "sound.fifo")
        self.raw = os.path.join(workdir, "sound.raw")
        self.stamps = os.path.join(workdir, "sound-stamps.txt")
        os.mkfifo(self.fifo)
        # Its own output goes nowhere: a pipe it held open would keep the
        # caller of the whole run waiting.
        self.process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "record",
                                         self.fifo, self.raw, self.stamps],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The recorder must hold the FIFO before the program opens it.
        end = time.monotonic() + 30
        while not self._holding() and time.monotonic() < end:
            time.sleep(0.02)

    def _holding(self):
        try:
            return any(os.path.realpath(os.path.join(f"/proc/{self.process.pid}/fd", fd)) == self.fifo
                       for fd in os.listdir(f"/proc/{self.process.pid}/fd"))
        except OSError:
            return False

    def environment(self):
        return {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": self.fifo,
                "VELVANE_SOUND_BUFFER": str(BUFFER_FRAMES)}

    def end(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def stop(self):
        """Ends the recording; returns (samples, stamps) with stamps a list
        of (monotonic time, first sample, sample count) for every read."""
        self.end()
        samples = array.array("h")
        with open(self.raw, "rb") as f:
            samples.frombytes(f.read())
        if sys.byteorder != "little":
            samples.byteswap()
        stamps = []
        with open(self.stamps) as f:
            for line in f:
                t, first, count = line.split()
                stamps.append((float(t), int(first) // BYTES_PER_FRAME, int(count) // BYTES_PER_FRAME))
        return samples, stamps


def load_sounds(res_dir):
    """The program's sounds by name, as mono 16-bit samples."""
    sounds = {}
    for name in CLICKS + PITCHES:
        with wave.open(os.path.join(res_dir, name + ".wav")) as w:
            if w.getsampwidth() != 2 or w.getframerate() != RATE:
                raise ValueError(f"{name}.wav is not 16-bit {RATE} Hz")
            data = array.array("h", w.readframes(w.getnframes()))
            if w.getnchannels() == 2:
                data = array.array("h", [(data[i] + data[i + 1]) // 2 for i in range(0, len(data), 2)])
        sounds[name] = data
    return sounds


def _clamp(v):
    return -32768 if v < -32768 else 32767 if v > 32767 else v


def find_voices(samples, sounds):
    """The voices in a recording, as (first sample, sound name), in order.

    Walks the recording; where it differs from the voices found so far, one
    sound starts at that sample, or two start there or a few samples apart
    (each sound starts a fixed time after its play, to the frame, so a click
    and a hit sound asked for close together start that close): the choice
    whose samples, added to what sounds already, match the recording for
    longest is taken, the one with fewer voices where two match as long."""
    names = list(sounds)
    # (name, offset from the divergence) for each voice of a choice.
    choices = [((a, 0),) for a in names]
    choices += [((a, 0), (b, apart)) for a in names for b in names for apart in range(LEAST_MATCH)
                if apart > 0 or a <= b]
    expected = [0] * len(samples)  # unclamped sum of the voices found
    voices = []
    n = len(samples)
    s = 0
    while s < n:
        if _clamp(expected[s]) == samples[s]:
            s += 1
            continue
        best, best_len = None, 0
        for choice in choices:
            length = 0
            limit = min(n - s, MATCH_ENOUGH)
            while length < limit:
                v = expected[s + length]
                for name, apart in choice:
                    if apart <= length < apart + len(sounds[name]):
                        v += sounds[name][length - apart]
                if _clamp(v) != samples[s + length]:
                    break
                length += 1
            if length > best_len:
                best, best_len = choice, length
        if best is None or best_len < LEAST_MATCH:
            raise ValueError(f"sample {s} ({s / RATE:.3f} s) matches no sound of the program")
        for name, apart in best:
            voices.append((s + apart, name))
            sound = sounds[name]
            for i in range(min(len(sound), n - s - apart)):
                expected[s + apart + i] += sound[i]
        s += 1
    voices.sort()
    return voices


def buffer_period(stamps):
    """Seconds between two buffers the driver writes: the median over reads
    that follow a full read without a pause (the stream was not resting)."""
    periods = []
    for (t0, _, n0), (t1, _, n1) in zip(stamps, stamps[1:]):
        buffers = n1 / BUFFER_FRAMES
        if n0 == n1 == FULL_READ and t1 - t0 < 2 * buffers * BUFFER_FRAMES / RATE:
            periods.append((t1 - t0) / buffers)
    if not periods:
        raise ValueError("the recording holds no steady stream")
    periods.sort()
    return periods[len(periods) // 2]


def sample_time(stamps, sample, period):
    """Monotonic time at which the driver wrote the buffer holding `sample`.

    The driver writes one buffer per period through stdio, which passes the
    data on in reads of FULL_READ frames when a write finds its buffer full:
    a full read's stamp is the time of the write after its last buffer, and
    each buffer of it was written one period before the next. A shorter read
    is the rest of a stream flushed at its close, later than its buffers
    were written: they follow the read before it, one period each."""
    for i, (t, first, count) in enumerate(stamps):
        if first <= sample < first + count:
            buffer = (sample - first) // BUFFER_FRAMES
            if count == FULL_READ or i == 0:
                return t - (count // BUFFER_FRAMES - buffer) * period
            return stamps[i - 1][0] + buffer * period
    raise ValueError(f"sample {sample} is past the recording")


def heard(recorder, res_dir):
    """Ends the recording; returns its voices as (monotonic time, name)."""
    samples, stamps = recorder.stop()
    if not samples:
        raise ValueError("the program wrote no sound at all")
    period = buffer_period(stamps)
    return [(sample_time(stamps, s, period), name) for s, name in find_voices(samples, load_sounds(res_dir))]


def metronome(voices, tickspeed, clicks):
    """Checks the clicks: `clicks` names (hi or low) in order, each within its
    beat, a beat of `tickspeed` ticks after the click before it give or take
    half a beat. The program counts each beat from the pass that sounded the
    one before, so a late pass on a loaded machine delays the later clicks;
    how precisely they keep the beat is the metronome benchmark's to measure.
    Returns a list of faults and the first click's time (None without any)."""
    heard_clicks = [t for t, name in voices if name in CLICKS]
    faults = []
    names = [name for t, name in voices if name in CLICKS]
    if names != list(clicks):
        faults.append(f"clicks heard {' '.join(names) or 'none'}, expected {' '.join(clicks)}")
    beat = tickspeed / TICKS_PER_SECOND
    for k, (a, b) in enumerate(zip(heard_clicks, heard_clicks[1:]), start=1):
        if not beat / 2 < b - a < 3 * beat / 2:
            faults.append(f"click {k} {(b - a) * 1000:.0f} ms after the one before, outside its beat "
                          f"of {beat * 1000:.0f} ms")
    return faults, heard_clicks[0] if heard_clicks else None


def hit_sounds(voices, taps, last_within):
    """One pitch sound for each tap, after it and before the next one (the
    last one within `last_within` seconds): returns a list of faults.

    The taps are stamped before they leave, and a sound's time from the
    recording is never earlier than the program played it (a late driver or
    recorder only makes it later), so a sound before its tap is a fault of
    the program, whatever the machine's load."""
    tones = [t for t, name in voices if name in PITCHES]
    faults = []
    if len(tones) != len(taps):
        faults.append(f"{len(tones)} hit sounds heard for {len(taps)} taps")
    ends = taps[1:] + [taps[-1] + last_within] if taps else []
    for k, (tap, end, tone) in enumerate(zip(taps, ends, tones)):
        if not tap <= tone < end:
            faults.append(f"tap {k}: its hit sound {(tone - tap) * 1000:.0f} ms after it, the next tap "
                          f"{(end - tap) * 1000:.0f} ms after it")
    return faults


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "record":
        record(*sys.argv[2:])
        return 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
