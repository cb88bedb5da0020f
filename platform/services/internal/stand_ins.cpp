// SPDX-License-Identifier: Apache-2.0
#include "platform/services/internal/stand_ins.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/services/host_services.h"
#include "platform/services/internal/service_registry.h"
#include "tessel/core/status.h"

namespace HostServices::internal {
namespace {

const TestSetConfig& TestSet() {
    return CurrentConfiguration().testSet;
}
const HardwareConfig& Hardware() {
    return CurrentConfiguration().hardware;
}

bool IsSharedR(int referencePort) {
    return referencePort == kSlotMapSharedR || referencePort == kSlotMapSharedRWithReferences;
}

void AddTestNames(int port, std::vector<std::wstring>& names) {
    names.push_back(L"b" + std::to_wstring(port));
    if (port >= 1 && port <= 26) {
        names.push_back(std::wstring(1, static_cast<wchar_t>(L'A' + port - 1)));
    }
}

void AddReferenceNames(int port, std::vector<std::wstring>& names) {
    names.push_back(L"a" + std::to_wstring(port));
    names.push_back(L"R" + std::to_wstring(port));
}

// The receiver names a slot knows by its map entry: the shared R slot is known as R (and, when
// marked 100001, by the reference receivers of ports 1 to 4); any other slot by the names of its
// test port and of its reference port.
std::vector<std::wstring> SlotNames(const SlotMapEntry& entry) {
    std::vector<std::wstring> names;
    if (IsSharedR(entry.referencePort)) {
        names.push_back(L"R");
        if (entry.referencePort == kSlotMapSharedRWithReferences) {
            for (int port = 1; port <= 4; ++port) {
                AddReferenceNames(port, names);
            }
        }
        return names;
    }
    if (entry.testPort != -1) {
        AddTestNames(entry.testPort, names);
    }
    if (entry.referencePort != -1) {
        AddReferenceNames(entry.referencePort, names);
    }
    return names;
}

class StandInTestSetImpl final : public ITestSet {
  public:
    int GetPortCount() const override { return TestSet().portCount; }
    int GetInternalPortCount() const override { return TestSet().internalPortCount; }
    int GetSourceCount() const override { return TestSet().sourceCount; }
    int GetIFMuxSlotCount() const override { return static_cast<int>(TestSet().slotMap.size()); }

    bool GetSlotMap(int slot, bool eightChannel, int& testPort, int& referencePort) const override {
        const auto& map = eightChannel ? TestSet().eightChannelSlotMap : TestSet().slotMap;
        testPort = referencePort = -1;
        if (slot < 0 || slot >= static_cast<int>(map.size())) {
            return false;
        }
        testPort = map[slot].testPort;
        referencePort = map[slot].referencePort;
        return true;
    }

    int GetSlotNumber(const std::wstring& name) const override {
        const std::wstring receiver = name.substr(0, name.find_first_of(L",_"));
        const auto& map = TestSet().slotMap;
        for (std::size_t slot = 0; slot < map.size(); ++slot) {
            const auto names = SlotNames(map[slot]);
            if (std::find(names.begin(), names.end(), receiver) != names.end()) {
                return static_cast<int>(slot) + 1;
            }
        }
        return 0;
    }

