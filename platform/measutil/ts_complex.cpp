// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/ts_complex.h"

#include <complex>

namespace QuorUtility {

const TsComplex TsComplex::m_minus200dB(1.0e-10f, 0.0f);
double TsComplex::m_logMagZeroValue = -200.0;

double TsComplex::LogMag() const {
    const double m2 = MagSquared();
    if (m2 == 0.0) {
        return m_logMagZeroValue;
    }
    // 10·log10(|z|²) avoids a square root and equals 20·log10|z|.
    return 10.0 * std::log10(m2);
}

double TsComplex::SWR() const {
    const double g = Mag();
    if (!(g < 1.0)) {
        return m_maxSWR;
    }
    return std::fmin((1.0 + g) / (1.0 - g), m_maxSWR);
}

namespace {
std::complex<double> ToDouble(const TsComplex& z) {
    return {double(z.re), double(z.im)};
}
TsComplex ToFloat(const std::complex<double>& z) {
    return TsComplex(static_cast<float>(z.real()), static_cast<float>(z.imag()));
}
}  // namespace

TsComplex TsComplex::Impedance(const TsComplex& z0) const {
    const std::complex<double> g = ToDouble(*this);
    return ToFloat(ToDouble(z0) * (1.0 + g) / (1.0 - g));
}

TsComplex TsComplex::Admittance(const TsComplex& z0) const {
    const std::complex<double> g = ToDouble(*this);
    return ToFloat((1.0 - g) / (ToDouble(z0) * (1.0 + g)));
}

}  // namespace QuorUtility
