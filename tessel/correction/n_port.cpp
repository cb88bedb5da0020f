// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/n_port.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "platform/os/heap_block_size.h"
#include "tessel/correction/correction_kernels.h"
#include "tessel/correction/error_term_register.h"
#include "tessel/correction/internal/block_solver.h"
#include "tessel/correction/internal/output_buffer.h"

namespace Tessel {

namespace {

// On from load (constant initialisation, before any code of the library runs).
std::atomic<bool> g_debugSizeChecks{true};

// True unless the host heap knows the array's block and it is shorter than `count` samples.
bool HoldsAtLeast(const TsComplex* array, int count) {
    const std::size_t bytes = HostOs::HeapBlockSize(array);
    return bytes == HostOs::kUnknownBlockSize ||
           bytes >= static_cast<std::size_t>(count) * sizeof(TsComplex);
}

std::wstring RawName(int rowPort, int colPort) {
    const std::wstring sep = (rowPort < 10 && colPort < 10) ? L"" : L"_";
    return L"S" + std::to_wstring(rowPort) + sep + std::to_wstring(colPort);
}

std::vector<int> CheckedPorts(int portCount, const std::vector<int>& ports) {
    if (portCount < 0 || static_cast<std::size_t>(portCount) != ports.size()) {
        throw std::invalid_argument("Invalid argument");
    }
    std::vector<int> sorted = ports;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

}  // namespace

void SetEnableDebugSizeChecks(bool enable) {
    g_debugSizeChecks = enable;
}
bool GetEnableDebugSizeChecks() {
    return g_debugSizeChecks;
}

class NPortImpl {
  public:
    NPortImpl(int portCount, const std::vector<int>& ports)
        : ports_(CheckedPorts(portCount, ports)),
          n_(portCount),
          register_(n_, ports_, true),
          solver_(n_) {
        raw_.resize(n_ * n_);
        for (int r = 0; r < n_; ++r) {
            for (int c = 0; c < n_; ++c) {
                raw_[r * n_ + c].name = RawName(ports_[r], ports_[c]);
            }
        }
    }

    int PortCount() const { return n_; }
    const std::vector<int>& Ports() const { return ports_; }
    ErrorTermRegister& Register() { return register_; }
    bool bothSourcesOn = false;

    // Raw buffers, row-major; the first whose name contains text, or null.
    NamedBuffer* FindRaw(const wchar_t* text) {
        if (text == nullptr) {
            return nullptr;
        }
        for (NamedBuffer& b : raw_) {
            if (b.name.find(text) != std::wstring::npos) {
                return &b;
            }
        }
        return nullptr;
    }
    const std::vector<NamedBuffer>& Raw() const { return raw_; }

    void ResetRawEnumerator() { rawCursor_ = 0; }
    bool GetNextRawName(std::wstring& name) {
        if (rawCursor_ >= raw_.size()) {
            return false;
        }
        name = raw_[rawCursor_++].name;
        return true;
    }

    bool Apply(int start, int stop, DataMatrix& output);

  private:
    bool ApplyOnePort(int start, int stop, DataMatrix& output);
    bool ApplyTwoPort(int start, int stop, DataMatrix& output);
    bool ApplyMultiPort(int start, int stop, DataMatrix& output);
    bool ResolveMultiPortPointers(int stop);
    // Output pointers of the grid; false when a buffer is missing or too short.
    bool CollectOutputs(DataMatrix& output, int start, int stop);

