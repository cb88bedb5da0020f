// SPDX-License-Identifier: Apache-2.0
// TimeDomain: the transform of a trace's frequency response into its response over time.
//
// A TimeDomain keeps the transform settings (start and stop time, Kaiser window, transform
// mode, DC value, stimulus grid), answers questions about them (impulse width, step rise time,
// alias-free time range) and executes the transform. Three transforms exist, each a windowed
// inverse Fourier sum evaluated at M = N evenly spaced times t_m = t0 + m·(t1 - t0)/(M - 1):
//
//   BandPass        out[m] = sum_{n<N} in[n]·w[n]·exp(+j·2π·(f0 + n·Δf)·t_m),
//                   Δf = (f1 - f0)/(N - 1), w a Kaiser window of N points scaled to unit sum.
//                   The output is complex and keeps the phase factor of the start frequency.
//   LowPassStep     out[m] = Re sum_{k=1..N} -j·in[k-1]·w[k]/(k·π)·exp(+j·2π·k·Δf·t_m)
//                            + dc·(f0·t_m + φ/(2π) + 0.5),
//                   on the harmonic grid Δf = f1/N; w the right half of a Kaiser window of
//                   2N + 1 points; φ the phase of in[0] (of -in[0] for a negative dc).
//   LowPassImpulse  out[m] = Re (dc·w[0] + sum_{k=1..N} in[k-1]·w[k]·exp(+j·2π·k·Δf·t_m)),
//                   w the right half of a Kaiser window of 2N + 1 points with its centre
//                   halved, scaled to unit sum.
// Low-pass outputs have imaginary parts exactly 0.
//
// The sums are evaluated by a chirp-z transform on power-of-two FFTs: one forward and one
// inverse FFT of the next power of two >= 2N - 1 (2N in the low-pass modes) plus linear work.
// Everything that depends only on the settings (the window and the chirp tables, including
// the transformed chirp) is cached and rebuilt by the first Execute after a setting change.
//
// Copies of a TimeDomain share one state; they are used from one thread at a time.
#pragma once

#include <memory>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "tessel/core/export.h"
#include "tessel/core/types.h"

namespace Tessel {

struct TimeDomainState;

class TESSEL_EXPORT TimeDomain {
  public:
    enum TransformMode : int { BandPass = 0, LowPassStep = 1, LowPassImpulse = 2 };
    // The named class of the Kaiser beta.
    enum WindowShape : int { Minimum = 0, Normal = 1, Maximum = 2, Custom = 3 };

    // A new state: the preset start and stop time and beta, shape Normal, mode BandPass,
    // 201 points, start and stop frequency 1 GHz, DC value 0.
    TimeDomain();
    // Copies share the state.
    TimeDomain(const TimeDomain& other);
    TimeDomain& operator=(const TimeDomain& other);
    ~TimeDomain();

    // value when usePlainValue, else value·cos(-phaseDegrees·π/180).
    static double ComputeDCValue(double value, bool usePlainValue, double phaseDegrees);

    // Process-wide presets read by the constructor only; each setter returns the previous
    // preset. Initially -10 ns, 10 ns and 6. A start after the preset stop, a stop before the
    // preset start, a time the transform could not compute with on a new object's grid, and a
    // NaN or infinite beta are refused: the preset stays (compare it with the value set). A
    // beta outside 0..13 is clamped.
    static double SetPresetStartTime(double seconds);
    static double SetPresetStopTime(double seconds);
    static double SetPresetKaiserBeta(double beta);
    static double GetPresetStartTime();
    static double GetPresetStopTime();
    static double GetPresetKaiserBeta();

    double GetKaiserBetaMin() const { return 0.0; }
    double GetKaiserBetaMax() const { return 13.0; }
    double GetKaiserBetaNorm() const { return 6.0; }

    // Clears the change marker; returns 0.
    long Validate();
    // True after an accepted setting change until Validate.
    bool IsModified() const;

    double GetStartTime() const;
    double GetStopTime() const;
    double GetSpanTime() const;
    double GetCenterTime() const;
    double GetKaiserBeta() const;
    double GetDCValue() const;
    unsigned GetTimePoints() const;
    WindowShape GetWindowShape() const;
    TransformMode GetTransformMode() const;
    // The stimulus grid; returns 0.
    long GetFrequencyData(double& start, double& stop, unsigned& points) const;
    // The alias-free time limit L = (points - 1)/|stop - start| (10000 s for fewer than 2
    // points, infinite for a zero span). Returns 0x8000FFFF, writing nothing, with fewer than
    // 2 points or a null pointer.
    long GetTimeLimitValue(double* limit) const;

