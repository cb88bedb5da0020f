// SPDX-License-Identifier: Apache-2.0
#include "examples/trace_demo/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <sstream>

namespace demo {

namespace {

struct Range {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void Add(double v) {
        if (std::isfinite(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    bool Valid() const { return lo <= hi; }
};

double NiceStep(double span, int target) {
    const double raw = span / std::max(target, 1);
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    const double r = raw / mag;
    return (r < 1.5 ? 1.0 : r < 3.0 ? 2.0 : r < 7.0 ? 5.0 : 10.0) * mag;
}

// Widens a degenerate or empty range so it can be drawn.
Range Padded(Range r) {
    if (!r.Valid())
        return Range{0.0, 1.0};
    if (r.hi - r.lo < 1e-12 * std::max(1.0, std::abs(r.hi))) {
        const double d = std::max(std::abs(r.hi) * 0.1, 1e-9);
        return Range{r.lo - d, r.hi + d};
    }
    return r;
}

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

std::string TickLabel(double v, double step) {
    if (std::abs(v) < step * 1e-6)
        v = 0.0;
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", std::min(decimals, 9), v);
    return buf;
}

}  // namespace

std::vector<double> NiceTicks(double lo, double hi, int target) {
    std::vector<double> ticks;
    if (!(hi > lo) || !std::isfinite(lo) || !std::isfinite(hi))
        return ticks;
    const double step = NiceStep(hi - lo, target);
    // Ticks are integer multiples of the step, so errors do not accumulate along the axis.
    for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9; k += 1.0) {
        ticks.push_back(k == 0.0 ? 0.0 : k * step);
    }
    return ticks;
}

std::string XmlEscape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string RenderSvg(const Plot& plot, int width, int height) {
    Range xr, yr;
    for (const Series& s : plot.series) {
        const size_t n = std::min(s.x.size(), s.y.size());
        for (size_t i = 0; i < n; ++i) {
            if (std::isfinite(s.y[i])) {
                xr.Add(s.x[i]);
                yr.Add(s.y[i]);
            }
        }
    }
    xr = Padded(xr);
    if (plot.yMin < plot.yMax) {
        yr = Range{plot.yMin, plot.yMax};
    } else {
        yr = Padded(yr);
        const double pad = 0.05 * (yr.hi - yr.lo);
        yr.lo -= pad;
        yr.hi += pad;
    }
    const double left = 78, right = 20, top = 40, bottom = 56;
    const double pw = width - left - right, ph = height - top - bottom;
    auto X = [&](double v) { return left + (v - xr.lo) / (xr.hi - xr.lo) * pw; };
    auto Y = [&](double v) { return top + (yr.hi - v) / (yr.hi - yr.lo) * ph; };

    std::ostringstream o;
    o << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
      << "\" viewBox=\"0 0 " << width << ' ' << height
      << "\" font-family=\"sans-serif\" font-size=\"12\" role=\"img\">\n";
    o << "<title>" << XmlEscape(plot.title) << "</title>\n";
    o << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    o << "<text x=\"" << width / 2 << "\" y=\"22\" text-anchor=\"middle\" font-size=\"15\" "
      << "font-weight=\"bold\">" << XmlEscape(plot.title) << "</text>\n";

    // Grid and ticks.
    const std::vector<double> xt = NiceTicks(xr.lo, xr.hi, 8), yt = NiceTicks(yr.lo, yr.hi, 6);
    const double xstep = xt.size() > 1 ? xt[1] - xt[0] : 1.0;
    const double ystep = yt.size() > 1 ? yt[1] - yt[0] : 1.0;
    for (double t : xt) {
        o << "<line x1=\"" << Num(X(t)) << "\" y1=\"" << top << "\" x2=\"" << Num(X(t))
          << "\" y2=\"" << top + ph << "\" stroke=\"#e3e3e3\"/>\n";
        o << "<text x=\"" << Num(X(t)) << "\" y=\"" << top + ph + 16 << "\" text-anchor=\"middle\">"
          << TickLabel(t, xstep) << "</text>\n";
    }
    for (double t : yt) {
        o << "<line x1=\"" << left << "\" y1=\"" << Num(Y(t)) << "\" x2=\"" << left + pw
          << "\" y2=\"" << Num(Y(t)) << "\" stroke=\"#e3e3e3\"/>\n";
        o << "<text x=\"" << left - 6 << "\" y=\"" << Num(Y(t) + 4) << "\" text-anchor=\"end\">"
          << TickLabel(t, ystep) << "</text>\n";
    }
    o << "<rect x=\"" << left << "\" y=\"" << top << "\" width=\"" << pw << "\" height=\"" << ph
      << "\" fill=\"none\" stroke=\"#444\"/>\n";
    o << "<text x=\"" << Num(left + pw / 2) << "\" y=\"" << height - 14
      << "\" text-anchor=\"middle\">" << XmlEscape(plot.xLabel) << "</text>\n";
    o << "<text transform=\"translate(18," << Num(top + ph / 2)
      << ") rotate(-90)\" text-anchor=\"middle\">" << XmlEscape(plot.yLabel) << "</text>\n";

    // Data, clipped to the plot area.
    static int clipId = 0;
    const std::string clip = "clip" + std::to_string(++clipId);
    o << "<clipPath id=\"" << clip << "\"><rect x=\"" << left << "\" y=\"" << top << "\" width=\""
      << pw << "\" height=\"" << ph << "\"/></clipPath>\n";
    o << "<g clip-path=\"url(#" << clip << ")\" fill=\"none\" stroke-width=\"1.6\">\n";
    for (const Series& s : plot.series) {
        const size_t n = std::min(s.x.size(), s.y.size());
        std::string d;
        bool pen = false;
        for (size_t i = 0; i < n; ++i) {
            if (!std::isfinite(s.y[i]) || !std::isfinite(s.x[i])) {
                pen = false;
                continue;
            }
            d += (pen ? " L" : " M") + Num(X(s.x[i])) + ',' + Num(Y(s.y[i]));
            pen = true;
        }
        o << "<path d=\"" << d << "\" stroke=\"" << s.color << '"'
          << (s.dashed ? " stroke-dasharray=\"6,4\"" : "") << "/>\n";
    }
    for (size_t k = 0; k < plot.markers.size(); ++k) {
        // Labels step down the plot so that neighbouring markers stay readable.
        const MarkerLine& m = plot.markers[k];
        o << "<line x1=\"" << Num(X(m.x)) << "\" y1=\"" << top << "\" x2=\"" << Num(X(m.x))
          << "\" y2=\"" << top + ph << "\" stroke=\"#d62728\" stroke-dasharray=\"3,3\"";
        if (m.tooltip.empty()) {
            o << "/>\n";
        } else {
            // A wide transparent stroke on top makes the thin line easy to hover.
            o << "/>\n<line x1=\"" << Num(X(m.x)) << "\" y1=\"" << top << "\" x2=\"" << Num(X(m.x))
              << "\" y2=\"" << top + ph << "\" stroke=\"transparent\" stroke-width=\"8\"><title>"
              << XmlEscape(m.tooltip) << "</title></line>\n";
        }
        o << "<text x=\"" << Num(X(m.x) + 4) << "\" y=\"" << top + 14 + 16 * k
          << "\" fill=\"#d62728\" stroke=\"white\" stroke-width=\"3\" paint-order=\"stroke\">"
          << XmlEscape(m.label) << "</text>\n";
    }
    o << "</g>\n";
    // Points outside the plot area are not drawn at all: a clipped half-symbol would suggest
    // a value at the frame.
    // Labels of nearby points climb above each other instead of overlapping.
    std::vector<std::pair<double, double>> placed;
    for (const PointMark& p : plot.points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || p.x < xr.lo || p.x > xr.hi ||
            p.y < yr.lo || p.y > yr.hi) {
            continue;
        }
        const double px = X(p.x), py = Y(p.y);
        o << "<g><title>" << XmlEscape(p.tooltip) << "</title>";
        if (p.shape == PointMark::Ring) {
            o << "<circle cx=\"" << Num(px) << "\" cy=\"" << Num(py)
              << "\" r=\"3.5\" fill=\"none\" "
              << "stroke=\"" << p.color << "\" stroke-width=\"1.5\"/>";
        } else {
            // A downward triangle whose tip sits on the point, as analyzers draw markers.
            o << "<path d=\"M" << Num(px) << ',' << Num(py) << " l-6,-11 h12 z\" fill=\"" << p.color
              << "\" stroke=\"white\" stroke-width=\"0.8\"/>";
        }
        if (!p.label.empty()) {
            double ly = py - 14;
            for (bool moved = true; moved;) {
                moved = false;
                for (const auto& [x, y] : placed) {
                    if (std::abs(x - px) < 12 && std::abs(y - ly) < 12) {
                        ly = y - 12;
                        moved = true;
                    }
                }
            }
            placed.emplace_back(px, ly);
            o << "<text x=\"" << Num(px) << "\" y=\"" << Num(ly)
              << "\" text-anchor=\"middle\" font-size=\"11\" font-weight=\"bold\" fill=\""
              << p.color << "\">" << XmlEscape(p.label) << "</text>";
        }
        o << "</g>\n";
    }

