// SPDX-License-Identifier: Apache-2.0
// Python bindings: network math on stacks of S-matrices (shape (points, n, n), complex64):
// S/T conversion, cascading, anti-networks and embedding a four-port fixture.
#include <string>
#include <vector>

#include <pybind11/stl.h>

#include "common.h"
#include "common_ext.h"
#include "tessel/network/anti_network.h"
#include "tessel/network/embedding.h"
#include "tessel/network/two_port_conversions.h"

namespace tessel_py {

using Tessel::ComplexMatrixVector;
using Tessel::TsComplex;

namespace {

ComplexMatrixVector S2TAll(const ComplexMatrixVector& s) {
    ComplexMatrixVector t;
    t.reserve(s.size());
    for (const auto& m : s)
        t.push_back(Tessel::S2T(m));
    return t;
}

CArray SToT(const CArray& s) {
    const ComplexMatrixVector in = ToMatrices(s, "s", 2, 2);
    ComplexMatrixVector out;
    {
        py::gil_scoped_release release;
        out = S2TAll(in);
    }
    return FromMatrices(out);
}

CArray TToS(const CArray& t) {
    const ComplexMatrixVector in = ToMatrices(t, "t", 2, 2);
    ComplexMatrixVector out;
    {
        py::gil_scoped_release release;
        out = Tessel::T2S(in);
    }
    return FromMatrices(out);
}

// S-matrices of the two-ports in cascade, port 2 of each joined to port 1 of the next.
CArray Cascade(const py::args& networks) {
    if (networks.size() < 2)
        throw py::value_error("cascade needs at least two networks");
    std::vector<ComplexMatrixVector> ins;
    for (auto n : networks) {
        ins.push_back(ToMatrices(py::cast<CArray>(n), "network", 2, 2));
        SameLength(static_cast<int>(ins.front().size()), static_cast<int>(ins.back().size()),
                   "first network", "network");
    }
    ComplexMatrixVector out;
    {
        py::gil_scoped_release release;
        ComplexMatrixVector t = S2TAll(ins[0]);
        for (std::size_t k = 1; k < ins.size(); ++k)
            t = Tessel::multiply(t, S2TAll(ins[k]));
        out = Tessel::T2S(t);
    }
    return FromMatrices(out);
}

CArray AntiNetwork(const CArray& s) {
    const ComplexMatrixVector in = ToMatrices(s, "s", 2, 4);
    if (in[0].rows() == 3)
        throw py::value_error("s must hold 2-port or 4-port matrices");
    ComplexMatrixVector out;
    long status = 0;
    {
        py::gil_scoped_release release;
        if (in[0].rows() == 2) {
            out.reserve(in.size());
            for (const auto& m : in)
                out.push_back(Tessel::antinet(m));
        } else {
            status = Tessel::CalculateAntiNetwork(in, out);
        }
    }
    Check(status, "anti_network");
    return FromMatrices(out);
}

CArray Embed(const CArray& s, const CArray& network, const py::object& portsArg) {
    const ComplexMatrixVector nets = ToMatrices(network, "network", 4, 4);
    if (s.ndim() != 3 || s.shape(1) != s.shape(2) || s.shape(1) < 2 || s.shape(1) > 4)
        throw py::value_error("s must have the shape (points, n, n) with n 2..4");
    const int n = static_cast<int>(s.shape(1));
    const int points = static_cast<int>(s.shape(0));
    if (points == 0)
        throw py::value_error("s must not be empty");
    SameLength(points, static_cast<int>(nets.size()), "s", "network");
    std::vector<int> all;
    for (int p = 1; p <= n; ++p)
        all.push_back(p);
    std::vector<int> ports = portsArg.is_none() ? all : portsArg.cast<std::vector<int>>();

    QuorUtility::DataMatrix data(n, all, points);
    std::vector<TsComplex> buffer(static_cast<std::size_t>(points));
    const TsComplex* in = CPtr(s);
    auto element = [&](int r, int c) { return static_cast<std::size_t>(r * n + c); };
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            for (int k = 0; k < points; ++k)
                buffer[static_cast<std::size_t>(k)] =
                    in[static_cast<std::size_t>(k * n * n) + element(r, c)];
            data.SetDataByPhysicalPort(r + 1, c + 1, buffer, 0, points);
        }
    long status;
    {
        py::gil_scoped_release release;
        status = Tessel::EmbedNetwork(0, points, ports, data, nets);
    }
    Check(status, "embed");
    CArray out({static_cast<py::ssize_t>(points), static_cast<py::ssize_t>(n),
                static_cast<py::ssize_t>(n)});
    TsComplex* o = CPtr(out);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            data.GetDataByPhysicalPort(r + 1, c + 1, buffer, 0, points);
            for (int k = 0; k < points; ++k)
                o[static_cast<std::size_t>(k * n * n) + element(r, c)] =
                    buffer[static_cast<std::size_t>(k)];
        }
    return out;
}

}  // namespace

void BindNetwork(py::module_& m) {
    m.def("s_to_t", &SToT, py::arg("s"),
          "Returns the cascading T-matrices (points, 2, 2) of the S-matrices s: T11 = 1/S21, "
          "T12 = -S22/S21, T21 = S11/S21, T22 = S12 - S11*S22/S21.");
    m.def("t_to_s", &TToS, py::arg("t"), "Returns the S-matrices of the T-matrices t.");
    m.def("cascade", &Cascade,
          "cascade(a, b, ...) returns the S-matrices (points, 2, 2) of the two-ports in "
          "cascade, port 2 of each joined to port 1 of the next.");
    m.def("anti_network", &AntiNetwork, py::arg("s"),
          "Returns the anti-networks of s (points, 2, 2) or of four-port fixtures (points, 4, "
          "4; ports 1-2 on one side, 3-4 on the other): the networks that, cascaded with s, "
          "give a perfect through. TesselError when a four-port inversion is singular.");
    m.def("embed", &Embed, py::arg("s"), py::arg("network"), py::kw_only(),
          py::arg("ports") = py::none(),
          "Returns s (points, n, n), n = 2..4, seen through the four-port `network` (points, 4, "
          "4): its ports 3 and 4 are joined to ports[0] and ports[1] of s (ports 1, 2 by "
          "default; ports lists every port of s to embed, 2 to 4 of them), its ports 1 and 2 "
          "become those ports. De-embedding is embedding the anti-network. TesselError when a "
          "point is singular.");
}

}  // namespace tessel_py
