// SPDX-License-Identifier: Apache-2.0
// INAHardwareCaps: the instrument's hardware bands as the host application describes them.
//
// Frequencies are in Hz. The bands are delimited by the positive entries of the band-break list
// (GetBandBreak) together with the additional breaks; a break frequency itself belongs to the
// band below it, so band n holds the frequencies above exactly n breaks.
#pragma once

#include <vector>

#include "tessel/core/export.h"

class TESSEL_EXPORT INAHardwareCaps {
  public:
    virtual ~INAHardwareCaps() = default;

    // Number of entries of the band-break list.
    virtual int GetBandBreakCount() const = 0;
    // Band break `index` (0-based); 0.0 for an index outside 0..count-1. Entries may be 0.0,
    // which callers skip.
    virtual double GetBandBreak(int index) const = 0;
    // A further list of break frequencies, not necessarily sorted.
    virtual std::vector<double> GetAdditionalBandBreaks() const = 0;

    // The number of the band that holds `frequency` (0 for the band below the first break).
    virtual int GetBandNumber(double frequency) const = 0;
    // Whether band `band` carries a frequency offset (its value may still be 0).
    virtual bool BandHasFrequencyOffset(int band) const = 0;
    // The frequency offset at `frequency`: that of its band, 0.0 when the band carries none.
    virtual double GetFrequencyOffset(double frequency) const = 0;

    // The instrument's frequency range.
    virtual void GetFrequencyRange(double& minimum, double& maximum) const = 0;

    // An integer rating of `frequency`; `path` -1 asks for the instrument as a whole. The
    // stand-in rates by LO harmonic: 1 in the fundamental range, n in the n-th harmonic range.
    virtual int GetFrequencyRating(double frequency, int path) const = 0;
};