    // Legend, top right inside the plot; series without a label are not listed.
    std::vector<const Series*> listed;
    for (const Series& s : plot.series) {
        if (!s.label.empty())
            listed.push_back(&s);
    }
    if (!listed.empty()) {
        size_t longest = 0;
        for (const Series* s : listed)
            longest = std::max(longest, s->label.size());
        const double lw = 48 + 7.5 * longest, lh = 8 + 18.0 * listed.size();
        // The corner whose box covers the fewest drawn points, top right on a tie. A marker
        // label under the box counts as many points: hiding a label hides a readout.
        const double corners[4][2] = {{left + pw - lw - 8, top + 8},
                                      {left + 8, top + 8},
                                      {left + pw - lw - 8, top + ph - lh - 8},
                                      {left + 8, top + ph - lh - 8}};
        int best = 0;
        size_t fewest = SIZE_MAX;
        for (int c = 0; c < 4; ++c) {
            size_t covered = 0;
            for (const Series& s : plot.series) {
                for (size_t i = 0; i < std::min(s.x.size(), s.y.size()); ++i) {
                    const double x = X(s.x[i]), y = Y(s.y[i]);
                    covered += x >= corners[c][0] && x <= corners[c][0] + lw &&
                               y >= corners[c][1] && y <= corners[c][1] + lh;
                }
            }
            for (size_t k = 0; k < plot.markers.size(); ++k) {
                const double x0 = X(plot.markers[k].x) + 4, y0 = top + 14 + 16 * k;
                const double x1 = x0 + 7.0 * plot.markers[k].label.size();
                if (x1 >= corners[c][0] && x0 <= corners[c][0] + lw && y0 >= corners[c][1] &&
                    y0 - 12 <= corners[c][1] + lh) {
                    covered += 1000;
                }
            }
            if (covered < fewest) {
                fewest = covered;
                best = c;
            }
        }
        const double lx = corners[best][0], ly = corners[best][1];
        o << "<rect x=\"" << Num(lx) << "\" y=\"" << ly << "\" width=\"" << Num(lw)
          << "\" height=\"" << Num(lh) << "\" fill=\"white\" fill-opacity=\"0.85\" "
          << "stroke=\"#999\"/>\n";
        for (size_t k = 0; k < listed.size(); ++k) {
            const Series& s = *listed[k];
            const double y = ly + 14 + 18.0 * k;
            o << "<line x1=\"" << Num(lx + 6) << "\" y1=\"" << Num(y - 4) << "\" x2=\""
              << Num(lx + 30) << "\" y2=\"" << Num(y - 4) << "\" stroke=\"" << s.color
              << "\" stroke-width=\"2\"" << (s.dashed ? " stroke-dasharray=\"6,4\"" : "") << "/>\n";
            o << "<text x=\"" << Num(lx + 36) << "\" y=\"" << Num(y) << "\">" << XmlEscape(s.label)
              << "</text>\n";
        }
    }
    o << "</svg>\n";
    return o.str();
}

}  // namespace demo
