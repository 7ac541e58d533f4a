#include "sounddecoder.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr sf_count_t FirstBlockFrames = 4096;
constexpr int MaxChannels = 32;
constexpr int MaxRate = 384000;

} // namespace

SoundDecoder::~SoundDecoder()
{
    if (m_file)
        sf_close(m_file);
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SoundDecoder::openFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    // Non-blocking, so that a named pipe nobody writes to opens at once and is then refused as
    // it is no regular file; a device, a folder likewise.
    m_fd = ::open(QFile::encodeName(path).constData(),
                  O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return false;
    struct stat status;
    if (fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0)
        return false;
    return open();
}

bool SoundDecoder::openBytes(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return false;
    m_bytes = bytes;
    return open();
}

bool SoundDecoder::open()
{
    SF_VIRTUAL_IO io{length, seek, readBytes, nullptr, tell};
    m_file = sf_open_virtual(&io, SFM_READ, &m_info, this);
    if (!m_file || m_info.channels < 1 || m_info.channels > MaxChannels
        || m_info.samplerate < 1 || m_info.samplerate > MaxRate) {
        return false;
    }
    // A file of floating-point samples may go beyond full scale: clip rather than wrap.
    sf_command(m_file, SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_TRUE);
    // A header without samples plays nothing: that is a failure, not a sound that ended.
    m_first.resize(size_t(FirstBlockFrames * m_info.channels));
    const sf_count_t frames = sf_readf_short(m_file, m_first.data(), FirstBlockFrames);
    m_first.resize(size_t(std::max<sf_count_t>(frames, 0) * m_info.channels));
    return !m_first.empty();
}

qint64 SoundDecoder::read(qint16 *into, qint64 frames)
{
    if (m_firstRead < m_first.size()) {
        const size_t samples = std::min(m_first.size() - m_firstRead, size_t(frames) * channels());
        std::memcpy(into, m_first.data() + m_firstRead, samples * sizeof(qint16));
        m_firstRead += samples;
        if (m_firstRead == m_first.size())
            std::vector<qint16>().swap(m_first);
        return qint64(samples) / channels();
    }
    m_firstRead = m_first.size();
    return m_file ? std::max<sf_count_t>(sf_readf_short(m_file, into, frames), 0) : 0;
}

sf_count_t SoundDecoder::length(void *self)
{
    auto *decoder = static_cast<SoundDecoder *>(self);
    if (decoder->m_fd < 0)
        return decoder->m_bytes.size();
    struct stat status;
    return fstat(decoder->m_fd, &status) == 0 ? status.st_size : 0;
}

sf_count_t SoundDecoder::seek(sf_count_t offset, int whence, void *self)
{
    auto *decoder = static_cast<SoundDecoder *>(self);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = decoder->m_position;
    else if (whence == SEEK_END)
        base = length(self);
    if (base + offset < 0)
        return -1;
    decoder->m_position = base + offset;
    return decoder->m_position;
}

sf_count_t SoundDecoder::readBytes(void *data, sf_count_t count, void *self)
{
    auto *decoder = static_cast<SoundDecoder *>(self);
    if (count <= 0)
        return 0;
    if (decoder->m_fd < 0) {
        const sf_count_t available =
            std::clamp<sf_count_t>(decoder->m_bytes.size() - decoder->m_position, 0, count);
        std::memcpy(data, decoder->m_bytes.constData() + decoder->m_position, size_t(available));
        decoder->m_position += available;
        return available;
    }
    sf_count_t done = 0;
    while (done < count) {
        const ssize_t got = pread(decoder->m_fd, static_cast<char *>(data) + done,
                                  size_t(count - done), decoder->m_position);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;  // the end, or the file went bad: what was read is all there is
        done += got;
        decoder->m_position += got;
    }
    return done;
}

sf_count_t SoundDecoder::tell(void *self)
{
    return static_cast<SoundDecoder *>(self)->m_position;
}
