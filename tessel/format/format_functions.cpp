#include "tessel/format/format_functions.h"

#include <cmath>

#include "tessel/format/internal/format_math.h"

namespace Tessel {

using internal::MapSamples;

namespace {

// True when [first, last) is a non-empty run that does not fit a vector of `size` elements.
bool RangeOutside(int first, int last, std::size_t size) {
    return first < last && (first < 0 || static_cast<std::size_t>(last) > size);
}

double Real(const TsComplex& z) {
    return z.re;
}
double Imag(const TsComplex& z) {
    return z.im;
}
double LinMag(const TsComplex& z) {
    return z.Mag();
}
double PhaseOf(const TsComplex& z) {
    return z.Phase();
}
double LogMagOf(const TsComplex& z) {
    return z.LogMag();
}
double SwrOf(const TsComplex& z) {
    return z.SWR();
}

}  // namespace

long FormatDataLogMag(const TsComplex* in, float* out, int n) {
    return MapSamples(in, out, n, LogMagOf);
}

long FormatDataLogMag(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return MapSamples(in, out, LogMagOf);
}

long FormatDataLogMag(const std::vector<TsComplex>& in, std::vector<float>& out, int first,
                      int last) {
    if (first >= last) {
        return kOk;
    }
    if (RangeOutside(first, last, in.size())) {
        return kInvalidArg;
    }
    if (out.size() < static_cast<std::size_t>(last)) {
        out.resize(last);
    }
    for (int i = first; i < last; ++i) {
        out[i] = static_cast<float>(in[i].LogMag());
    }
    return kOk;
}

long FormatData10LogMag(const TsComplex* in, float* out, int n) {
    const double zero = TsComplex::m_logMagZeroValue;
    return MapSamples(in, out, n, [zero](const TsComplex& z) {
        return internal::PowerToDb(std::fabs(double(z.re)), zero);
    });
}

long FormatDataLinMag(const TsComplex* in, float* out, int n) {
    return MapSamples(in, out, n, LinMag);
}

long FormatDataLinMag(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return MapSamples(in, out, LinMag);
}

long FormatDataPhase(const TsComplex* in, float* out, int n) {
    return MapSamples(in, out, n, PhaseOf);
}

long FormatDataPhase(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return MapSamples(in, out, PhaseOf);
}

long FormatDataPhase(const TsComplex* in, float* out, int first, int last, bool unwrap) {
    if (first >= last) {
        return kOk;
    }
    if (first < 0 || in == nullptr || out == nullptr) {
        return kInvalidArg;
    }
    if (!unwrap) {
        for (int i = first; i < last; ++i) {
            out[i] = static_cast<float>(in[i].Phase());
        }
        return kOk;
    }
    // Turn count, kept as an integral double so that a garbage earlier run cannot overflow it.
    double turns = 0.0;
    if (first > 1) {
        turns = std::trunc((double(out[first - 1]) - double(out[0])) * internal::kInvTwoPi);
    }
    // The previous value stays in double inside the run, so that a step of exactly ±π between
    // two samples is seen as exactly ±π and not as the float-rounded neighbour.
    double previous = first > 0 ? double(out[first - 1]) : 0.0;
    for (int i = first; i < last; ++i) {
        double value = turns * internal::kTwoPi + in[i].Phase();
        if (i > 0) {
            const double step = value - previous;
            if (step < -internal::kPi) {
                turns += 1.0;
                value += internal::kTwoPi;
            } else if (step > internal::kPi) {
                turns -= 1.0;
                value -= internal::kTwoPi;
            }
        }
        out[i] = static_cast<float>(value);
        previous = value;
    }
    return kOk;
}

long FormatDataPhase(const std::vector<TsComplex>& in, std::vector<float>& out, int first, int last,
                     bool unwrap) {
    if (RangeOutside(first, last, in.size())) {
        return kInvalidArg;
    }
    out.resize(in.size());
    return FormatDataPhase(in.data(), out.data(), first, last, unwrap);
}

long FormatDataSWR(const TsComplex* in, float* out, int n) {
    return MapSamples(in, out, n, SwrOf);
}

long FormatDataSWR(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return MapSamples(in, out, SwrOf);
}

long FormatDataReal(const TsComplex* in, float* out, int n) {
    return MapSamples(in, out, n, Real);
}

long FormatDataReal(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return MapSamples(in, out, Real);
}

long FormatDataImag(const TsComplex* in, float* out, int n) {
    return MapSamples(in, out, n, Imag);
}

long FormatDataImag(const std::vector<TsComplex>& in, std::vector<float>& out) {
    return MapSamples(in, out, Imag);
}

long FormatNoiseDensity(const TsComplex* in, float* out, int n) {
    const double zero = TsComplex::m_logMagZeroValue;
    return MapSamples(in, out, n, [zero](const TsComplex& z) {
        return internal::PowerToDb(std::fabs(double(z.re)) * internal::kBoltzmannMilli, zero);
    });
}

}  // namespace Tessel
