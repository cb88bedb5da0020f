// The whole public API of tessel.
#pragma once

#include "platform/measutil/data_matrix.h"
#include "platform/measutil/eterm_names.h"
#include "platform/measutil/input_array.h"
#include "platform/measutil/interpolation.h"
#include "platform/measutil/named_buffer.h"
#include "platform/measutil/point_averaging.h"
#include "platform/measutil/quor_exception.h"
#include "platform/measutil/segment.h"
#include "platform/measutil/statistics.h"
#include "platform/measutil/ts_complex.h"
#include "tessel/core/status.h"
#include "tessel/core/types.h"
#include "tessel/format/data_format.h"
#include "tessel/format/na_unit.h"
#include "tessel/format/trace_format.h"
#include "tessel/correction/correction_kernels.h"