    bool ReferenceRatiosNeedFlippedSlots() const override {
        return TestSet().referenceRatiosNeedFlippedSlots;
    }
};

// The positive breaks of both lists, ascending: the edges between bands.
std::vector<double> BandEdges() {
    std::vector<double> edges;
    for (const auto* list : {&Hardware().bandBreaks, &Hardware().additionalBandBreaks}) {
        std::copy_if(list->begin(), list->end(), std::back_inserter(edges),
                     [](double f) { return f > 0.0; });
    }
    std::sort(edges.begin(), edges.end());
    return edges;
}

// Number of values in `sorted` strictly below `f`.
int CountBelow(const std::vector<double>& sorted, double f) {
    return static_cast<int>(std::lower_bound(sorted.begin(), sorted.end(), f) - sorted.begin());
}

class StandInHardwareCapsImpl final : public INAHardwareCaps {
  public:
    int GetBandBreakCount() const override {
        return static_cast<int>(Hardware().bandBreaks.size());
    }
    double GetBandBreak(int index) const override {
        const auto& breaks = Hardware().bandBreaks;
        return index >= 0 && index < static_cast<int>(breaks.size()) ? breaks[index] : 0.0;
    }
    std::vector<double> GetAdditionalBandBreaks() const override {
        return Hardware().additionalBandBreaks;
    }
    int GetBandNumber(double frequency) const override {
        return CountBelow(BandEdges(), frequency);
    }
    bool BandHasFrequencyOffset(int band) const override {
        return Hardware().bandOffsets.count(band) != 0;
    }
    double GetFrequencyOffset(double frequency) const override {
        const auto& offsets = Hardware().bandOffsets;
        const auto it = offsets.find(GetBandNumber(frequency));
        return it == offsets.end() ? 0.0 : it->second;
    }
    void GetFrequencyRange(double& minimum, double& maximum) const override {
        minimum = Hardware().minFrequency;
        maximum = Hardware().maxFrequency;
    }
    int GetFrequencyRating(double frequency,
                           int /*path: one rating for every path*/) const override {
        std::vector<double> steps = Hardware().ratingSteps;
        std::sort(steps.begin(), steps.end());
        return 1 + CountBelow(steps, frequency);
    }
};

// Spur avoidance changes state at every configured spur: a point's value counts the spurs
// below its frequency, so neighbouring points on either side of a spur differ.
class StandInSpursImpl final : public IHWSpurs {
  public:
    long ComputeSpurs(const std::vector<double>& frequencies,
                      const std::vector<double>& pointSettings,
                      std::vector<double>& spurFrequencies, int /*mode*/, double /*margin*/,
                      const std::vector<double>& /*stimulusList*/, int /*options*/, bool avoidSpurs,
                      std::vector<double>& pointValues) const override {
        spurFrequencies.clear();
        pointValues.clear();
        if (!pointSettings.empty() && pointSettings.size() != frequencies.size()) {
            return Tessel::kInvalidArg;
        }
        std::vector<double> spurs = CurrentConfiguration().spurFrequencies;
        std::sort(spurs.begin(), spurs.end());
        if (!frequencies.empty()) {
            const auto [lo, hi] = std::minmax_element(frequencies.begin(), frequencies.end());
            std::copy_if(spurs.begin(), spurs.end(), std::back_inserter(spurFrequencies),
                         [lo = *lo, hi = *hi](double f) { return f >= lo && f <= hi; });
        }
        for (const double f : frequencies) {
            pointValues.push_back(avoidSpurs ? CountBelow(spurs, f) : 0.0);
        }
        return Tessel::kOk;
    }
};

// The core leads to whatever test set is current: an installed one, else the stand-in.
class StandInCoreImpl final : public QuorApp::IQuorCore {
  public:
    ITestSet* GetTestSet() override { return ServiceRegistry::Instance().Find<ITestSet>(); }
};

const AuxReceiver* FindAux(const std::wstring& name) {
    for (const auto& receiver : CurrentConfiguration().auxReceivers) {
        if (receiver.name == name) {
            return &receiver;
        }
    }
    return nullptr;
}

class StandInAuxReceiversImpl final : public Interface::IAuxReceiverManager {
  public:
    int GetReceiverCount() const override {
        return static_cast<int>(CurrentConfiguration().auxReceivers.size());
    }
    bool FindReceiver(const std::wstring& name, int& property) const override {
        const AuxReceiver* receiver = FindAux(name);
        if (receiver == nullptr) {
            return false;
        }
        property = receiver->property;
        return true;
    }
    bool FindCatalogueReceiver(const std::wstring& name, std::wstring& catalogueName,
                               bool& ordered) const override {
        const AuxReceiver* receiver = FindAux(name);
        if (receiver == nullptr || receiver->catalogueName.empty()) {
            return false;
        }
        catalogueName = receiver->catalogueName;
        ordered = receiver->ordered;
        return true;
    }
};

class StandInErrorReportImpl final : public QuorApp::IReportErrorInternal {
  public:
    long ReportError(long code, const std::wstring& message) override {
        RecordError(code, message);
        return Tessel::kOk;
    }
};

}  // namespace

ITestSet& StandInTestSet() {
    static StandInTestSetImpl service;
    return service;
}
INAHardwareCaps& StandInHardwareCaps() {
    static StandInHardwareCapsImpl service;
    return service;
}
IHWSpurs& StandInSpurs() {
    static StandInSpursImpl service;
    return service;
}
QuorApp::IQuorCore& StandInCore() {
    static StandInCoreImpl service;
    return service;
}
Interface::IAuxReceiverManager& StandInAuxReceivers() {
    static StandInAuxReceiversImpl service;
    return service;
}
QuorApp::IReportErrorInternal& StandInErrorReport() {
    static StandInErrorReportImpl service;
    return service;
}

}  // namespace HostServices::internal
