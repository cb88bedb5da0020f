// SPDX-License-Identifier: Apache-2.0
// The measurement utility types as the library namespace uses them.
//
// Inside namespace Tessel, `TsComplex` names the utility library's complex sample; the global
// structure of the same layout is named `::TsComplex` explicitly.
#pragma once

#include "platform/measutil/data_matrix.h"
#include "platform/measutil/input_array.h"
#include "platform/measutil/named_buffer.h"
#include "platform/measutil/segment.h"
#include "platform/measutil/ts_complex.h"

namespace Tessel {
using QuorUtility::DataMatrix;
using QuorUtility::InputArray;
using QuorUtility::NamedBuffer;
using QuorUtility::Segment;
using QuorUtility::TsComplex;
}  // namespace Tessel
