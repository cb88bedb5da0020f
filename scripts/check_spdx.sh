#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Lists the source files that lack the SPDX licence line and fails if there is any.
#   scripts/check_spdx.sh [file...]     (default: every source file of the repository)
exec "$(dirname "${BASH_SOURCE[0]}")/add-spdx.sh" --check "$@"