    // Setter results: 0 accepted, 1 accepted after clamping to -L..L, 2 equal to the current
    // value (nothing changed). Every setter taking a double refuses NaN and infinities with
    // 0x80070057 and changes nothing. So do the time and grid setters for settings that would
    // overflow the transform's phases: 2π·(|f0| + |f1|)·(|t0| + |t1|)·32 must stay finite
    // (1e300 s on a 1 GHz grid is refused; any time a measurement could use is not).

    // Stores the stimulus grid (the number of time points follows); 0 also when unchanged.
    long SetFrequencyData(double start, double stop, unsigned points);
    // Always 0x80004001: the number of time points follows the number of frequency points.
    long SetTimePoints(unsigned points);
    // Clamps to -L..L when clamp is set; a start after the stop moves the stop with it (and a
    // stop before the start moves the start).
    long SetStartTime(double seconds, bool clamp);
    long SetStopTime(double seconds, bool clamp);
    // Moves the centre (clamped to -L..L), shrinking the span symmetrically to fit.
    long SetCenterTime(double seconds);
    // Sets the span around the current centre; a negative span becomes 0.
    long SetSpanTime(double seconds);
    // Clamps beta to 0..13 (without result 1) and derives the shape: 0 Minimum, 6 (±1e-4)
    // Normal, 13 Maximum, anything else Custom.
    long SetKaiserBeta(double beta);
    // Sets beta 0, 6 or 13 for Minimum, Normal and Maximum; Custom keeps beta. A value outside
    // 0..3 returns 0x80070057.
    long SetWindowShape(WindowShape shape);
    // No range check here: a mode outside 0..2 fails in Execute.
    long SetTransformMode(TransformMode mode);
    // Returns 0 also when the value is unchanged.
    long SetDCValue(double value);

    // Impulse width for the stored span f1 - f0 or the given span; 0 for a zero span. The
    // band-pass width is twice the low-pass width.
    double GetImpulseWidth() const;
    double GetImpulseWidth(double span) const;
    // Step rise time for the stored or the given span; 0 for a zero span.
    double GetStepRiseTime() const;
    double GetStepRiseTime(double span) const;
    // Widths at beta 0 (min) and 13 (max) for the stored |span|.
    void GetMinMaxImpulseWidth(double& min, double& max) const;
    void GetMinMaxStepRiseTime(double& min, double& max) const;
    // Choose beta from a width or rise time (for the stored signed span, or the given one).
    long SetImpulseWidth(double width);
    long SetImpulseWidth(double width, double span);
    long SetStepRiseTime(double rise);
    long SetStepRiseTime(double rise, double span);

    // Transforms the first N = frequency-point samples of in into out (resized to the time
    // points). Returns 0; 0x8000FFFF with out untouched for a mode outside 0..2, fewer than 2
    // or more than 2^28 points; 0x80070057 with out untouched when in holds fewer than N
    // samples.
    long Execute(const std::vector<TsComplex>& in, std::vector<TsComplex>& out);
    // Runs the vector form on inCount samples and writes outCount samples (-1: inCount),
    // zeros past the transform's points or when it failed. Returns 0, or 0x80070057 for a null
    // array with a nonzero count or a negative count.
    long Execute(const TsComplex* in, TsComplex* out, int inCount, int outCount);

    // Diagnostic: how many times Execute has rebuilt the cached window and chirp tables.
    unsigned long GetCacheBuildCount() const;

  private:
    boost::shared_ptr<TimeDomainState> m_state;
};

namespace internal {
class ChirpZ;
}

// The shared state of a TimeDomain.
struct TESSEL_EXPORT TimeDomainState {
    TimeDomainState();
    ~TimeDomainState();
    TimeDomainState(const TimeDomainState&) = delete;
    TimeDomainState& operator=(const TimeDomainState&) = delete;

    bool modified = true;     // set by every accepted change, cleared by Validate
    bool windowDirty = true;  // set by every accepted change, cleared by a cache rebuild
    double startTime;         // s
    double stopTime;          // s
    double impulseWidthFactor;
    double stepRiseFactor;
    double kaiserBeta;
    double dcValue = 0.0;
    unsigned timePoints = 201;
    unsigned frequencyPoints = 201;
    TimeDomain::WindowShape windowShape = TimeDomain::Normal;
    TimeDomain::TransformMode transformMode = TimeDomain::BandPass;
    double startFrequency = 1e9;  // Hz
    double stopFrequency = 1e9;   // Hz
    std::vector<float> window;    // cached window of the last Execute

    // Cached chirp-z tables of the last Execute, rebuilt together with the window.
    std::unique_ptr<internal::ChirpZ> chirp;
    unsigned long cacheBuilds = 0;
};

}  // namespace Tessel
