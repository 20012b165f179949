#pragma once

#include <vector>

namespace plinkum {

// A second-order filter section from the RBJ audio EQ cookbook, in transposed direct form II.
// The generator's one filter: the recording import cleans with it, the derived switches are shaped with it.
class Biquad {
public:
    static Biquad highPass(double frequency, double sampleRate); // Butterworth, Q = 1/sqrt(2)
    static Biquad lowPass(double frequency, double sampleRate); // Butterworth, Q = 1/sqrt(2)
    static Biquad notch(double frequency, double q, double sampleRate);
    // Equalisers: `gain` dB at the centre (peak) or beyond the corner (shelves, slope 1).
    static Biquad peak(double frequency, double q, double gain, double sampleRate);
    static Biquad lowShelf(double frequency, double gain, double sampleRate);
    static Biquad highShelf(double frequency, double gain, double sampleRate);

    double operator()(double in)
    {
        const double out = m_b0 * in + m_z1;
        m_z1 = m_b1 * in - m_a1 * out + m_z2;
        m_z2 = m_b2 * in - m_a2 * out;
        return out;
    }

    // Filters a whole sound in place, starting from rest.
    void apply(std::vector<float> &frames) const;

private:
    Biquad(double b0, double b1, double b2, double a1, double a2) : m_b0(b0), m_b1(b1), m_b2(b2), m_a1(a1), m_a2(a2) {}

    double m_b0, m_b1, m_b2, m_a1, m_a2;
    double m_z1 = 0, m_z2 = 0;
};

} // namespace plinkum
