// SPDX-License-Identifier: Apache-2.0
#include "tessel/receivers/parameter.h"

#include <tuple>

#include "platform/services/quor_core.h"
#include "platform/services/test_set.h"
#include "tessel/core/services.h"
#include "tessel/receivers/internal/name_grammar.h"

namespace {

using Tessel::internal::ParseDecimal;
using Tessel::internal::Patterns;

// The instrument's test set, through the application core obtained once per process.
const ITestSet* TestSet() {
    static QuorApp::IQuorCore* const core = Tessel::GetService<QuorApp::IQuorCore>();
    return core != nullptr ? core->GetTestSet() : nullptr;
}

int TestPortCount() {
    const ITestSet* testSet = TestSet();
    return testSet != nullptr ? testSet->GetPortCount() : 0;
}

// Matched text is ASCII, so widening is a plain copy.
std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// A logical receiver: the name as written; port and reference flag from ParseLogicalReceiver,
// starting from the source port (a letter it does not know keeps that port, not reference).
ParameterReceiver LogicalReceiver(const std::string& letters, int sourcePort) {
    ParameterReceiver receiver{Widen(letters), sourcePort, false};
    int port = sourcePort;
    bool isReference = false;
    Parameter::ParseLogicalReceiver(receiver.name, port, isReference);
    receiver.port = port;
    receiver.isReference = isReference;
    return receiver;
}

// A physical receiver such as "B3": stored in lower case, its number as port, reference for a.
ParameterReceiver PhysicalReceiver(const std::string& text, const std::string& digits) {
    std::wstring name = Widen(text);
    name[0] = name[0] == L'A' || name[0] == L'a' ? L'a' : L'b';
    const bool isReference = name[0] == L'a';
    return ParameterReceiver{name, ParseDecimal(digits), isReference};
}

// The number after the first "," or, when there is none, after the first "_"; 0 when neither
// separator is followed by a digit.
int SourcePortAfterSeparator(const std::wstring& text) {
    std::size_t at = text.find(L',');
    if (at == std::wstring::npos) {
        at = text.find(L'_');
    }
    if (at == std::wstring::npos) {
        return 0;
    }
    std::string digits;
    for (std::size_t i = at + 1; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        digits.push_back(static_cast<char>(text[i]));
    }
    return ParseDecimal(digits);
}

}  // namespace

Parameter::Parameter(const wchar_t* text) {
    try {
        const std::wstring input = text != nullptr ? std::wstring(text) : std::wstring();
        name_ = input;
        if (input.size() <= Tessel::internal::kMaxPatternText) {
            const std::string narrow = Tessel::internal::ToNarrow(input);
            if (ParseSParameter(narrow) || ParseReceiver(narrow) || ParseRatio(narrow)) {
                return;
            }
        }
        if (input.empty() || ParseAuxiliary(input)) {
            return;
        }
        // A custom name is shaped as S11 but keeps its text as its name: the name is what the
        // host shows and looks the parameter up by, and "S11" would make it read as S11.
        Parameter::SetSParameter(1, 1);
        kind_ = ParameterKind::Custom;
        customName_ = input;
        name_ = input;
    } catch (...) {
        // Only an allocation can fail above; the value is then the cleared, invalid one.
        ResetParameter();
        sourcePort_ = 0;
        name_.clear();
        customName_.clear();
    }
}

bool Parameter::ParseSParameter(const std::string& narrow) {
    std::smatch m;
    if (!std::regex_match(narrow, m, Patterns().sParameter)) {
        return false;
    }
    if (m[3].matched) {
        Parameter::SetSParameter(m.str(3)[0] - '0', m.str(4)[0] - '0');
    } else {
        Parameter::SetSParameter(ParseDecimal(m.str(6)), ParseDecimal(m.str(7)));
    }
    return true;
}

bool Parameter::ParseReceiver(const std::string& narrow) {
    std::smatch m;
    if (!std::regex_match(narrow, m, Patterns().receiver)) {
        return false;
    }
    kind_ = ParameterKind::Receiver;
    sourcePort_ = ParseDecimal(m.str(5));
    receivers_[0] = m[2].matched ? LogicalReceiver(m.str(2), sourcePort_)
                                 : PhysicalReceiver(m.str(3), m.str(4));
    // A single receiver has no denominator: port 0 (not the cleared receiver's port 1) makes
    // GetDenominatorPort read "none", as GetDrivingPort expects of an absent receiver.
    receivers_[1] = ParameterReceiver{std::wstring(), 0, false};
    valid_ = IsValidSourcePort(sourcePort_) && IsValidTestPort(receivers_[0].port);
    return true;
}

