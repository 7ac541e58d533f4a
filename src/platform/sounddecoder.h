#pragma once

#include <QByteArray>
#include <QString>

#include <sndfile.h>

#include <vector>

/// Decodes one sound (WAV, MP3, FLAC, Ogg...) with libsndfile, block by block, into
/// interleaved 16-bit samples, from a regular file or from bytes in memory. Opening and reading
/// may block on a slow file: use it off the GUI thread.
class SoundDecoder
{
public:
    SoundDecoder() = default;
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder &) = delete;
    SoundDecoder &operator=(const SoundDecoder &) = delete;

    /// Opens a regular file and decodes its first block; false if it holds nothing to play.
    bool openFile(const QString &path);
    /// The same for a sound in memory (a built-in one).
    bool openBytes(const QByteArray &bytes);

    int channels() const { return m_info.channels; }
    int rate() const { return m_info.samplerate; }
    /// Decodes up to `frames` frames into `into`; 0 at the end, or where the file stops making
    /// sense (truncated, replaced) while it plays.
    qint64 read(qint16 *into, qint64 frames);

private:
    bool open();
    static sf_count_t length(void *self);
    static sf_count_t seek(sf_count_t offset, int whence, void *self);
    static sf_count_t readBytes(void *data, sf_count_t count, void *self);
    static sf_count_t tell(void *self);

    int m_fd = -1;              // the file, or -1 for m_bytes
    QByteArray m_bytes;
    sf_count_t m_position = 0;  // of the next byte libsndfile reads
    SNDFILE *m_file = nullptr;
    SF_INFO m_info{};
    std::vector<qint16> m_first;  // the first block, decoded at open
    size_t m_firstRead = 0;       // samples of it handed out
};
