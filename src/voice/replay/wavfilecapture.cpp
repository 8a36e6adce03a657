#include "wavfilecapture.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace vexa::voice {

namespace {

std::optional<PcmRecording> fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return std::nullopt;
}

} // namespace

std::optional<PcmRecording> readWav(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("не удалось открыть %1").arg(path));
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return fail(error, QStringLiteral("%1 не является файлом WAV").arg(path));

    int format = 0, channels = 0, rate = 0, bits = 0;
    QByteArray data;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        const qsizetype body = at + 8;
        if (body + qsizetype(size) > bytes.size() && id != "data")
            break;
        if (id == "fmt " && size >= 16) {
            format = qFromLittleEndian<quint16>(bytes.constData() + body);
            channels = qFromLittleEndian<quint16>(bytes.constData() + body + 2);
            rate = int(qFromLittleEndian<quint32>(bytes.constData() + body + 4));
            bits = qFromLittleEndian<quint16>(bytes.constData() + body + 14);
        } else if (id == "data") {
            // Some writers leave the size of a streamed data chunk unset: take what is there.
            data = bytes.mid(body, qMin<qsizetype>(size, bytes.size() - body));
        }
        at = body + qsizetype(size) + (size & 1);
    }
    const bool integer = format == 1 && (bits == 8 || bits == 16 || bits == 32);
    const bool floating = format == 3 && bits == 32;
    if ((!integer && !floating) || channels <= 0 || rate <= 0 || data.isEmpty())
        return fail(error, QStringLiteral("%1: неподдерживаемый формат WAV").arg(path));

    const int bytesPerSample = bits / 8;
    const qsizetype frames = data.size() / (bytesPerSample * channels);
    PcmRecording recording;
    recording.sampleRate = rate;
    recording.samples.reserve(size_t(frames));
    const char *raw = data.constData();
    for (qsizetype f = 0; f < frames; ++f) {
        float sum = 0.0f;
        for (int c = 0; c < channels; ++c) {
            const char *s = raw + (f * channels + c) * bytesPerSample;
            if (floating) {
                float value;
                std::memcpy(&value, s, sizeof value);
                sum += value;
            } else if (bits == 8) {
                sum += (float(quint8(*s)) - 128.0f) / 128.0f;
            } else if (bits == 16) {
                sum += float(qFromLittleEndian<qint16>(s)) / 32768.0f;
            } else {
                sum += float(double(qFromLittleEndian<qint32>(s)) / 2147483648.0);
            }
        }
        recording.samples.push_back(sum / float(channels));
    }
    return recording;
}

WavFileCapture::WavFileCapture(PcmRecording recording, Pace pace)
    : m_recording(std::move(recording)), m_pace(pace)
{
}

WavFileCapture::~WavFileCapture()
{
    stop();
}

void WavFileCapture::setRecordingEndHandler(std::function<void()> handler)
{
    m_recordingEnd = std::move(handler);
}

QCoro::Task<bool> WavFileCapture::requestMicrophoneAccess()
{
    co_return true;
}

void WavFileCapture::installTap(int, int bufferFrames, AudioTap tap)
{
    std::lock_guard lock(m_tapMutex);
    m_tap = std::move(tap);
    m_bufferFrames = qMax(1, bufferFrames);
}

void WavFileCapture::removeTap(int)
{
    std::lock_guard lock(m_tapMutex);
    m_tap = nullptr;
}

std::optional<VoiceError> WavFileCapture::start()
{
    if (m_thread.joinable())
        return std::nullopt;
    if (m_recording.sampleRate <= 0)
        return VoiceError{QStringLiteral("запись пуста")};
    m_stopping = false;
    m_delivered = false;
    m_thread = std::thread([this] { play(); });
    return std::nullopt;
}

void WavFileCapture::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    m_thread.join();
}

void WavFileCapture::deliver(const float *samples, qsizetype frames)
{
    std::lock_guard lock(m_tapMutex);
    if (m_tap)
        m_tap(AudioBuffer{samples, frames, m_recording.sampleRate});
}

void WavFileCapture::play()
{
    const auto frames = qsizetype(m_bufferFrames);
    const auto bufferTime = std::chrono::duration<double>(double(frames) / m_recording.sampleRate);
    auto due = std::chrono::steady_clock::now();
    auto pace = [&] {
        if (m_pace != Pace::RealTime)
            return;
        due += std::chrono::duration_cast<std::chrono::steady_clock::duration>(bufferTime);
        std::this_thread::sleep_until(due);
    };

    const std::vector<float> &samples = m_recording.samples;
    for (qsizetype at = 0; at < qsizetype(samples.size()) && !m_stopping; at += frames) {
        const qsizetype count = qMin(frames, qsizetype(samples.size()) - at);
        if (count == frames) {
            deliver(samples.data() + at, count);
        } else {
            // The last, short piece is padded with silence to a whole buffer.
            std::vector<float> tail(samples.begin() + at, samples.end());
            tail.resize(size_t(frames), 0.0f);
            deliver(tail.data(), frames);
        }
        pace();
    }
    if (m_stopping)
        return;
    m_delivered = true;
    if (m_recordingEnd)
        m_recordingEnd();

    const std::vector<float> silence(size_t(frames), 0.0f);
    while (!m_stopping) {
        // As fast as possible would flood the recognizer with silence; a quiet room runs in
        // real time whatever the pace of the recording.
        if (m_pace != Pace::RealTime)
            due = std::chrono::steady_clock::now();
        due += std::chrono::duration_cast<std::chrono::steady_clock::duration>(bufferTime);
        std::this_thread::sleep_until(due);
        deliver(silence.data(), frames);
    }
}

} // namespace vexa::voice
