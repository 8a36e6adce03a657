#pragma once

#include <QtGlobal>

#include <cstdint>
#include <vector>

namespace vexa::voice {

// Streaming conversion of mono float audio at any rate to 16-bit PCM at a fixed rate, for the
// recognizer. Equal rates convert sample by sample; other rates go through a windowed-sinc
// low-pass filter, so a 48 kHz microphone does not fold its upper band into speech.
class PcmResampler
{
public:
    explicit PcmResampler(int outputRate = 16000);

    int outputRate() const { return m_outputRate; }
    // Converts and appends to `out`. A change of input rate finishes the old stream first.
    void push(const float *samples, qsizetype count, int inputRate, std::vector<int16_t> &out);
    // Emits what the filter still holds; the next push starts a fresh stream.
    void flush(std::vector<int16_t> &out);

    static int16_t toPcm16(float sample);

private:
    void reset(int inputRate);
    void drain(std::vector<int16_t> &out);
    float kernel(double offset) const;

    int m_outputRate;
    int m_inputRate = 0;
    double m_step = 1.0;   // input samples per output sample
    double m_cutoff = 1.0; // fraction of the input band that passes
    int m_halfWidth = 0;   // filter half width, in input samples
    std::vector<float> m_table;
    std::vector<float> m_input; // history, starting m_halfWidth samples before stream start
    double m_position = 0.0;    // next output's time, in samples of m_input
};

} // namespace vexa::voice
