// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/response.h"

#include "tessel/correction/correction_kernels.h"
#include "tessel/correction/internal/output_buffer.h"

namespace Tessel {

// The state shared by the handles of one Response or ResponseIsol: the raw buffer, the error
// terms (tracking, then isolation for ResponseIsol) and the two enumerator cursors.
class ResponseImpl {
  public:
    ResponseImpl(const wchar_t* rawName, bool withIsolation)
        : raw_(rawName != nullptr ? std::wstring(rawName) : std::wstring()) {
        terms_.emplace_back(L"ResponseTracking(" + raw_.name + L")");
        if (withIsolation) {
            terms_.emplace_back(L"ResponseIsolation(" + raw_.name + L")");
        }
    }

    void ResetErrorTermEnumerator() { termCursor_ = -1; }
    bool GetNextErrorTermName(std::wstring& name) {
        if (termCursor_ + 1 >= static_cast<int>(terms_.size())) {
            return false;
        }
        name = terms_[++termCursor_].name;
        return true;
    }
    bool GetErrorTermNames(std::vector<std::wstring>& names) const {
        for (const NamedBuffer& term : terms_) {
            names.push_back(term.name);
        }
        return true;
    }
    bool SetErrorTermData(const wchar_t* name, const TsComplex* data) {
        if (name == nullptr) {
            return false;
        }
        for (NamedBuffer& term : terms_) {
            if (term.name == name) {
                term.data = data;
                return true;
            }
        }
        return false;
    }

    void ResetRawEnumerator() { rawCursor_ = -1; }
    bool GetNextRawName(std::wstring& name) {
        if (rawCursor_ >= 0) {
            return false;  // the one raw name has been given
        }
        ++rawCursor_;
        name = raw_.name;
        return true;
    }
    bool GetRawNames(std::vector<std::wstring>& names) const {
        names.push_back(raw_.name);
        return true;
    }
    // The name is compared up to its first comma: S21,1 addresses S21.
    bool SetRawData(const wchar_t* name, const TsComplex* data) {
        if (name == nullptr) {
            return false;
        }
        std::wstring text(name);
        text = text.substr(0, text.find(L','));
        if (text != raw_.name) {
            return false;
        }
        raw_.data = data;
        return true;
    }
    bool SetAuxNameByName(const wchar_t* name, std::wstring auxName) {
        if (name == nullptr || raw_.name != name) {
            return false;
        }
        raw_.auxName = std::move(auxName);
        return true;
    }
    bool IsParameterCorrectable(const wchar_t* parameter) const {
        return parameter != nullptr && raw_.name == parameter;
    }

    // Corrects [start, stop) into out (which holds `capacity` samples, or is null). Error-term
    // pointers are checked here as well as the raw one: a host that forgot a term gets false
    // rather than a crash.
    bool Apply(int start, int stop, TsComplex* out, std::size_t capacity) const {
        for (const NamedBuffer& term : terms_) {
            if (term.data == nullptr) {
                return false;
            }
        }
        if (raw_.data == nullptr || start < 0) {
            return false;
        }
        if (start >= stop) {
            return true;  // an empty range writes nothing
        }
        if (out == nullptr || capacity < static_cast<std::size_t>(stop)) {
            return false;
        }
        const long status =
            terms_.size() == 1
                ? CorrectResponse(raw_.data, terms_[0].data, out, start, stop)
                : CorrectResponseIsol(raw_.data, terms_[0].data, terms_[1].data, out, start, stop);
        return status >= 0;
    }
    bool Apply(int start, int stop, DataMatrix& output) const {
        TsComplex* out = internal::WritableSamples(output(0, 0), stop);
        return Apply(start, stop, out, out != nullptr ? static_cast<std::size_t>(stop) : 0);
    }
    bool Apply(int start, int stop, std::vector<TsComplex>& output) const {
        return Apply(start, stop, output.data(), output.size());
    }

    bool CreateOutputContainer(ICorrectionAlgorithm& algorithm,
                               boost::shared_ptr<DataMatrix>& output, int pointCount) const {
        std::vector<std::wstring> names;
        algorithm.GetCorrectableParameters(names);
        output.reset(new DataMatrix(names, pointCount));
        return true;
    }

  private:
    NamedBuffer raw_;
    std::vector<NamedBuffer> terms_;
    int termCursor_ = -1;
    int rawCursor_ = -1;
};

// Response and ResponseIsol differ only in the terms their shared implementation holds; every
// operation forwards to it.
#define TESSEL_RESPONSE_FORWARDERS(Class)                                                      \
    Class::Class(const Class& other) = default;                                                \
    Class& Class::operator=(const Class& other) = default;                                     \
    Class::~Class() = default;                                                                 \
    bool Class::ApplyCorrection(int start, int stop, DataMatrix& output, int) {                \
        return impl_->Apply(start, stop, output);                                              \
    }                                                                                          \
    bool Class::ApplyCorrection(int start, int stop, std::vector<TsComplex>& output) {         \
        return impl_->Apply(start, stop, output);                                              \
    }                                                                                          \
    int Class::ResultCount() {                                                                 \
        return 1;                                                                              \
    }                                                                                          \
    void Class::ResetErrorTermEnumerator() {                                                   \
        impl_->ResetErrorTermEnumerator();                                                     \
    }                                                                                          \
    bool Class::GetNextErrorTermName(std::wstring& name) {                                     \
        return impl_->GetNextErrorTermName(name);                                              \
    }                                                                                          \
    bool Class::GetErrorTermNames(std::vector<std::wstring>& names) {                          \
        return impl_->GetErrorTermNames(names);                                                \
    }                                                                                          \
    bool Class::SetErrorTermData(const wchar_t* name, const TsComplex* data, int) {            \
        return impl_->SetErrorTermData(name, data);                                            \
    }                                                                                          \
    void Class::ResetRawEnumerator() {                                                         \
        impl_->ResetRawEnumerator();                                                           \
    }                                                                                          \
    bool Class::GetNextRawName(std::wstring& name) {                                           \
        return impl_->GetNextRawName(name);                                                    \
    }                                                                                          \
    bool Class::GetRawNames(std::vector<std::wstring>& names) {                                \
        return impl_->GetRawNames(names);                                                      \
    }                                                                                          \
    bool Class::SetRawData(const wchar_t* name, const TsComplex* data) {                       \
        return impl_->SetRawData(name, data);                                                  \
    }                                                                                          \
    bool Class::SetAuxNameByName(const wchar_t* name, std::wstring auxName) {                  \
        return impl_->SetAuxNameByName(name, std::move(auxName));                              \
    }                                                                                          \
    bool Class::SetCalType(const wchar_t*) {                                                   \
        return false;                                                                          \
    }                                                                                          \
    bool Class::GetCalType(std::wstring&) {                                                    \
        return false;                                                                          \
    }                                                                                          \
    bool Class::IsParameterCorrectable(const wchar_t* parameter) {                             \
        return impl_->IsParameterCorrectable(parameter);                                       \
    }                                                                                          \
    bool Class::CreateOutputContainer(boost::shared_ptr<DataMatrix>& output, int pointCount) { \
        return impl_->CreateOutputContainer(*this, output, pointCount);                        \
    }

Response::Response(const wchar_t* rawName) : impl_(new ResponseImpl(rawName, false)) {}
TESSEL_RESPONSE_FORWARDERS(Response)

ResponseIsol::ResponseIsol(const wchar_t* rawName) : impl_(new ResponseImpl(rawName, true)) {}
TESSEL_RESPONSE_FORWARDERS(ResponseIsol)

#undef TESSEL_RESPONSE_FORWARDERS

}  // namespace Tessel