bool Parameter::ParseRatio(const std::string& narrow) {
    std::smatch m;
    if (!std::regex_match(narrow, m, Patterns().ratio)) {
        return false;
    }
    kind_ = ParameterKind::Ratio;
    sourcePort_ = ParseDecimal(m.str(10));
    if (m[2].matched) {
        receivers_[0] = LogicalReceiver(m.str(3), sourcePort_);
        receivers_[1] = LogicalReceiver(m.str(4), sourcePort_);
    } else {
        receivers_[0] = PhysicalReceiver(m.str(6), m.str(7));
        receivers_[1] = PhysicalReceiver(m.str(8), m.str(9));
    }
    valid_ = IsValidSourcePort(sourcePort_) && IsValidTestPort(receivers_[0].port) &&
             IsValidTestPort(receivers_[1].port);
    return true;
}

bool Parameter::ParseAuxiliary(const std::wstring& text) {
    const auto* manager = Tessel::GetService<Interface::IAuxReceiverManager>();
    int property = 0;
    if (manager == nullptr || !manager->FindReceiver(text, property)) {
        return false;
    }
    kind_ = property == 1 ? ParameterKind::AuxiliaryPrimary : ParameterKind::AuxiliaryOther;
    sourcePort_ = SourcePortAfterSeparator(text);
    receivers_[0].Clear();
    receivers_[1].Clear();
    catalogueReceiver_ = true;
    catalogueProperty_ = property == 1;
    catalogueExtraName_ = text;
    valid_ = IsValidSourcePort(sourcePort_);

    std::wstring catalogueName;
    bool ordered = false;
    if (manager->FindCatalogueReceiver(text, catalogueName, ordered)) {
        kind_ = ParameterKind::CatalogueReceiver;
        catalogueReceiverName_ = catalogueName;
        catalogueOrdered_ = ordered;
        const std::size_t slash = catalogueName.find(L'/');
        catalogueRatio_ = slash != std::wstring::npos;
        if (catalogueRatio_) {
            catalogueDenominatorName_ = catalogueName.substr(slash + 1);
        }
    }
    return true;
}

bool Parameter::SetSParameter(int outPort, int inPort) {
    ResetParameter();
    kind_ = ParameterKind::SParameter;
    receivers_[0] =
        ParameterReceiver{Tessel::internal::ReceiverName(L'b', outPort), outPort, false};
    receivers_[1] = ParameterReceiver{Tessel::internal::ReceiverName(L'a', inPort), inPort, true};
    sourcePort_ = inPort;
    customName_.clear();
    valid_ = IsValidTestPort(inPort) && IsValidTestPort(outPort) && IsValidSourcePort(inPort);
    const bool singleDigits = outPort >= 1 && outPort <= 9 && inPort >= 1 && inPort <= 9;
    name_ = L"S" + std::to_wstring(outPort) + (singleDigits ? L"" : L"_") + std::to_wstring(inPort);
    return valid_;
}

void Parameter::ResetParameter() {
    receivers_[0].Clear();
    receivers_[1].Clear();
    kind_ = ParameterKind::SParameter;
    valid_ = false;
    ClearCatalogue();
}

void Parameter::ClearCatalogue() {
    catalogueReceiver_ = false;
    catalogueOrdered_ = false;
    catalogueReceiverName_.clear();
    catalogueRatio_ = false;
    catalogueDenominatorName_.clear();
    catalogueExtraName_.clear();
    catalogueProperty_ = false;
}

int Parameter::GetDrivingPort() const {
    int port = 1;
    if (sourcePort_ != 0 && sourcePort_ <= TestPortCount()) {
        port = sourcePort_;
    }
    for (const ParameterReceiver& receiver : receivers_) {
        if (receiver.port != 0 && receiver.isReference) {
            port = receiver.port;
        }
    }
    return port;
}

bool Parameter::operator<(const Parameter& other) const {
    const auto key = [](const Parameter& p) {
        const ParameterReceiver& n = p.receivers_[0];
        const ParameterReceiver& d = p.receivers_[1];
        return std::tie(p.sourcePort_, p.kind_, n.isReference, n.port, n.name, d.isReference,
                        d.port, d.name, p.catalogueReceiver_, p.catalogueOrdered_,
                        p.catalogueExtraName_, p.catalogueReceiverName_, p.customName_);
    };
    return key(*this) < key(other);
}

bool Parameter::ParseLogicalReceiver(const std::wstring& text, int& port, bool& isReference) {
    if (text.size() == 1 && text[0] >= L'A' && text[0] <= L'D') {
        port = static_cast<int>(text[0] - L'A') + 1;
        isReference = false;
        return true;
    }
    if (text.empty() || text[0] != L'R') {
        return false;
    }
    std::string digits;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') {
            return false;
        }
        digits.push_back(static_cast<char>(text[i]));
    }
    if (!digits.empty()) {
        port = ParseDecimal(digits);
    }
    isReference = true;
    return true;
}

bool Parameter::IsValidTestPort(int port) {
    const int count = TestPortCount();
    return count == 0 ? port < 5 : port >= 1 && port <= count;
}

bool Parameter::IsValidSourcePort(int port) {
    const ITestSet* testSet = TestSet();
    return port >= 0 && testSet != nullptr && port <= testSet->GetSourceCount();
}
