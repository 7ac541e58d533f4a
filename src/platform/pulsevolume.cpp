#include "pulsevolume.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/volume.h>

#include <QDeadlineTimer>

#include <algorithm>
#include <optional>

namespace {

/// A private main loop and connection, torn down in the right order.
class Connection
{
public:
    explicit Connection(int timeoutMs)
        : m_deadline(timeoutMs)
        , m_loop(pa_mainloop_new())
        , m_context(m_loop ? pa_context_new(pa_mainloop_get_api(m_loop), "Wakemere") : nullptr)
    {
    }

    ~Connection()
    {
        if (m_context) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_loop)
            pa_mainloop_free(m_loop);
    }

    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    pa_context *context() const { return m_context; }

    enum class Opening { Ready, NoServer, TimedOut };

    /// Connects to the server named by the environment or the client configuration. A missing
    /// server is never started for us.
    Opening open()
    {
        if (!m_context
            || pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            return Opening::NoServer;
        }
        const bool settled = runUntil([this] {
            const pa_context_state_t state = pa_context_get_state(m_context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        });
        if (!settled)
            return Opening::TimedOut;
        return pa_context_get_state(m_context) == PA_CONTEXT_READY ? Opening::Ready
                                                                    : Opening::NoServer;
    }

    /// Runs the loop until the operation is done or the time is up; takes the operation over.
    bool finish(pa_operation *operation)
    {
        if (!operation)
            return false;
        const bool done = runUntil([operation] {
            return pa_operation_get_state(operation) != PA_OPERATION_RUNNING;
        });
        if (!done)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
        return done;
    }

private:
    template<typename Done>
    bool runUntil(Done done)
    {
        while (!done()) {
            const qint64 remaining = m_deadline.remainingTime();
            if (remaining == 0)
                return false;
            if (pa_mainloop_prepare(m_loop, int(std::min<qint64>(remaining, 1000) * 1000)) < 0
                || pa_mainloop_poll(m_loop) < 0 || pa_mainloop_dispatch(m_loop) < 0) {
                return false;
            }
        }
        return true;
    }

    QDeadlineTimer m_deadline;
    pa_mainloop *m_loop;
    pa_context *m_context;
};

struct SinkFacts
{
    uint32_t index = PA_INVALID_INDEX;
    pa_channel_map map{};
};

void takeSinkFacts(pa_context *, const pa_sink_info *info, int eol, void *userdata)
{
    if (eol || !info)
        return;
    auto *facts = static_cast<std::optional<SinkFacts> *>(userdata);
    *facts = SinkFacts{info->index, info->channel_map};
}

bool isLeft(pa_channel_position_t position)
{
    switch (position) {
    case PA_CHANNEL_POSITION_FRONT_LEFT:
    case PA_CHANNEL_POSITION_REAR_LEFT:
    case PA_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER:
    case PA_CHANNEL_POSITION_SIDE_LEFT:
    case PA_CHANNEL_POSITION_TOP_FRONT_LEFT:
    case PA_CHANNEL_POSITION_TOP_REAR_LEFT:
        return true;
    default:
        return false;
    }
}

bool isRight(pa_channel_position_t position)
{
    switch (position) {
    case PA_CHANNEL_POSITION_FRONT_RIGHT:
    case PA_CHANNEL_POSITION_REAR_RIGHT:
    case PA_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
    case PA_CHANNEL_POSITION_SIDE_RIGHT:
    case PA_CHANNEL_POSITION_TOP_FRONT_RIGHT:
    case PA_CHANNEL_POSITION_TOP_REAR_RIGHT:
        return true;
    default:
        return false;
    }
}

// The 16-bit channel value is a linear amplitude factor, value / 0xFFFF, as a wave-out device
// takes it; the server's own scale is cubic, so the factor is converted, not copied: 0x7FFF
// is half the amplitude, which the server shows as about 79 %.
pa_volume_t serverVolume(quint16 value)
{
    return pa_sw_volume_from_linear(value / 65535.0);
}

} // namespace

PulseOutcome setDefaultSinkVolume(quint16 left, quint16 right, int timeoutMs)
{
    Connection connection(timeoutMs);
    switch (connection.open()) {
    case Connection::Opening::NoServer:
        return PulseOutcome::NoServer;
    case Connection::Opening::TimedOut:
        // Something listens but is too slow: the sound card is most likely its own.
        return PulseOutcome::Tried;
    case Connection::Opening::Ready:
        break;
    }
    pa_context *context = connection.context();

    std::optional<SinkFacts> sink;
    if (!connection.finish(pa_context_get_sink_info_by_name(context, "@DEFAULT_SINK@",
                                                            takeSinkFacts, &sink))
        || !sink) {
        return PulseOutcome::Tried;
    }

    // Left channels take the left value, right ones the right value, the rest (mono, centre,
    // bass) the louder of the two.
    pa_cvolume volume;
    pa_cvolume_init(&volume);
    volume.channels = sink->map.channels;
    for (int i = 0; i < sink->map.channels; ++i) {
        const pa_channel_position_t position = sink->map.map[i];
        const quint16 value = isLeft(position)    ? left
                              : isRight(position) ? right
                                                  : std::max(left, right);
        volume.values[i] = serverVolume(value);
    }
    connection.finish(
        pa_context_set_sink_volume_by_index(context, sink->index, &volume, nullptr, nullptr));
    return PulseOutcome::Tried;
}
