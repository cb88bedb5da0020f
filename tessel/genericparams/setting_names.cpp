// SPDX-License-Identifier: Apache-2.0
// The table of hardware-setting names.
#include "tessel/genericparams/setting_names.h"

namespace Tessel {

// clang-format off
const wchar_t* const kHardwareSettingNames[kHardwareSettingNameCount] = {
    L"EndSweep", L"EndAcqSweeps", L"AcqStartSweep", L"AcqBeforePoint", L"AcqEndSweep", L"sweepNum",
    L"ptNum", L"Aborted", L"ErrorCode", L"LastGroup", L"Production", L"Receivers", L"Trigger",
    L"Spur_Computer", L"RFSrc", L"RFSrc1", L"RFSrc2", L"RFSrc3", L"RFSrc4", L"Path_Manager",
    L"TSControl", L"Pulse", L"IADC", L"Noise_Receiver", L"NoiseTuner", L"PowerDAC", L"PhaseLD",
    L"PowerLD", L"SidebandArray", L"ResultsRatioed", L"Timing", L"Filters", L"ADCCapture",
    L"CompCalstate", L"NRxCalState", L"FastSweepMode", L"SweepOffMode", L"FastCWPointCount",
    L"FastGroupCount", L"CurrentChannel", L"AvoidHetSpur", L"FastCMode", L"FastCFold", L"Stage1",
    L"NCOFreq", L"Stage2", L"Stage3", L"S3_C", L"S3Coefs", L"TriggerState", L"TrigMode",
    L"MeasTriggerInterval", L"TrigPolarity", L"TrigSignal", L"TrigPin", L"TrigAction",
    L"TrigDelay", L"TrigBeforeArmed", L"ReadyPolarity", L"TrigWaitBeforeMove",
    L"DeviceTriggerState", L"AuxTrigCount", L"AuxTrigOutEnabled", L"AuxTrigOutOnPoint",
    L"AuxTrigOutPolarity", L"AuxTrigOutDuration", L"AuxtrigOutPosition", L"AuxTriggerHandshake",
    L"AuxTrigInPolarity", L"AuxTrigSignal", L"AuxTrigDelay", L"Aux1TriggerInterval",
    L"Aux2TriggerInterval", L"RPC1", L"RPC2", L"RPC3", L"RPC4", L"RPC5", L"RPC6", L"RPC7",
    L"ChopMode", L"OffsetMode", L"IFBandwidth", L"IFBandwidthFilter", L"DwellTime",
    L"FirstPointDelay", L"Freq", L"Buckets", L"ReduceBW", L"IFFreq", L"DummyCommand",
    L"PointAverageFactor", L"PointAveragingComponent", L"ReceiverFrequencyOffset",
    L"Meas8Receivers", L"PowerSlope", L"Freq", L"Power", L"StepMode", L"ALCMode", L"SrcCal",
    L"SrcPhSet", L"PortState", L"PortControlSource", L"PwrLimit", L"LogicalPort", L"SourcePort",
    L"RcvPort", L"P1Combiner", L"P2Source", L"SrcFlt", L"R1LoopBypass", L"Src1RearOut",
    L"Src2RearOut", L"SrcAttn", L"RcvAttn", L"RcvStat", L"RcvSwtc", L"RcvPath", L"RcvIFGain",
    L"NBFIFAtn", L"IFGate", L"TSpath", L"PrtBP", L"AAFiltr", L"IFPathAll", L"PModDrv", L"PModEnS1",
    L"PModEnS2", L"PTrgDrv", L"PortNoise", L"NoiseTunerPosition", L"ChanA_R3", L"ChanB_R4",
    L"ChanC_R2", L"ChanD_R1", L"OverrideSrc2Combiner", L"PXIExtLoIn", L"PxiLOOut", L"PxiRefSel",
    L"PulsePeriod", L"PulseWidth", L"PulseDelay", L"PulseInvert", L"PulsePeriodExtTrigger",
    L"PulseEnable", L"SubPointTrigger", L"PulseTrigPolarity", L"PulseTrigSignal", L"Avg",
    L"Enable", L"NoiseMode", L"NoiseAvg", L"NoiseAvgState", L"NoiseBW", L"NoiseGain",
    L"NoiseGainControlMode", L"NoiseTerminationMode", L"NoiseSrcEnable", L"NoiseCompThreshCheck",
    L"NoiseIFGainBypass", L"PMAR_DYNAMIC", L"PMARFreq", L"AfterSweep", L"LD_MEAS_DATA", L"Buckets",
    L"ADCData", L"PSData"};
// clang-format on

}  // namespace Tessel
