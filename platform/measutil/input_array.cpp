// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/input_array.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <stdexcept>
#include <utility>

#include <boost/make_shared.hpp>

#include "platform/measutil/internal/byte_io.h"
#include "platform/measutil/internal/segment_runs.h"

namespace QuorUtility {

double InputArray::at(std::size_t i) const {
    if (i >= size())
        throw std::out_of_range("InputArray::at: index out of range");
    if (segments_.size() == 1)
        return segments_.front()[i];
    // Plain-value axes (mostly single-point segments) read from the point vector, which costs
    // no more memory than their segment list; other axes search the segments and never build it.
    if (cache_ || (segments_.size() > kDirectSegments && size() <= 2 * segments_.size())) {
        if (!cache_)
            GetArrayPtr();
        return (*cache_)[i];
    }
    const std::size_t k = std::upper_bound(starts_.begin(), starts_.end(), i) - starts_.begin() - 1;
    return segments_[k][i - starts_[k]];
}

double InputArray::min_element() const {
    double m = std::numeric_limits<double>::infinity();
    // Every segment is monotonic, so its smallest point is one of its ends.
    for (const Segment& s : segments_)
        m = std::min({m, s.front(), s.back()});
    return m;
}

bool InputArray::IsConstant() const {
    if (segments_.empty())
        return true;
    const double v = segments_.front().front();
    return std::all_of(segments_.begin(), segments_.end(),
                       [v](const Segment& s) { return s.IsFixed() && s.front() == v; });
}

bool InputArray::operator==(const InputArray& o) const {
    if (size() != o.size())
        return false;
    if (segments_ == o.segments_)
        return true;
    std::size_t i = 0;
    for (const Segment& s : segments_) {
        for (std::size_t j = 0; j < s.size(); ++j, ++i) {
            if (s[j] != o.at(i))
                return false;
        }
    }
    return true;
}

InputArray& InputArray::operator+=(double delta) {
    for (Segment& s : segments_)
        s.Shift(delta);
    cache_.reset();
    return *this;
}

std::size_t InputArray::SegmentStart(std::size_t k) const {
    if (starts_.empty() && k == 0)
        return 0;
    return starts_.at(k);
}

std::size_t InputArray::SegmentIndexOf(std::size_t i) const {
    if (i >= size())
        throw std::out_of_range("InputArray::SegmentIndexOf: index out of range");
    return std::upper_bound(starts_.begin(), starts_.end(), i) - starts_.begin() - 1;
}

void InputArray::push_back(const Segment& segment) {
    if (segment.empty())
        return;
    if (starts_.empty())
        starts_.push_back(0);
    segments_.push_back(segment);
    starts_.push_back(starts_.back() + segment.size());
    cache_.reset();
}

void InputArray::clear() {
    segments_.clear();
    starts_.clear();
    cache_.reset();
}

void InputArray::Rebuild(std::vector<Segment> segments) {
    clear();
    segments_.reserve(segments.size());
    starts_.reserve(segments.size() + 1);
    for (const Segment& s : segments)
        push_back(s);
}

void InputArray::SetArray(const std::vector<double>& values) {
    SetArray(values.data(), values.size());
}

void InputArray::SetArray(const double* values, std::size_t count) {
    if (values == nullptr && count > 0)
        return;
    std::vector<Segment> segments;
    segments.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        segments.push_back(Segment::Fixed(values[i], 1));
    Rebuild(std::move(segments));
}

std::vector<double> InputArray::GetArray() const {
    std::vector<double> v;
    v.reserve(size());
    for (const Segment& s : segments_) {
        for (std::size_t j = 0; j < s.size(); ++j)
            v.push_back(s[j]);
    }
    return v;
}

boost::shared_ptr<const std::vector<double>> InputArray::GetArrayPtr() const {
    if (!cache_)
        cache_ = boost::make_shared<std::vector<double>>(GetArray());
    return cache_;
}

void InputArray::Optimize(bool onlyFixed) {
    const std::vector<Segment> joined = internal::JoinContinuing(segments_);
    std::vector<Segment> out;
    std::vector<double> loose;  // values of consecutive single-point segments
    const auto flush = [&] {
        internal::AppendRuns(loose.data(), loose.size(), onlyFixed, out);
        loose.clear();
    };
    for (const Segment& s : joined) {
        if (s.size() == 1) {
            loose.push_back(s.front());
        } else {
            flush();
            out.push_back(s);
        }
    }
    flush();
    Rebuild(internal::JoinContinuing(out));
}

void InputArray::OptimizeRepresentation() {
    Optimize(false);
}

void InputArray::OptimizeRepresentationOnlyFixed() {
    Optimize(true);
}

void InputArray::Serialize(std::vector<std::uint8_t>& bytes) const {
    internal::PutU32(bytes, kRecordVersion);
    internal::PutU32(bytes, static_cast<std::uint32_t>(segments_.size()));
    for (const Segment& s : segments_) {
        internal::PutU8(bytes, static_cast<std::uint8_t>(s.Type()));
        internal::PutF64(bytes, s.Start());
        internal::PutF64(bytes, s.Stop());
        internal::PutU32(bytes, static_cast<std::uint32_t>(s.Span()));
        internal::PutU32(bytes, static_cast<std::uint32_t>(s.First()));
        internal::PutU32(bytes, static_cast<std::uint32_t>(s.size()));
        internal::PutF64(bytes, s.Offset());
    }
}

bool InputArray::Deserialize(const std::uint8_t* data, std::size_t size, std::size_t* used) {
    constexpr std::size_t kSegmentBytes = 1 + 8 + 8 + 4 + 4 + 4 + 8;
    constexpr std::size_t kMaxPoints = 0x7FFFFFFF;
    internal::ByteReader in(data, size);
    std::uint32_t version = 0, count = 0;
    if (!in.GetU32(version) || version != kRecordVersion || !in.GetU32(count))
        return false;
    if (count > in.Remaining() / kSegmentBytes)
        return false;
    std::vector<Segment> segments(count);
    std::size_t points = 0;
    for (Segment& s : segments) {
        std::uint8_t type = 0;
        double start = 0, stop = 0, offset = 0;
        std::uint32_t span = 0, first = 0, n = 0;
        if (!in.GetU8(type) || !in.GetF64(start) || !in.GetF64(stop) || !in.GetU32(span) ||
            !in.GetU32(first) || !in.GetU32(n) || !in.GetF64(offset)) {
            return false;
        }
        if (span > kMaxPoints || !Segment::FromDefinition(static_cast<SegmentType>(type), start,
                                                          stop, span, first, n, offset, s)) {
            return false;
        }
        points += n;
        if (points > kMaxPoints)
            return false;
    }
    Rebuild(std::move(segments));
    if (used != nullptr)
        *used = in.Position();
    return true;
}

void ConformSegments(std::vector<InputArray>& arrays) {
    std::set<std::size_t> cuts;
    for (const InputArray& a : arrays) {
        for (std::size_t k = 0; k < a.NumSegments(); ++k)
            cuts.insert(a.SegmentStart(k));
    }
    for (InputArray& a : arrays) {
        InputArray out;
        for (std::size_t k = 0; k < a.NumSegments(); ++k) {
            const Segment& s = a.GetSegment(k);
            const std::size_t begin = a.SegmentStart(k), end = begin + s.size();
            std::size_t from = begin;
            for (auto c = cuts.upper_bound(begin); c != cuts.end() && *c < end; ++c) {
                out.push_back(s.Sub(from - begin, *c - from));
                from = *c;
            }
            out.push_back(s.Sub(from - begin, end - from));
        }
        a = std::move(out);
    }
}

}  // namespace QuorUtility
