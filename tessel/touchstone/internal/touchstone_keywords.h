// SPDX-License-Identifier: Apache-2.0
// Version 2 keyword helpers shared by the reader and the writer: keyword names, and
// [Mixed-Mode Order] lists (parsing, checking, writing).
//
// A [Mixed-Mode Order] list has one entry per port: "D<p>,<n>" and "C<p>,<n>" (the differential and
// common mode of the port pair p, n; letters in either case) and "S<p>" (port p single-ended). A
// valid list names every port exactly once in an S entry or in one pair, and has a C entry for each
// D entry with the same two ports in the same order, and no other C entry.
#pragma once

#include <string>
#include <vector>

#include "tessel/touchstone/touchstone.h"

namespace Tessel::internal {

// The keyword of a line starting with "[": the words between the brackets in lower case, joined
// by single spaces ("[End  Information ]" gives "end information"); "" without a closing bracket.
std::string KeywordOf(const std::string& line);

// A token as it may appear in a one-line message: quoted, printable, cut after 24 characters.
std::string Quoted(const std::string& tok);

// Parses the whitespace-separated entries of `text` into `order` and checks the list for
// `ports` ports. Returns "" on success, else what was expected (for an "expected ..." message).
std::string ParseMixedModeOrder(const std::string& text, int ports,
                                std::vector<TsMixedModeEntry>& order);

// "" when `order` is a valid list for `ports` ports, else what was expected.
std::string CheckMixedModeOrder(const std::vector<TsMixedModeEntry>& order, int ports);

// The entries as a file writes them, separated by single spaces: "D1,2 C1,2 S3".
std::string MixedModeOrderText(const std::vector<TsMixedModeEntry>& order);

}  // namespace Tessel::internal
