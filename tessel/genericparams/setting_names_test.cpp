// SPDX-License-Identifier: Apache-2.0
#include "tessel/genericparams/setting_names.h"

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace Tessel {
namespace {

// The hardware layer's setting names in its order, separated by spaces.
const wchar_t* const kExpectedNames =
    L"EndSweep EndAcqSweeps AcqStartSweep AcqBeforePoint AcqEndSweep sweepNum ptNum Aborted "
    L"ErrorCode LastGroup Production Receivers Trigger Spur_Computer RFSrc RFSrc1 RFSrc2 RFSrc3 "
    L"RFSrc4 Path_Manager TSControl Pulse IADC Noise_Receiver NoiseTuner PowerDAC PhaseLD "
    L"PowerLD SidebandArray ResultsRatioed Timing Filters ADCCapture CompCalstate NRxCalState "
    L"FastSweepMode SweepOffMode FastCWPointCount FastGroupCount CurrentChannel AvoidHetSpur "
    L"FastCMode FastCFold Stage1 NCOFreq Stage2 Stage3 S3_C S3Coefs TriggerState TrigMode "
    L"MeasTriggerInterval TrigPolarity TrigSignal TrigPin TrigAction TrigDelay TrigBeforeArmed "
    L"ReadyPolarity TrigWaitBeforeMove DeviceTriggerState AuxTrigCount AuxTrigOutEnabled "
    L"AuxTrigOutOnPoint AuxTrigOutPolarity AuxTrigOutDuration AuxtrigOutPosition "
    L"AuxTriggerHandshake AuxTrigInPolarity AuxTrigSignal AuxTrigDelay Aux1TriggerInterval "
    L"Aux2TriggerInterval RPC1 RPC2 RPC3 RPC4 RPC5 RPC6 RPC7 ChopMode OffsetMode IFBandwidth "
    L"IFBandwidthFilter DwellTime FirstPointDelay Freq Buckets ReduceBW IFFreq DummyCommand "
    L"PointAverageFactor PointAveragingComponent ReceiverFrequencyOffset Meas8Receivers "
    L"PowerSlope Freq Power StepMode ALCMode SrcCal SrcPhSet PortState PortControlSource "
    L"PwrLimit LogicalPort SourcePort RcvPort P1Combiner P2Source SrcFlt R1LoopBypass "
    L"Src1RearOut Src2RearOut SrcAttn RcvAttn RcvStat RcvSwtc RcvPath RcvIFGain NBFIFAtn IFGate "
    L"TSpath PrtBP AAFiltr IFPathAll PModDrv PModEnS1 PModEnS2 PTrgDrv PortNoise "
    L"NoiseTunerPosition ChanA_R3 ChanB_R4 ChanC_R2 ChanD_R1 OverrideSrc2Combiner PXIExtLoIn "
    L"PxiLOOut PxiRefSel PulsePeriod PulseWidth PulseDelay PulseInvert PulsePeriodExtTrigger "
    L"PulseEnable SubPointTrigger PulseTrigPolarity PulseTrigSignal Avg Enable NoiseMode "
    L"NoiseAvg NoiseAvgState NoiseBW NoiseGain NoiseGainControlMode NoiseTerminationMode "
    L"NoiseSrcEnable NoiseCompThreshCheck NoiseIFGainBypass PMAR_DYNAMIC PMARFreq AfterSweep "
    L"LD_MEAS_DATA Buckets ADCData PSData";

TEST(SettingNamesTest, HoldsTheHardwareLayersNamesInOrderWithTheirRepeats) {
    std::wistringstream in(kExpectedNames);
    std::vector<std::wstring> expected;
    for (std::wstring name; in >> name;)
        expected.push_back(name);
    ASSERT_EQ(expected.size(), kHardwareSettingNameCount);
    std::map<std::wstring, std::vector<std::size_t>> positions;
    for (std::size_t i = 0; i < kHardwareSettingNameCount; ++i) {
        ASSERT_NE(kHardwareSettingNames[i], nullptr) << i;
        EXPECT_EQ(kHardwareSettingNames[i], expected[i]) << i;
        positions[kHardwareSettingNames[i]].push_back(i);
    }
    EXPECT_EQ(positions.size(), 166u);
    EXPECT_EQ(positions[L"Freq"], (std::vector<std::size_t>{86, 96}));
    EXPECT_EQ(positions[L"Buckets"], (std::vector<std::size_t>{87, 165}));
}

}  // namespace
}  // namespace Tessel
