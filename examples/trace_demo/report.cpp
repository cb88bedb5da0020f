// SPDX-License-Identifier: Apache-2.0
#include "examples/trace_demo/report.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace demo {

std::string RenderHtml(const Report& r) {
    std::ostringstream o;
    o << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
      << XmlEscape(r.title) << "</title>\n<style>\n"
      << "body{font-family:sans-serif;max-width:820px;margin:2em auto;color:#222}\n"
      << "table{border-collapse:collapse;margin:1em 0}\n"
      << "td{border-bottom:1px solid #ddd;padding:4px 12px 4px 0;vertical-align:top}\n"
      << "td:first-child{color:#555}\nfigure{margin:1.5em 0}\n"
      << "table.readout td,table.readout th{padding:3px 14px 3px 0;text-align:right;"
      << "border-bottom:1px solid #ddd}\ntable.readout td:nth-child(-n+2),table.readout "
         "th:nth-child(-n+2){text-align:left}\n"
      << "table.readout th{border-bottom:2px solid #999}\n"
      << "</style>\n</head>\n<body>\n<h1>" << XmlEscape(r.title) << "</h1>\n<p>"
      << XmlEscape(r.intro) << "</p>\n<h2>Key figures</h2>\n<table>\n";
    for (const auto& [label, value] : r.figures) {
        o << "<tr><td>" << XmlEscape(label) << "</td><td>" << XmlEscape(value) << "</td></tr>\n";
    }
    o << "</table>\n";
    if (!r.notes.empty()) {
        o << "<ul>\n";
        for (const std::string& n : r.notes)
            o << "<li>" << XmlEscape(n) << "</li>\n";
        o << "</ul>\n";
    }
    for (const Table& t : r.tables) {
        o << "<h2>" << XmlEscape(t.caption) << "</h2>\n<table class=\"readout\">\n<tr>";
        for (const std::string& h : t.header)
            o << "<th>" << XmlEscape(h) << "</th>";
        o << "</tr>\n";
        for (const auto& row : t.rows) {
            o << "<tr>";
            for (const std::string& cell : row)
                o << "<td>" << XmlEscape(cell) << "</td>";
            o << "</tr>\n";
        }
        o << "</table>\n";
    }
    o << "<h2>Plots</h2>\n";
    for (const Plot& p : r.plots) {
        o << "<figure>\n" << RenderSvg(p) << "</figure>\n";
    }
    o << "</body>\n</html>\n";
    return o.str();
}

std::string WriteReport(const Report& report, const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        throw std::runtime_error("cannot create folder " + dir + ": " + ec.message());
    }
    const std::string path =
        std::filesystem::absolute(std::filesystem::path(dir) / "report.html").string();
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << RenderHtml(report);
    f.close();
    if (!f) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

}  // namespace demo
