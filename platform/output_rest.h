#pragma once
// When the sound output may rest. An open stream costs CPU in the program and
// in the sound server even while it plays silence, so it is paused while the
// program needs no sound (no test, pre-start wait or replay) and no voice
// sounds. The decision is kept apart from SDL so tests can step it.
namespace platform {

class OutputRest {
public:
    // What the decision drives: SdlMixer's stream, or a test's double.
    class Stream {
    public:
        virtual ~Stream() = default;
        // Paused, the stream must cost nothing: no thread, no server stream.
        // Returns false when it could not run (the output did not open); it
        // then stays paused.
        virtual bool setPaused(bool paused) = 0;
        // A voice sounds or a play waits for the stream.
        virtual bool sounding() const = 0;
    };

    // The stream is taken to be paused, as a freshly opened one is.
    explicit OutputRest(Stream& stream) : stream_(stream) {}
    // The stream was opened afresh, paused or running, and is not needed.
    void reset(bool paused)
    {
        needed_ = false;
        paused_ = paused;
        silentChecks_ = 0;
    }

    // Needed: the stream runs from now on. No longer needed: it rests once
    // checks find it silent. A stream that cannot run stays paused, and the
    // next need or play tries again.
    void setNeeded(bool needed);
    // A play arrived. A resting stream wakes for it, so no sound is lost, and
    // rests again when its voice has ended. False when the stream could not
    // run: the play is to be dropped, not kept for a later stream.
    [[nodiscard]] bool played();
    // Called every kCheckMs while checksDue(). The stream pauses at the second
    // check in a row that finds it silent: the first may come just after the
    // last voice was mixed, while the device still plays that buffer out.
    void check();
    bool checksDue() const { return !needed_ && !paused_; }
    bool needed() const { return needed_; }
    // The stream stopped by itself (its sound server went away): it is taken
    // as paused, so the next need or play runs it again.
    void stopped()
    {
        paused_ = true;
        silentChecks_ = 0;
    }
    bool paused() const { return paused_; }

    static constexpr int kCheckMs = 50;

private:
    bool run();

    Stream& stream_;
    bool needed_ = false;
    bool paused_ = true;
    int silentChecks_ = 0;
};

} // namespace platform
