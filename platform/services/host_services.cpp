// SPDX-License-Identifier: Apache-2.0
#include "platform/services/host_services.h"

#include "platform/services/capabilities_accessor.h"
#include "platform/services/internal/service_registry.h"
#include "platform/services/internal/stand_ins.h"

namespace HostServices {
namespace {

Configuration& MutableConfiguration() {
    static Configuration configuration;
    return configuration;
}

std::vector<ReportedError>& MutableReportedErrors() {
    static std::vector<ReportedError> errors;
    return errors;
}

}  // namespace

const Configuration& CurrentConfiguration() {
    return MutableConfiguration();
}

void SetConfiguration(const Configuration& configuration) {
    MutableConfiguration() = configuration;
}

void ResetConfiguration() {
    MutableConfiguration() = Configuration();
}

const std::vector<ReportedError>& ReportedErrors() {
    return MutableReportedErrors();
}

void ClearReportedErrors() {
    MutableReportedErrors().clear();
}

void InstallService(const std::type_info& pointerType, void* service) {
    auto& registry = internal::ServiceRegistry::Instance();
    registry.Install(QuorUtility::kHostServiceKind, QuorUtility::kHostServiceInstance,
                     registry.KeyOf(pointerType), service);
}

void RemoveAllServices() {
    internal::ServiceRegistry::Instance().RemoveAll();
}

int AccessorsCreated() {
    return internal::ServiceRegistry::Instance().AccessorsCreated();
}

void ResetAll() {
    ResetConfiguration();
    RemoveAllServices();
    ClearReportedErrors();
}

namespace internal {

void RecordError(long code, const std::wstring& message) {
    MutableReportedErrors().push_back({code, message});
}

}  // namespace internal
}  // namespace HostServices
