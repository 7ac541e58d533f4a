#include "soundsession.h"

#include "sounddecoder.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <type_traits>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A small buffer: a stream started from its first blocks reaches the sink at once, and a
// stopped one is silent as soon as the sink's own short buffer has played out.
constexpr pa_usec_t TargetLatencyUs = 25000;
constexpr pa_usec_t RequestUs = 5000;
// A server that takes longer than this to take the stream is not waited for.
constexpr auto ServerTimeout = std::chrono::seconds(5);
constexpr unsigned AlsaLatencyUs = 50000;
constexpr qint64 AlsaBlockFrames = 1024;

enum class Output { Used, Missing };

} // namespace

struct SoundSession::State
{
    std::mutex mutex;
    std::condition_variable wake;
    bool started = false;
    bool cancelled = false;
    pa_mainloop *loop = nullptr;  // while the session's thread runs one
    std::atomic<bool> failed{false};
    std::atomic<bool> opened{false};
    std::atomic<bool> done{false};

    /// Wakes the session's thread to look at started and cancelled; under mutex.
    void poke()
    {
        wake.notify_all();
        if (loop)
            pa_mainloop_wakeup(loop);
    }
    bool isCancelled()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return cancelled;
    }
};

namespace {

using State = SoundSession::State;

/// A main loop, connection and stream of the session's own, torn down in the right order.
struct PulseConnection
{
    explicit PulseConnection(State &state)
        : m_state(state)
    {
        if (!loop)
            return;
        const std::lock_guard<std::mutex> lock(m_state.mutex);
        m_state.loop = loop;
        context = pa_context_new(pa_mainloop_get_api(loop), "Wakemere");
    }
    ~PulseConnection()
    {
        if (stream) {
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
        }
        if (context) {
            pa_context_disconnect(context);
            pa_context_unref(context);
        }
        if (loop) {
            {
                const std::lock_guard<std::mutex> lock(m_state.mutex);
                m_state.loop = nullptr;
            }
            pa_mainloop_free(loop);
        }
    }
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    /// Runs one round of the loop, waiting at most `timeoutUs` (-1: until something happens).
    bool iterate(int timeoutUs)
    {
        return pa_mainloop_prepare(loop, timeoutUs) >= 0 && pa_mainloop_poll(loop) >= 0
               && pa_mainloop_dispatch(loop) >= 0;
    }

    State &m_state;
    pa_mainloop *loop = pa_mainloop_new();
    pa_context *context = nullptr;
    pa_stream *stream = nullptr;
};

pa_stream *connectStream(pa_context *context, const pa_sample_spec &format)
{
    pa_stream *stream = pa_stream_new(context, "Alarm", &format, nullptr);
    if (!stream)
        return nullptr;
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(TargetLatencyUs, &format));
    attr.prebuf = uint32_t(-1);  // kept: without it a drain never completes
    attr.minreq = uint32_t(pa_usec_to_bytes(RequestUs, &format));
    attr.fragsize = uint32_t(-1);
    // Paused from the start, so that a session made ahead has its first blocks at the server
    // and play() only unpauses it.
    const auto flags = pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        pa_stream_unref(stream);
        return nullptr;
    }
    return stream;
}

/// Writes decoded blocks while the server wants more; false on a fault of the stream.
bool fill(pa_stream *stream, SoundDecoder &decoder, size_t frameBytes, bool &ended)
{
    while (!ended) {
        const size_t writable = pa_stream_writable_size(stream);
        if (writable == size_t(-1))
            return false;
        if (writable < frameBytes)
            return true;
        void *data = nullptr;
        size_t bytes = writable;
        if (pa_stream_begin_write(stream, &data, &bytes) < 0 || !data)
            return false;
        const qint64 frames = decoder.read(static_cast<qint16 *>(data),
                                           qint64(std::min(bytes, writable) / frameBytes));
        if (frames <= 0) {
            pa_stream_cancel_write(stream);
            ended = true;
            return true;
        }
        if (pa_stream_write(stream, data, size_t(frames) * frameBytes, nullptr, 0,
                            PA_SEEK_RELATIVE) < 0) {
            return false;
        }
    }
    return true;
}

