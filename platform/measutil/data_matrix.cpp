// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/data_matrix.h"

#include <algorithm>
#include <cwchar>
#include <stdexcept>

namespace QuorUtility {

std::wstring SParameterName(int rowPort, int colPort) {
    wchar_t text[32];
    const wchar_t* format = (rowPort < 10 && colPort < 10) ? L"S%d%d" : L"S%d_%d";
    std::swprintf(text, sizeof text / sizeof text[0], format, rowPort, colPort);
    return text;
}

DataMatrix::DataMatrix(const std::vector<std::wstring>& names, int pointCount)
    : pointCount_(std::max(pointCount, 0)) {
    buffers_.reserve(names.size());
    for (const std::wstring& name : names)
        buffers_.push_back(MakeOwnedBuffer(name));
}

DataMatrix::DataMatrix(int portCount, const std::vector<int>& ports, int pointCount)
    : ports_(ports), pointCount_(std::max(pointCount, 0)) {
    if (portCount < 0 || static_cast<std::size_t>(portCount) != ports.size()) {
        throw std::invalid_argument("Invalid argument");
    }
    buffers_.reserve(ports.size() * ports.size());
    for (int row : ports) {
        for (int col : ports)
            buffers_.push_back(MakeOwnedBuffer(SParameterName(row, col)));
    }
}

DataMatrix::DataMatrix(const DataMatrix& other)
    : buffers_(other.buffers_),
      aliases_(other.aliases_),
      ports_(other.ports_),
      pointCount_(other.pointCount_),
      validIndex_(other.validIndex_) {
    // Buffers that designated the other matrix's own samples designate this one's.
    for (std::size_t i = 0; i < buffers_.size(); ++i) {
        const NamedBuffer& o = other.buffers_[i];
        if (o.data != nullptr && o.data == o.storage.data()) {
            buffers_[i].data = buffers_[i].storage.data();
        }
    }
}

DataMatrix& DataMatrix::operator=(const DataMatrix& other) {
    if (this != &other)
        *this = DataMatrix(other);
    return *this;
}

NamedBuffer DataMatrix::MakeOwnedBuffer(const std::wstring& name) const {
    NamedBuffer b(name);
    b.storage.assign(static_cast<std::size_t>(pointCount_), TsComplex());
    b.data = b.storage.empty() ? nullptr : b.storage.data();
    return b;
}

NamedBuffer* DataMatrix::operator()(int row, int col) {
    return const_cast<NamedBuffer*>(static_cast<const DataMatrix&>(*this)(row, col));
}

const NamedBuffer* DataMatrix::operator()(int row, int col) const {
    if (ports_.empty())
        return row == 0 ? GetBuffer(col) : nullptr;
    const int n = static_cast<int>(ports_.size());
    if (row < 0 || col < 0 || row >= n || col >= n)
        return nullptr;
    return &buffers_[static_cast<std::size_t>(row * n + col)];
}

NamedBuffer* DataMatrix::GetDataByName(const std::wstring& name) {
    return const_cast<NamedBuffer*>(static_cast<const DataMatrix&>(*this).GetDataByName(name));
}

const NamedBuffer* DataMatrix::GetDataByName(const std::wstring& name) const {
    for (const NamedBuffer& b : buffers_) {
        if (b.name == name)
            return &b;
    }
    const auto a = aliases_.find(name);
    return a == aliases_.end() ? nullptr : &buffers_[static_cast<std::size_t>(a->second)];
}

NamedBuffer* DataMatrix::GetBuffer(int index) {
    return const_cast<NamedBuffer*>(static_cast<const DataMatrix&>(*this).GetBuffer(index));
}

const NamedBuffer* DataMatrix::GetBuffer(int index) const {
    if (index < 0 || index >= Size())
        return nullptr;
    return &buffers_[static_cast<std::size_t>(index)];
}

NamedBuffer* DataMatrix::AddBuffer(const std::wstring& name) {
    if (GetDataByName(name) != nullptr)
        return nullptr;
    buffers_.push_back(MakeOwnedBuffer(name));
    return &buffers_.back();
}

bool DataMatrix::AddAlias(const std::wstring& alias, const std::wstring& name) {
    const NamedBuffer* target = GetDataByName(name);
    if (target == nullptr || GetDataByName(alias) != nullptr)
        return false;
    aliases_[alias] = static_cast<int>(target - buffers_.data());
    return true;
}

void DataMatrix::SetValidIndex(int point) {
    validIndex_ = std::clamp(point, 0, pointCount_);
}

int DataMatrix::PortPosition(int port) const {
    const auto it = std::find(ports_.begin(), ports_.end(), port);
    return it == ports_.end() ? -1 : static_cast<int>(it - ports_.begin());
}

// Index of the buffer of the port pair, or -1 when the pair or the range is not valid.
int DataMatrix::PhysicalIndex(int rowPort, int colPort, int first, int last) const {
    const int r = PortPosition(rowPort), c = PortPosition(colPort);
    if (r < 0 || c < 0 || first < 0 || last < first || last > pointCount_)
        return -1;
    return r * static_cast<int>(ports_.size()) + c;
}

bool DataMatrix::GetDataByPhysicalPort(int rowPort, int colPort, std::vector<TsComplex>& out,
                                       int first, int last) const {
    const int index = PhysicalIndex(rowPort, colPort, first, last);
    if (index < 0)
        return false;
    const TsComplex* data = buffers_[static_cast<std::size_t>(index)].data;
    if (data == nullptr && last > first)
        return false;
    if (out.size() < static_cast<std::size_t>(last))
        out.resize(static_cast<std::size_t>(last));
    if (last > first)
        std::copy(data + first, data + last, out.begin() + first);
    return true;
}

bool DataMatrix::SetDataByPhysicalPort(int rowPort, int colPort, const std::vector<TsComplex>& in,
                                       int first, int last) {
    const int index = PhysicalIndex(rowPort, colPort, first, last);
    if (index < 0 || in.size() < static_cast<std::size_t>(last))
        return false;
    if (last == first)
        return true;
    NamedBuffer& buffer = buffers_[static_cast<std::size_t>(index)];
    if (buffer.data == nullptr || (buffer.data == buffer.storage.data() &&
                                   buffer.storage.size() < static_cast<std::size_t>(last)))
        return false;
    // The data pointer is to const because buffers also carry inputs; a buffer of a result
    // container designates writable samples (its own, or the caller's array).
    TsComplex* samples = const_cast<TsComplex*>(buffer.data);
    std::copy(in.begin() + first, in.begin() + last, samples + first);
    return true;
}

}  // namespace QuorUtility
