// SPDX-License-Identifier: Apache-2.0
// Parameter: a measurement-parameter name parsed into receivers and a source port.
//
// A parameter is named by a short text:
// - an S-parameter: S21, s21, S2_1, S2.1, S10_2 (output port, then input port);
// - a single receiver with the source port after "," or "_": A,1  R1,2  b3,1  B3_1;
// - a ratio of two receivers with a source port, the slash optional: B/R1,1  b2/a1,1  AR1,1.
// Logical receivers are one capital letter or R with an optional port number (A to D are the
// test receivers of ports 1 to 4, R a reference receiver); physical receivers are a or b in
// either case followed by a port number (a: the port's reference receiver, b: its test
// receiver) and are stored in lower case. Names the patterns do not match are looked up among
// the host's auxiliary receivers, else kept as custom names.
//
// Validity is judged against the instrument's test set (number of test ports and of sources),
// reached through the host's application core once per process. Parsing never throws and never
// fails: a text that names nothing usable gives an invalid parameter.
#pragma once

#include <cstdint>
#include <string>

#include "tessel/core/export.h"

// What a parameter names.
enum class ParameterKind : std::int32_t {
    SParameter = 0,         // S(out, in): test receiver of out over reference receiver of in
    Receiver = 1,           // a single receiver with a source port
    Ratio = 2,              // a ratio of two receivers with a source port
    Custom = 3,             // a name nothing else knows; shaped as S11, keeping its text
    CatalogueReceiver = 4,  // an auxiliary receiver listed in the host's receiver catalogue
    AuxiliaryPrimary = 5,   // an auxiliary receiver whose host property value is 1
    AuxiliaryOther = 6,     // any other auxiliary receiver
};

// One receiver of a parameter. A cleared receiver is {empty name, port 1, not reference}.
struct TESSEL_EXPORT ParameterReceiver {
    std::wstring name;         // as written (physical names in lower case); empty when absent
    std::int32_t port = 1;     // 1-based port number
    bool isReference = false;  // true for a reference receiver

    void Clear() { *this = ParameterReceiver(); }
};

class TESSEL_EXPORT Parameter {
  public:
    // Parses `text` (see the file comment). A null text is read as an empty one: the cleared,
    // invalid S-parameter value.
    Parameter(const wchar_t* text);
    virtual ~Parameter() = default;
    Parameter(const Parameter&) = default;
    Parameter& operator=(const Parameter&) = default;

    // Makes this the S-parameter S(outPort, inPort): numerator b<out>, denominator a<in>
    // (reference), source port inPort, name "S<out><in>" ("S<out>_<in>" unless both ports lie in
    // 1..9), custom name emptied. Returns the validity: both ports valid test ports and inPort a
    // valid source port.
    virtual bool SetSParameter(int outPort, int inPort);

    // Both receivers cleared, kind 0, not valid, catalogue fields cleared; the source port, the
    // name and the custom name are kept.
    void ResetParameter();

    // The port whose reference receiver drives the measurement: the source port (1 when it is 0
    // or exceeds the test set's port count), replaced by the port of a reference numerator and
    // then by that of a reference denominator (ports 0 are skipped). b2/a1,2 -> 1; b2,3 -> 3.
    int GetDrivingPort() const;

    ParameterKind GetKind() const { return kind_; }
    int GetSourcePort() const { return sourcePort_; }
    // The text the parameter was built from, or the canonical name of an S-parameter.
    const std::wstring& GetName() const { return name_; }
    // The constructor's text for a custom name (kind 3), empty otherwise.
    const std::wstring& GetCustomName() const { return customName_; }
    bool IsValid() const { return valid_; }

    // The numerator (or single) receiver and the denominator. A single receiver's denominator
    // (kind 1) reads {empty name, port 0, not reference}: port 0 marks "no denominator".
    const ParameterReceiver& GetNumerator() const { return receivers_[0]; }
    const ParameterReceiver& GetDenominator() const { return receivers_[1]; }
    int GetNumeratorPort() const { return receivers_[0].port; }
    int GetDenominatorPort() const { return receivers_[1].port; }
    const std::wstring& GetNumeratorName() const { return receivers_[0].name; }
    const std::wstring& GetDenominatorName() const { return receivers_[1].name; }
    bool IsNumeratorReference() const { return receivers_[0].isReference; }
    bool IsDenominatorReference() const { return receivers_[1].isReference; }

    // Auxiliary receivers (kinds 4 to 6). The catalogue receiver flag is set for every name the
    // host's auxiliary-receiver manager knows; the extra name is the text it was found by. A
    // catalogue receiver (kind 4) also carries its catalogue name and order flag; a catalogue
    // name "X/Y" is a ratio whose denominator name is Y. The property flag is set when the
    // host's property value is 1.
    bool IsCatalogueReceiver() const { return catalogueReceiver_; }
    bool IsCatalogueOrdered() const { return catalogueOrdered_; }
    const std::wstring& GetCatalogueReceiverName() const { return catalogueReceiverName_; }
    bool IsCatalogueRatio() const { return catalogueRatio_; }
    const std::wstring& GetCatalogueDenominatorName() const { return catalogueDenominatorName_; }
    const std::wstring& GetCatalogueExtraName() const { return catalogueExtraName_; }
    bool GetCatalogueProperty() const { return catalogueProperty_; }

    // The order of std::set<Parameter>, field by field: source port, kind, numerator, then
    // denominator (each by reference flag, port, name), catalogue receiver and order flags,
    // catalogue extra name, catalogue receiver name, and last the custom name. The name and the
    // validity take no part, so equivalent texts (a1,1 and A1_1) are one set element. The custom
    // name is compared so that two different custom names, which share the S11 receivers, stay
    // two elements; it is empty for every other kind.
    bool operator<(const Parameter& other) const;

    // Reads a logical receiver name: A to D give ports 1 to 4 (not reference); R is a reference
    // receiver keeping the starting `port`; R followed by digits a reference receiver at that
    // port. Anything else returns false and leaves `port` and `isReference` unchanged.
    static bool ParseLogicalReceiver(const std::wstring& text, int& port, bool& isReference);

    // Test-set checks. A test port p is valid when 1 <= p <= the number of test ports, or, when
    // the test set reports 0 test ports, when p < 5. A source port p is valid when
    // 0 <= p <= the number of sources.
    static bool IsValidTestPort(int port);
    static bool IsValidSourcePort(int port);

  private:
    bool ParseSParameter(const std::string& narrow);
    bool ParseReceiver(const std::string& narrow);
    bool ParseRatio(const std::string& narrow);
    bool ParseAuxiliary(const std::wstring& text);
    void ClearCatalogue();

    std::int32_t sourcePort_ = 0;
    ParameterKind kind_ = ParameterKind::SParameter;
    std::wstring customName_;
    std::wstring name_;
    bool valid_ = false;
    bool catalogueReceiver_ = false;
    bool catalogueOrdered_ = false;
    std::wstring catalogueReceiverName_;
    bool catalogueRatio_ = false;
    std::wstring catalogueDenominatorName_;
    std::wstring catalogueExtraName_;
    bool catalogueProperty_ = false;
    ParameterReceiver receivers_[2];
};
