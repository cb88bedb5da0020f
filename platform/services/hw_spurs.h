// SPDX-License-Identifier: Apache-2.0
// IHWSpurs: the instrument's spur service.
//
// For one piece of a stimulus it answers, per point, a value that changes wherever the hardware
// changes its spur-avoidance state; a change between neighbouring points marks a point where
// the phase of a frequency-converter sweep must be stitched.
#pragma once

#include <vector>

#include "tessel/core/export.h"

class TESSEL_EXPORT IHWSpurs {
  public:
    virtual ~IHWSpurs() = default;

    // Computes the spurs of the stimulus piece `frequencies` (Hz).
    //   pointSettings: one spur-related value of the host stimulus per point (as long as
    //                  `frequencies`);
    //   spurFrequencies: out, the spur frequencies that fall within the piece, ascending;
    //   mode, margin, options: host parameters (callers pass 0, 0.0, 0);
    //   stimulusList: the host stimulus' list whose emptiness the caller tests;
    //   avoidSpurs: the host stimulus' spur-avoidance setting;
    //   pointValues: out, one value per point of the piece.
    // Returns 0, or 0x80070057 when `pointSettings` is neither empty nor as long as the piece
    // (the outputs are then emptied).
    virtual long ComputeSpurs(const std::vector<double>& frequencies,
                              const std::vector<double>& pointSettings,
                              std::vector<double>& spurFrequencies, int mode, double margin,
                              const std::vector<double>& stimulusList, int options, bool avoidSpurs,
                              std::vector<double>& pointValues) const = 0;
};
