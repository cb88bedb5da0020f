// SPDX-License-Identifier: Apache-2.0
// A count of every global operator new call of the process, for tests that show a code path
// allocates nothing. Linking allocation_counter.cpp into a test replaces the global operator
// new and delete; it is never part of the library.
#pragma once

namespace Tessel::testing_support {

// The number of global operator new calls so far, on any thread.
long AllocationCount();

}  // namespace Tessel::testing_support
