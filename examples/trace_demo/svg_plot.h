// SPDX-License-Identifier: Apache-2.0
// A small SVG line-plot writer for the demo report: titled plots with axes, ticks, units,
// a legend and optional marker lines, as self-contained SVG text (no scripts, no fonts to load).
#pragma once

#include <string>
#include <vector>

namespace demo {

struct Series {
    std::string label;
    std::vector<double> x;
    std::vector<double> y;  // non-finite values break the line
    std::string color = "#1f77b4";
    bool dashed = false;
};

// A vertical marker line at x with a short label; a non-empty tooltip becomes the line's
// hover text (an SVG <title>).
struct MarkerLine {
    double x = 0.0;
    std::string label;
    std::string tooltip;
};

// A point drawn on the data: a labelled triangle (a marker readout) or a small ring (a failing
// limit-test point). The tooltip is its hover text.
struct PointMark {
    enum Shape { Triangle, Ring };
    double x = 0.0, y = 0.0;
    std::string label;  // drawn next to the point; empty for none
    std::string tooltip;
    std::string color = "#000000";
    Shape shape = Triangle;
};

struct Plot {
    std::string title;
    std::string xLabel;  // with unit, e.g. "Frequency (GHz)"
    std::string yLabel;  // with unit, e.g. "|S21| (dB)"
    std::vector<Series> series;
    std::vector<MarkerLine> markers;
    std::vector<PointMark> points;
    // Optional fixed y range; used when yMin < yMax.
    double yMin = 0.0;
    double yMax = 0.0;
};

// Renders the plot as an <svg> element of the given size in pixels.
std::string RenderSvg(const Plot& plot, int width = 760, int height = 380);

// Tick positions covering [lo, hi] with a 1-2-5 step, about `target` of them.
std::vector<double> NiceTicks(double lo, double hi, int target);

// Escapes &, <, > and quotes for XML text and attributes.
std::string XmlEscape(const std::string& s);

}  // namespace demo
