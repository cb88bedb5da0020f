// SPDX-License-Identifier: Apache-2.0
// The demo's self-contained HTML report: a summary table and inline SVG plots.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "examples/trace_demo/svg_plot.h"

namespace demo {

// A table of readouts shown under its caption, e.g. the marker table.
struct Table {
    std::string caption;
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

struct Report {
    std::string title;
    std::string intro;                                         // one paragraph, plain text
    std::vector<std::pair<std::string, std::string>> figures;  // label, value
    std::vector<std::string> notes;                            // plain-text bullet points
    std::vector<Table> tables;                                 // after the key figures
    std::vector<Plot> plots;
};

// The report as one HTML document with every plot inline (no scripts, no external resources).
std::string RenderHtml(const Report& report);

// Writes the report to dir/report.html, creating dir when needed. Returns the file's path;
// throws std::runtime_error when the folder or file cannot be written.
std::string WriteReport(const Report& report, const std::string& dir);

}  // namespace demo
