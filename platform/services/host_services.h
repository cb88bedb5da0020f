// SPDX-License-Identifier: Apache-2.0
// HostServices: the configuration behind the stand-in host services, and test hooks.
//
// The stand-in services answer every query from the current Configuration, read afresh on
// each call, so a test changes the answers of a service object that the library has already
// obtained and kept. A test can instead install its own object (a test double) for an
// interface; the accessor then returns that object until it is removed. What the stand-in
// error-report service receives is recorded for tests to read.
//
// Default configuration (a four-port instrument, 10 MHz to 26.5 GHz):
// - test set: 4 test ports, 4 internal ports, 4 source ports, 6 IF mux slots:
//     slot 0  b1 | a1 (flippable between port 1's test and reference receiver)
//     slot 1  b2      slot 2  b3      slot 3  b4
//     slot 4  a2      (port 2's own reference receiver)
//     slot 5  shared R, marked 100001 (R and the reference receivers of ports 1 to 4)
//   eight-channel mode: slots 0..3 b1..b4, slots 4..7 a1..a4;
//   reference ratios are measured with flipped slots;
// - band breaks 10 MHz, 750 MHz, 1.5 GHz, 3.2 GHz, 6.4 GHz, additional breaks 13.5 GHz and
//   20 GHz; no band carries a frequency offset; LO harmonic 1 up to 13.5 GHz, 2 up to 20 GHz,
//   3 above;
// - no spurs; no auxiliary receivers.
#pragma once

#include <map>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/services/test_set.h"
#include "tessel/core/export.h"

namespace HostServices {

// One slot of the slot map: 1-based ports, -1 when none (see ITestSet::GetSlotMap).
struct TESSEL_EXPORT SlotMapEntry {
    int testPort = -1;
    int referencePort = -1;
};

struct TESSEL_EXPORT TestSetConfig {
    int portCount = 4;
    int internalPortCount = 4;
    int sourceCount = 4;
    // Indexed by 0-based slot number; its size is the IF mux slot count.
    std::vector<SlotMapEntry> slotMap = {{1, 1},  {2, -1}, {3, -1},
                                         {4, -1}, {-1, 2}, {-1, kSlotMapSharedRWithReferences}};
    std::vector<SlotMapEntry> eightChannelSlotMap = {{1, -1}, {2, -1}, {3, -1}, {4, -1},
                                                     {-1, 1}, {-1, 2}, {-1, 3}, {-1, 4}};
    bool referenceRatiosNeedFlippedSlots = true;
};

struct TESSEL_EXPORT HardwareConfig {
    std::vector<double> bandBreaks = {10e6, 750e6, 1.5e9, 3.2e9, 6.4e9};
    std::vector<double> additionalBandBreaks = {13.5e9, 20e9};
    // Band number -> frequency offset (Hz) of the bands that carry one.
    std::map<int, double> bandOffsets;
    double minFrequency = 10e6;
    double maxFrequency = 26.5e9;
    // The rating of f is 1 + the number of these frequencies below f.
    std::vector<double> ratingSteps = {13.5e9, 20e9};
};

struct TESSEL_EXPORT AuxReceiver {
    std::wstring name;
    int property = 0;
    // Empty for a receiver that is not in the catalogue.
    std::wstring catalogueName;
    bool ordered = false;
};

struct TESSEL_EXPORT Configuration {
    TestSetConfig testSet;
    HardwareConfig hardware;
    // Spur frequencies (Hz). A piece's value at a point is the number of spurs below the point's
    // frequency when spur avoidance is on, else 0.
    std::vector<double> spurFrequencies;
    std::vector<AuxReceiver> auxReceivers;
};

// The configuration the stand-ins answer from.
TESSEL_EXPORT const Configuration& CurrentConfiguration();
// Replaces it; the change is seen by the next query of every stand-in service.
TESSEL_EXPORT void SetConfiguration(const Configuration& configuration);
// Back to the default configuration.
TESSEL_EXPORT void ResetConfiguration();

// One call of the stand-in error-report service.
struct TESSEL_EXPORT ReportedError {
    long code;
    std::wstring message;
};
TESSEL_EXPORT const std::vector<ReportedError>& ReportedErrors();
TESSEL_EXPORT void ClearReportedErrors();

// Installs `service`, a pointer to the interface whose pointer type is `pointerType` cast to
// void*, as the host's object for that interface (kind 3, instance 0); null removes it.
TESSEL_EXPORT void InstallService(const std::type_info& pointerType, void* service);

// Installs `service` as the host's object for interface I until removed; not owned, it must
// outlive its installation.
template <class I>
void InstallService(I* service) {
    InstallService(typeid(I*), static_cast<void*>(service));
}
// Removes the object installed for interface I; the stand-in answers again.
template <class I>
void RemoveService() {
    InstallService(typeid(I*), nullptr);
}
// Removes every installed object.
TESSEL_EXPORT void RemoveAllServices();

// Number of accessors CreateCapabilitiesAccessor has made in this process.
TESSEL_EXPORT int AccessorsCreated();

// Default configuration, no installed objects, no recorded errors.
TESSEL_EXPORT void ResetAll();

// Resets everything on construction and again on destruction, so a test starts from the
// defaults and leaves them behind.
class TESSEL_EXPORT ScopedReset {
  public:
    ScopedReset() { ResetAll(); }
    ~ScopedReset() { ResetAll(); }
    ScopedReset(const ScopedReset&) = delete;
    ScopedReset& operator=(const ScopedReset&) = delete;
};

}  // namespace HostServices
