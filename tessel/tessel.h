// The whole public API of tessel.
#pragma once

#include "platform/measutil/named_buffer.h"
#include "platform/measutil/quor_exception.h"
#include "platform/measutil/ts_complex.h"
#include "tessel/core/status.h"
#include "tessel/core/types.h"
#include "tessel/format/data_format.h"
#include "tessel/format/na_unit.h"
#include "tessel/format/trace_format.h"
#include "tessel/network/lu_factor.h"
#include "tessel/network/matrix.h"
#include "tessel/network/matrix_element.h"
#include "tessel/network/two_port_conversions.h"
#include "tessel/correction/correction_kernels.h"
