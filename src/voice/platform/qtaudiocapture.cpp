#include "qtaudiocapture.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>

#include <cstring>
#include <vector>

namespace vexa::voice {

namespace {

// Mono float at 16 kHz needs no conversion downstream; devices that cannot give it are read in
// their preferred format and converted here.
QAudioFormat wantedFormat()
{
    QAudioFormat format;
    format.setSampleRate(16000);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Float);
    return format;
}

QString describe(QAudio::Error error)
{
    switch (error) {
    case QAudio::OpenError:
        return QStringLiteral("устройство записи звука не открывается");
    case QAudio::IOError:
        return QStringLiteral("ошибка чтения с устройства записи звука");
    case QAudio::UnderrunError:
        return QStringLiteral("устройство записи звука не успевает передавать звук");
    case QAudio::FatalError:
    case QAudio::NoError:
        break;
    }
    return QStringLiteral("устройство записи звука недоступно");
}

} // namespace

CaptureSink::CaptureSink(QAudioFormat format, std::function<void(const AudioBuffer &)> deliver)
    : m_format(format), m_deliver(std::move(deliver))
{
}

qint64 CaptureSink::writeData(const char *data, qint64 length)
{
    const int bytesPerFrame = m_format.bytesPerFrame();
    if (bytesPerFrame <= 0)
        return length;
    m_partial.append(data, length);
    const qsizetype frames = m_partial.size() / bytesPerFrame;
    const int channels = m_format.channelCount();
    for (qsizetype f = 0; f < frames; ++f) {
        const char *frame = m_partial.constData() + f * bytesPerFrame;
        float sum = 0.0f;
        for (int c = 0; c < channels; ++c)
            sum += m_format.normalizedSampleValue(frame + c * m_format.bytesPerSample());
        m_pending.push_back(sum / float(channels));
        if (channels > 1)
            m_pendingFirst.push_back(m_format.normalizedSampleValue(frame));
    }
    m_partial.remove(0, frames * bytesPerFrame);

    qsizetype offset = 0;
    while (qsizetype(m_pending.size()) - offset >= m_bufferFrames) {
        m_deliver(AudioBuffer{m_pending.data() + offset, m_bufferFrames, m_format.sampleRate(),
                              channels > 1 ? m_pendingFirst.data() + offset : nullptr});
        offset += m_bufferFrames;
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + offset);
    if (channels > 1)
        m_pendingFirst.erase(m_pendingFirst.begin(), m_pendingFirst.begin() + offset);
    return length;
}

// Owns the QAudioSource; every call arrives on the capture thread.
class CaptureWorker final : public QObject
{
public:
    std::optional<VoiceError> open(int bufferFrames,
                                   std::function<void(const AudioBuffer &)> deliver)
    {
        close();
        const QAudioDevice device = QMediaDevices::defaultAudioInput();
        if (device.isNull())
            return VoiceError{QStringLiteral("в системе нет устройства записи звука")};
        QAudioFormat format = wantedFormat();
        if (!device.isFormatSupported(format))
            format = device.preferredFormat();
        if (!format.isValid() || format.channelCount() <= 0)
            return VoiceError{QStringLiteral("устройство записи звука не сообщает свой формат")};

        m_sink = std::make_unique<CaptureSink>(format, std::move(deliver));
        m_sink->setBufferFrames(bufferFrames);
        m_sink->open(QIODevice::WriteOnly);
        m_source = std::make_unique<QAudioSource>(device, format);
        m_source->start(m_sink.get());
        if (m_source->error() != QAudio::NoError || m_source->state() == QAudio::StoppedState) {
            const QString description = describe(m_source->error());
            close();
            return VoiceError{description};
        }
        return std::nullopt;
    }

    void close()
    {
        if (m_source)
            m_source->stop();
        m_source.reset();
        m_sink.reset();
    }

private:
    std::unique_ptr<CaptureSink> m_sink;
    std::unique_ptr<QAudioSource> m_source;
};

QtAudioCapture::QtAudioCapture() : m_tap(std::make_shared<TapSlot>())
{
    m_thread.setObjectName(QStringLiteral("vexa-microphone"));
    m_worker = new CaptureWorker;
    m_worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

QtAudioCapture::~QtAudioCapture()
{
    stop();
    m_thread.quit();
    m_thread.wait();
}

QCoro::Task<bool> QtAudioCapture::requestMicrophoneAccess()
{
    co_return true;
}

void QtAudioCapture::installTap(int, int bufferFrames, AudioTap tap)
{
    std::lock_guard lock(m_tap->mutex);
    m_tap->tap = std::move(tap);
    m_tap->bufferFrames = bufferFrames;
}

void QtAudioCapture::removeTap(int)
{
    std::lock_guard lock(m_tap->mutex);
    m_tap->tap = nullptr;
}

void QtAudioCapture::prepare() {}

std::optional<VoiceError> QtAudioCapture::start()
{
    if (m_running)
        return std::nullopt;
    int bufferFrames = 1024;
    {
        std::lock_guard lock(m_tap->mutex);
        bufferFrames = m_tap->bufferFrames;
    }
    const std::shared_ptr<TapSlot> slot = m_tap;
    auto deliver = [slot](const AudioBuffer &buffer) {
        std::lock_guard lock(slot->mutex);
        if (slot->tap)
            slot->tap(buffer);
    };
    // Opening the device is quick but must happen where the source will live.
    std::optional<VoiceError> error;
    QMetaObject::invokeMethod(
        m_worker, [&] { error = m_worker->open(bufferFrames, deliver); },
        Qt::BlockingQueuedConnection);
    m_running = !error;
    return error;
}

void QtAudioCapture::stop()
{
    if (!m_running)
        return;
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->close(); },
                              Qt::BlockingQueuedConnection);
    m_running = false;
}

bool QtAudioCapture::isRunning() const
{
    return m_running;
}

} // namespace vexa::voice
