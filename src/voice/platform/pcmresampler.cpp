#include "pcmresampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vexa::voice {

namespace {
constexpr int kZeroCrossings = 16;   // per side, at the output rate
constexpr int kTableResolution = 256; // kernel samples per input sample
} // namespace

PcmResampler::PcmResampler(int outputRate) : m_outputRate(outputRate) {}

int16_t PcmResampler::toPcm16(float sample)
{
    if (std::isnan(sample))
        return 0;
    const float scaled = std::nearbyint(std::clamp(sample, -1.0f, 1.0f) * 32768.0f);
    return int16_t(std::clamp(scaled, -32768.0f, 32767.0f));
}

void PcmResampler::reset(int inputRate)
{
    m_inputRate = inputRate;
    m_input.clear();
    m_table.clear();
    m_halfWidth = 0;
    if (inputRate == m_outputRate || inputRate <= 0)
        return;
    m_step = double(inputRate) / m_outputRate;
    m_cutoff = std::min(1.0, double(m_outputRate) / inputRate);
    m_halfWidth = int(std::ceil(kZeroCrossings / m_cutoff));
    // Blackman-windowed sinc, tabulated once per rate.
    const int entries = m_halfWidth * kTableResolution + 2;
    m_table.resize(size_t(entries));
    for (int i = 0; i < entries; ++i) {
        const double u = double(i) / kTableResolution;
        const double v = std::min(1.0, u / m_halfWidth);
        const double window = 0.42 + 0.5 * std::cos(std::numbers::pi * v)
                              + 0.08 * std::cos(2 * std::numbers::pi * v);
        const double x = std::numbers::pi * m_cutoff * u;
        const double sinc = u == 0.0 ? 1.0 : std::sin(x) / x;
        m_table[size_t(i)] = float(m_cutoff * sinc * window);
    }
    // Silence before the stream, so the first output needs no special case.
    m_input.assign(size_t(m_halfWidth), 0.0f);
    m_position = m_halfWidth;
}

float PcmResampler::kernel(double offset) const
{
    const double index = std::abs(offset) * kTableResolution;
    const auto i = size_t(index);
    if (i + 1 >= m_table.size())
        return 0.0f;
    const float fraction = float(index - double(i));
    return m_table[i] + (m_table[i + 1] - m_table[i]) * fraction;
}

void PcmResampler::push(const float *samples, qsizetype count, int inputRate,
                        std::vector<int16_t> &out)
{
    if (inputRate != m_inputRate) {
        flush(out);
        reset(inputRate);
    }
    if (!samples || count <= 0 || inputRate <= 0)
        return;
    if (inputRate == m_outputRate) {
        for (qsizetype i = 0; i < count; ++i)
            out.push_back(toPcm16(samples[i]));
        return;
    }
    m_input.insert(m_input.end(), samples, samples + count);
    drain(out);
}

void PcmResampler::drain(std::vector<int16_t> &out)
{
    // An output needs input up to m_halfWidth samples after its own time.
    while (m_position + m_halfWidth < double(m_input.size())) {
        const auto centre = qsizetype(std::floor(m_position));
        double sum = 0.0;
        for (qsizetype k = centre - m_halfWidth + 1; k <= centre + m_halfWidth; ++k)
            sum += m_input[size_t(k)] * kernel(m_position - double(k));
        out.push_back(toPcm16(float(sum)));
        m_position += m_step;
    }
    // Keep only the history the next output can reach.
    const qsizetype keepFrom = qsizetype(std::floor(m_position)) - m_halfWidth;
    if (keepFrom > 0) {
        m_input.erase(m_input.begin(), m_input.begin() + keepFrom);
        m_position -= double(keepFrom);
    }
}

void PcmResampler::flush(std::vector<int16_t> &out)
{
    if (m_inputRate > 0 && m_inputRate != m_outputRate && !m_input.empty()) {
        // Outputs up to the last real input sample, with silence after it.
        m_input.insert(m_input.end(), size_t(m_halfWidth), 0.0f);
        drain(out);
    }
    m_inputRate = 0;
    m_input.clear();
}

} // namespace vexa::voice