Output playThroughPulse(State &state, SoundDecoder &decoder)
{
    PulseConnection pulse(state);
    // A missing server is never started for us.
    if (!pulse.context
        || pa_context_connect(pulse.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return Output::Missing;
    }
    const pa_sample_spec format{PA_SAMPLE_S16NE, uint32_t(decoder.rate()),
                              uint8_t(decoder.channels())};
    const size_t frameBytes = pa_frame_size(&format);
    const Clock::time_point deadline = Clock::now() + ServerTimeout;
    bool ready = false;
    bool uncorked = false;
    bool ended = false;
    pa_operation *drain = nullptr;
    for (;;) {
        bool started;
        {
            const std::lock_guard<std::mutex> lock(state.mutex);
            if (state.cancelled)
                break;
            started = state.started;
        }
        const pa_context_state_t contextState = pa_context_get_state(pulse.context);
        if (!PA_CONTEXT_IS_GOOD(contextState)) {
            if (!pulse.stream)
                return Output::Missing;
            break;  // the server went away while it played
        }
        if (contextState == PA_CONTEXT_READY && !pulse.stream) {
            pulse.stream = connectStream(pulse.context, format);
            if (!pulse.stream)
                break;
        }
        if (pulse.stream) {
            const pa_stream_state_t streamState = pa_stream_get_state(pulse.stream);
            if (!PA_STREAM_IS_GOOD(streamState))
                break;
            ready = streamState == PA_STREAM_READY;
        }
        if (ready) {
            if (!drain && !fill(pulse.stream, decoder, frameBytes, ended))
                break;
            if (started && !uncorked) {
                if (pa_operation *op = pa_stream_cork(pulse.stream, 0, nullptr, nullptr))
                    pa_operation_unref(op);
                uncorked = true;
            }
            // Only a stream that plays drains; a short sound made ahead waits for play().
            if (ended && uncorked && !drain) {
                drain = pa_stream_drain(pulse.stream, nullptr, nullptr);
                if (!drain)
                    break;
            }
            if (drain && pa_operation_get_state(drain) != PA_OPERATION_RUNNING)
                break;
        } else if (Clock::now() > deadline) {
            break;
        }
        if (!pulse.iterate(ready ? -1 : 100000))
            break;
    }
    if (drain)
        pa_operation_unref(drain);
    return Output::Used;
}

/// alsa-lib, loaded the first time no sound server runs: most desktops never need it, and
/// it costs a quarter of a megabyte to load. Null where it cannot be loaded.
struct Alsa
{
    decltype(&snd_pcm_open) open;
    decltype(&snd_pcm_close) close;
    decltype(&snd_pcm_nonblock) nonblock;
    decltype(&snd_pcm_set_params) setParams;
    decltype(&snd_pcm_writei) writei;
    decltype(&snd_pcm_recover) recover;
    decltype(&snd_pcm_drop) drop;
    decltype(&snd_pcm_drain) drain;

    static const Alsa *get()
    {
        static const std::optional<Alsa> alsa = []() -> std::optional<Alsa> {
            void *library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
            if (!library)
                return std::nullopt;
            auto find = [library](auto &function, const char *name) {
                function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                    dlsym(library, name));
                return function != nullptr;
            };
            Alsa alsa{};
            if (find(alsa.open, "snd_pcm_open") && find(alsa.close, "snd_pcm_close")
                && find(alsa.nonblock, "snd_pcm_nonblock")
                && find(alsa.setParams, "snd_pcm_set_params")
                && find(alsa.writei, "snd_pcm_writei") && find(alsa.recover, "snd_pcm_recover")
                && find(alsa.drop, "snd_pcm_drop") && find(alsa.drain, "snd_pcm_drain")) {
                return alsa;
            }
            return std::nullopt;
        }();
        return alsa ? &*alsa : nullptr;
    }
};

void playThroughAlsa(State &state, SoundDecoder &decoder)
{
    const Alsa *alsa = Alsa::get();
    if (!alsa)
        return;
    snd_pcm_t *pcm = nullptr;
    // Non-blocking to open, so that a device another program holds does not hold us.
    if (alsa->open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return;
    const std::unique_ptr<snd_pcm_t, int (*)(snd_pcm_t *)> closer(pcm, alsa->close);
    const int channels = decoder.channels();
    if (alsa->nonblock(pcm, 0) < 0
        || alsa->setParams(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                           unsigned(channels), unsigned(decoder.rate()), 1,
                           AlsaLatencyUs) < 0) {
        return;
    }
    {
        std::unique_lock<std::mutex> lock(state.mutex);
        state.wake.wait(lock, [&state] { return state.started || state.cancelled; });
        if (state.cancelled)
            return;
    }
    std::vector<qint16> block(size_t(AlsaBlockFrames * channels));
    int faults = 0;
    for (;;) {
        qint64 frames = decoder.read(block.data(), AlsaBlockFrames);
        if (frames <= 0)
            break;
        const qint16 *from = block.data();
        while (frames > 0) {
            if (state.isCancelled()) {
                alsa->drop(pcm);
                return;
            }
            const snd_pcm_sframes_t written = alsa->writei(pcm, from, snd_pcm_uframes_t(frames));
            if (written < 0) {
                if (++faults > 10 || alsa->recover(pcm, int(written), 1) < 0)
                    return;
                continue;
            }
            frames -= written;
            from += written * channels;
        }
    }
    if (!state.isCancelled())
        alsa->drain(pcm);
}

void run(const std::shared_ptr<State> &state, const QString &path, const QByteArray &bytes,
         const SoundSession::Notify &notify)
{
    {
        SoundDecoder decoder;
        const bool opened = bytes.isEmpty() ? decoder.openFile(path) : decoder.openBytes(bytes);
        state->opened = opened;
        if (!opened) {
            state->failed = true;
            notify(SoundSession::Event::Failed);
        } else if (!state->isCancelled()
                   && playThroughPulse(*state, decoder) == Output::Missing) {
            playThroughAlsa(*state, decoder);
        }
    }
    state->done = true;
    notify(SoundSession::Event::Done);
}

} // namespace

SoundSession::SoundSession(const QString &path, const QByteArray &bytes, bool now,
                           Notify notify)
    : m_state(std::make_shared<State>())
{
    m_state->started = now;
    try {
        m_thread = std::thread(run, m_state, path, bytes, std::move(notify));
    } catch (const std::system_error &) {
        m_state->done = true;
    }
}

SoundSession::~SoundSession()
{
    cancel();
    if (!m_thread.joinable())
        return;
    // A thread stuck in a read of a stalled file cannot be waited for; it ends on its own.
    if (m_state->done)
        m_thread.join();
    else
        m_thread.detach();
}

void SoundSession::play()
{
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->started = true;
    m_state->poke();
}

void SoundSession::cancel()
{
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->cancelled = true;
    m_state->poke();
}

bool SoundSession::failed() const
{
    return m_state->failed;
}

bool SoundSession::opened() const
{
    return m_state->opened;
}

bool SoundSession::done() const
{
    return m_state->done;
}