    std::vector<int> ports_;
    int n_;
    std::vector<NamedBuffer> raw_;  // [r·N + c]
    std::size_t rawCursor_ = 0;
    ErrorTermRegister register_;
    internal::BlockSolver solver_;  // the N > 2 solution with its work space
    // Per-pair array pointers [r·N + c], resolved once per call.
    std::vector<const TsComplex*> leak_, track_, match_, meas_;
    std::vector<TsComplex*> out_;
    // Zero crosstalk for missing terms, and the adjusted tracking of both-sources-on.
    std::vector<TsComplex> zeros_, t21_, t12_;
};

bool NPortImpl::Apply(int start, int stop, DataMatrix& output) {
    if (n_ == 1) {
        return ApplyOnePort(start, stop, output);
    }
    if (start < 0) {
        return false;
    }
    switch (n_) {
        case 0:
            return false;
        case 2:
            return ApplyTwoPort(start, stop, output);
        default:
            return ApplyMultiPort(start, stop, output);
    }
}

bool NPortImpl::CollectOutputs(DataMatrix& output, int start, int stop) {
    out_.assign(n_ * n_, nullptr);
    for (int r = 0; r < n_; ++r) {
        for (int c = 0; c < n_; ++c) {
            NamedBuffer* buffer = output(r, c);
            TsComplex* samples = internal::WritableSamples(buffer, stop);
            if (buffer == nullptr || (samples == nullptr && start < stop)) {
                return false;
            }
            out_[r * n_ + c] = samples;
        }
    }
    return true;
}

// The one-port path always sets the valid index and returns true, whatever the kernel
// reports. The kernel reports a missing input itself and writes nothing then; a range it could
// not write safely (negative start, no output buffer or data, own storage shorter than stop)
// is skipped the same way.
bool NPortImpl::ApplyOnePort(int start, int stop, DataMatrix& output) {
    TsComplex* out = internal::WritableSamples(output(0, 0), stop);
    if (start >= 0 && start < stop && out != nullptr) {
        Correct1Port(raw_[0].data, register_.Directivity(0, 0), register_.SourceMatch(0, 0),
                     register_.ReflectionTracking(0, 0), start, stop, out);
    }
    output.SetValidIndex(stop);
    return true;
}

bool NPortImpl::ApplyTwoPort(int start, int stop, DataMatrix& output) {
    const ErrorTermRegister& e = register_;
    if (output.Size() < 4 || !CollectOutputs(output, start, stop)) {
        return false;
    }
    std::vector<const TsComplex*> raw = {raw_[0].data, raw_[1].data, raw_[2].data, raw_[3].data};
    std::vector<const TsComplex*> terms = {e.Directivity(0, 0),
                                           e.Directivity(1, 1),
                                           e.SourceMatch(0, 0),
                                           e.SourceMatch(1, 1),
                                           e.ReflectionTracking(0, 0),
                                           e.ReflectionTracking(1, 1),
                                           e.LoadMatch(1, 0),
                                           e.LoadMatch(0, 1),
                                           e.TransmissionTracking(1, 0),
                                           e.TransmissionTracking(0, 1),
                                           e.CrossTalk(1, 0),
                                           e.CrossTalk(0, 1)};
    // Every array but the crosstalk (a missing one means none) must be there.
    if (std::count(raw.begin(), raw.end(), nullptr) != 0 ||
        std::count(terms.begin(), terms.begin() + 10, nullptr) != 0) {
        return false;
    }
    if (bothSourcesOn && start < stop) {
        // The non-driven port is terminated by its source match; the transmission tracking
        // measured against its load match is referred to that termination.
        const auto adjust = [&](int drv, int rcv, std::vector<TsComplex>& t) {
            const TsComplex *et = e.TransmissionTracking(rcv, drv),
                            *er = e.ReflectionTracking(rcv, rcv), *ed = e.Directivity(rcv, rcv),
                            *el = e.LoadMatch(rcv, drv), *es = e.SourceMatch(rcv, rcv);
            t.assign(stop, TsComplex::m_minus200dB);
            for (int i = start; i < stop; ++i) {
                t[i] = et[i] * er[i] / (er[i] + ed[i] * (el[i] - es[i]));
            }
        };
        adjust(0, 1, t21_);
        adjust(1, 0, t12_);
        terms[6] = e.SourceMatch(1, 1);
        terms[7] = e.SourceMatch(0, 0);
        terms[8] = t21_.data();
        terms[9] = t12_.data();
    }
    const long status = Correct2Port(raw, terms, start, stop, {out_[0], out_[1], out_[2], out_[3]});
    output.SetValidIndex(stop);
    return status >= 0;
}

bool NPortImpl::ResolveMultiPortPointers(int stop) {
    const std::size_t count = static_cast<std::size_t>(n_) * n_;
    leak_.assign(count, nullptr);
    track_.assign(count, nullptr);
    match_.assign(count, nullptr);
    meas_.assign(count, nullptr);
    bool needZeros = false;
    for (int r = 0; r < n_; ++r) {
        for (int c = 0; c < n_; ++c) {
            const int k = r * n_ + c;
            // Each matrix of the register holds both words of its row: (r, r) is the diagonal
            // term, (r, c) the off-diagonal one.
            leak_[k] = register_.Directivity(r, c);
            track_[k] = register_.ReflectionTracking(r, c);
            match_[k] = register_.SourceMatch(r, c);
            meas_[k] = raw_[k].data;
            if (track_[k] == nullptr || match_[k] == nullptr || meas_[k] == nullptr ||
                (leak_[k] == nullptr && r == c)) {
                return false;
            }
            needZeros = needZeros || leak_[k] == nullptr;
        }
    }
    if (needZeros) {
        zeros_.assign(stop, TsComplex());
        for (const TsComplex*& p : leak_) {
            p = (p != nullptr) ? p : zeros_.data();
        }
    }
    return true;
}

bool NPortImpl::ApplyMultiPort(int start, int stop, DataMatrix& output) {
    if (output.Size() < n_ * n_ || !ResolveMultiPortPointers(stop)) {
        return false;
    }
    if (GetEnableDebugSizeChecks()) {
        for (std::size_t k = 0; k < meas_.size(); ++k) {
            if (!HoldsAtLeast(meas_[k], stop) || !HoldsAtLeast(leak_[k], stop) ||
                !HoldsAtLeast(track_[k], stop) || !HoldsAtLeast(match_[k], stop)) {
                return false;
            }
        }
    }
    if (!CollectOutputs(output, start, stop)) {
        return false;
    }
    for (int r = 0; r < n_; ++r) {
        for (int c = 0; c < n_; ++c) {
            output(r, c)->auxName = raw_[r * n_ + c].auxName;
        }
    }
    if (start >= stop) {
        return true;
    }
    solver_.Run(leak_.data(), track_.data(), match_.data(), meas_.data(), out_.data(), start, stop);
    output.SetValidIndex(stop);
    return true;
}

NPort::NPort(int portCount, const std::vector<int>& ports)
    : impl_(new NPortImpl(portCount, ports)) {}
NPort::NPort(const NPort& other) = default;
NPort& NPort::operator=(const NPort& other) = default;
NPort::~NPort() = default;

bool NPort::ApplyCorrection(int start, int stop, DataMatrix& output, int) {
    return impl_->Apply(start, stop, output);
}

int NPort::ResultCount() {
    return impl_->PortCount() * impl_->PortCount();
}

void NPort::ResetErrorTermEnumerator() {
    impl_->Register().ResetIterator();
}

bool NPort::GetNextErrorTermName(std::wstring& name) {
    return impl_->Register().GetNextTerm(name, nullptr);
}

bool NPort::GetErrorTermNames(std::vector<std::wstring>& names) {
    impl_->Register().ResetIterator();
    impl_->Register().GetErrorTermList(names);
    return true;
}

bool NPort::SetErrorTermData(const wchar_t* name, const TsComplex* data, int) {
    return impl_->Register().SetErrorTerm(name, data);
}

void NPort::SetBothSourcesAreOn(bool on) {
    impl_->bothSourcesOn = on;
}
bool NPort::GetBothSourcesAreOn() {
    return impl_->bothSourcesOn;
}

void NPort::ResetRawEnumerator() {
    impl_->ResetRawEnumerator();
}
bool NPort::GetNextRawName(std::wstring& name) {
    return impl_->GetNextRawName(name);
}

bool NPort::GetRawNames(std::vector<std::wstring>& names) {
    for (const NamedBuffer& b : impl_->Raw()) {
        names.push_back(b.name);
    }
    return true;
}

bool NPort::SetRawData(const wchar_t* name, const TsComplex* data) {
    NamedBuffer* b = impl_->FindRaw(name);
    if (b == nullptr) {
        return false;
    }
    b->data = data;
    return true;
}

bool NPort::SetAuxNameByName(const wchar_t* name, std::wstring auxName) {
    NamedBuffer* b = impl_->FindRaw(name);
    if (b == nullptr) {
        return false;
    }
    b->auxName = std::move(auxName);
    return true;
}

bool NPort::SetCalType(const wchar_t*) {
    return false;
}

bool NPort::GetCalType(std::wstring& calType) {
    if (impl_->PortCount() == 0) {
        return false;
    }
    calType = std::to_wstring(impl_->PortCount()) + L"-Port";
    return true;
}

bool NPort::IsParameterCorrectable(const wchar_t* parameter) {
    if (parameter == nullptr) {
        return false;
    }
    const auto& raw = impl_->Raw();
    return std::any_of(raw.begin(), raw.end(),
                       [parameter](const NamedBuffer& b) { return b.name == parameter; });
}

bool NPort::CreateOutputContainer(boost::shared_ptr<DataMatrix>& output, int pointCount) {
    output.reset(new DataMatrix(impl_->PortCount(), impl_->Ports(), pointCount));
    return true;
}

const TsComplex* NPort::GetRawData(const wchar_t* name) {
    const NamedBuffer* b = impl_->FindRaw(name);
    return b != nullptr ? b->data : nullptr;
}

const TsComplex* NPort::GetErrorTerm(const wchar_t* name) {
    return impl_->Register().GetErrorTerm(name);
}

void NPort::DumpData() {
    impl_->Register().Dump(false);
}

}  // namespace Tessel
