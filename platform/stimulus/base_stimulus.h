// SPDX-License-Identifier: Apache-2.0
// AIBaseStimulus: the host's description of a frequency-converter sweep.
//
// The sweep holds its whole-sweep stimulus with a per-point companion array, and a list of
// sub-sweeps. Each sub-sweep has a type (0 or 1), a stimulus, a second axis (a per-point
// companion axis) and a per-point list of floats; one sub-sweep index is the selected one.
// Hardware settings live in a generic-parameter collection ("ReceiverFrequencyOffset" among
// them). Two spur-related values (a per-point setting and the spur-avoidance switch) and a list
// whose emptiness gates the band-break set-up complete what the library reads.
//
// This is a stand-in: the library only uses the queries below. Sub-sweep accessors take an index
// 0 <= i < GetSubSweepCount() and throw std::out_of_range otherwise.
#pragma once

#include <vector>

#include "platform/genericparams/gp_collection.h"
#include "platform/measutil/input_array.h"
#include "tessel/core/export.h"

class TESSEL_EXPORT AIBaseStimulus {
  public:
    AIBaseStimulus() : settings_(L"Settings") {}

    const QuorUtility::InputArray& GetStimulus() const { return stimulus_; }
    void SetStimulus(const QuorUtility::InputArray& stimulus) { stimulus_ = stimulus; }
    // The per-point companion array of the whole sweep (may be empty).
    const QuorUtility::InputArray& GetCompanion() const { return companion_; }
    void SetCompanion(const QuorUtility::InputArray& companion) { companion_ = companion; }

    // Appends a sub-sweep and returns its index.
    int AddSubSweep(int type, const QuorUtility::InputArray& stimulus,
                    const QuorUtility::InputArray& secondAxis = {},
                    const std::vector<float>& perPoint = {});
    int GetSubSweepCount() const { return static_cast<int>(subSweeps_.size()); }
    int GetSubSweepType(int i) const { return Sub(i).type; }
    int GetSelectedSubSweep() const { return selected_; }
    void SetSelectedSubSweep(int i) { selected_ = i; }
    // True for a sub-sweep of type 1, or of type 0 that is the selected one.
    bool IsSubSweepActive(int i) const;

    const QuorUtility::InputArray& GetSubSweepStimulus(int i) const { return Sub(i).stimulus; }
    void SetSubSweepStimulus(int i, const QuorUtility::InputArray& s) { Sub(i).stimulus = s; }
    const QuorUtility::InputArray& GetSubSweepSecondAxis(int i) const { return Sub(i).second; }
    void SetSubSweepSecondAxis(int i, const QuorUtility::InputArray& s) { Sub(i).second = s; }
    const std::vector<float>& GetSubSweepPerPoint(int i) const { return Sub(i).perPoint; }
    void SetSubSweepPerPoint(int i, const std::vector<float>& p) { Sub(i).perPoint = p; }

    // The hardware settings of the sweep.
    Hwpi::GPCollection& GetSettings() { return settings_; }
    const Hwpi::GPCollection& GetSettings() const { return settings_; }

    // The list whose emptiness is a precondition of the band-break set-up.
    const std::vector<double>& GetStimulusList() const { return stimulusList_; }
    void SetStimulusList(const std::vector<double>& list) { stimulusList_ = list; }
    // The spur-related value handed to the spur service for every point.
    double GetSpurPointSetting() const { return spurPointSetting_; }
    void SetSpurPointSetting(double value) { spurPointSetting_ = value; }
    bool GetAvoidSpurs() const { return avoidSpurs_; }
    void SetAvoidSpurs(bool on) { avoidSpurs_ = on; }

  private:
    struct SubSweep {
        int type = 0;
        QuorUtility::InputArray stimulus;
        QuorUtility::InputArray second;
        std::vector<float> perPoint;
    };
    const SubSweep& Sub(int i) const;
    SubSweep& Sub(int i);

    QuorUtility::InputArray stimulus_;
    QuorUtility::InputArray companion_;
    std::vector<SubSweep> subSweeps_;
    int selected_ = 0;
    Hwpi::GPCollection settings_;
    std::vector<double> stimulusList_;
    double spurPointSetting_ = 0.0;
    bool avoidSpurs_ = true;
};
