// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/temperature.h"

#include "tessel/core/status.h"

namespace Tessel {

namespace {

constexpr double kFiveNinths = 0.5555555555555556;

double CToF(double c) {
    return c * 1.8 + 32.0;
}
double CToK(double c) {
    return c + 273.15;
}
double FToC(double f) {
    return (f - 32.0) * kFiveNinths;
}
double FToK(double f) {
    return (f + 459.67) * kFiveNinths;
}
double KToC(double k) {
    return k - 273.15;
}
double KToF(double k) {
    return k * 1.8 - 459.67;
}
double Same(double x) {
    return x;
}

using Conversion = double (*)(double);

// The conversion of a (from, to) pair; unknown pairs copy.
Conversion ChooseConversion(NAUnit from, NAUnit to) {
    switch (from) {
        case UnitK:
        case UnitKelvin:
            return to == UnitCelsius ? KToC : to == UnitFahrenheit ? KToF : Same;
        case UnitCelsius:
            return to == UnitKelvin ? CToK : to == UnitFahrenheit ? CToF : Same;
        case UnitFahrenheit:
            return to == UnitKelvin ? FToK : to == UnitCelsius ? FToC : Same;
        default:
            return Same;
    }
}

// A noise factor F as its noise temperature (F - 1)·290 K, computed as F·290 - 290.
double LinearToKelvin(double f) {
    return f * 290.0 - 290.0;
}

template <class Sample, class Read>
long Convert(const Sample* in, float* out, int n, NAUnit from, NAUnit to, Read read) {
    if (n < 1) {
        return kOk;
    }
    if (in == nullptr || out == nullptr) {
        return kInvalidArg;
    }
    const bool fromLinear = from == UnitLinear;
    const Conversion convert = ChooseConversion(fromLinear ? UnitKelvin : from, to);
    for (int i = 0; i < n; ++i) {
        double x = read(in[i]);
        if (fromLinear) {
            x = LinearToKelvin(x);
        }
        out[i] = static_cast<float>(convert(x));
    }
    return kOk;
}

}  // namespace

float C_to_F(float celsius) {
    return static_cast<float>(CToF(celsius));
}
float C_to_Kelvin(float celsius) {
    return static_cast<float>(CToK(celsius));
}
float F_to_C(float fahrenheit) {
    return static_cast<float>(FToC(fahrenheit));
}
float F_to_Kelvin(float fahrenheit) {
    return static_cast<float>(FToK(fahrenheit));
}
float Kelvin_to_C(float kelvin) {
    return static_cast<float>(KToC(kelvin));
}
float Kelvin_to_F(float kelvin) {
    return static_cast<float>(KToF(kelvin));
}

long ConvertTemperature(const float* in, float* out, int n, NAUnit from, NAUnit to) {
    return Convert(in, out, n, from, to, [](float x) { return double(x); });
}

long ConvertTemperature(const TsComplex* in, float* out, int n, NAUnit from, NAUnit to) {
    return Convert(in, out, n, from, to, [](const TsComplex& z) { return double(z.re); });
}

}  // namespace Tessel
