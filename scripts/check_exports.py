#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Checks that a shared library exports its public API and nothing else.

    check_exports.py <libtessel.so> <source root> [<umbrella header>]

The public API is what the umbrella header (tessel/tessel.h under the source root by default)
includes. From those headers, comments and string literals removed, the script collects every
identifier; a name the headers never spell cannot be public. Then each symbol of
`nm -D --defined-only -C` is reduced to the qualified name it belongs to (the class of a member,
vtable, typeinfo or guard variable; the function itself; template arguments and parameter lists
set aside, since public templates may be instantiated on any type) and must pass two rules:

  forbidden  a scope `internal` or `(anonymous namespace)`, anything of the standard library
             (std::, __gnu_cxx::), of Boost (boost::), and the C entry points of the FFT and
             vector-math libraries (fftw*, kiss_*, Sleef_*);
  allowed    every component of the qualified name (namespace, class, member) is an identifier
             of the public headers; the linker's own markers (_edata, _end, ...) are allowed.

Conversely, every free function and variable the public headers declare at namespace scope
without defining it must be exported (by name: one exported overload satisfies it), so a
declaration that lost its TESSEL_EXPORT is found too.

Prints each problem and exits 1 when there is any, 0 otherwise.
"""

import re
import subprocess
import sys
from pathlib import Path

LINKER_MARKERS = {"_edata", "_end", "__bss_start", "_init", "_fini"}
FORBIDDEN_SCOPES = ("std", "__gnu_cxx", "boost")
FORBIDDEN_C_PREFIXES = ("fftw", "kiss_", "Sleef_")
# Demangler phrases that put a symbol's owner after them.
OWNER_PREFIXES = ("construction vtable for ", "typeinfo name for ", "typeinfo for ",
                  "vtable for ", "VTT for ", "guard variable for ", "non-virtual thunk to ",
                  "virtual thunk to ", "covariant return thunk to ", "reference temporary #")
IDENT = re.compile(r"[A-Za-z_]\w*")


def public_headers(root, umbrella):
    """The umbrella header and every header it includes, relative to the source root."""
    text = umbrella.read_text()
    names = re.findall(r'^#include "([^"]+)"', text, re.M)
    return [umbrella] + [root / n for n in names]


def strip_comments_and_strings(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    text = re.sub(r"//[^\n]*", " ", text)
    return re.sub(r'L?"(?:\\.|[^"\\])*"', '""', text)


def public_identifiers(headers):
    idents = set()
    for h in headers:
        idents.update(IDENT.findall(strip_comments_and_strings(h.read_text())))
    return idents


DECL_SKIP = re.compile(r"^(inline|template|constexpr|static|typedef|using|namespace|enum|friend|"
                       r"class|struct|union|return|#|}|{|\))")


def declared_functions(headers):
    """Names of the free functions and variables the public headers declare without defining:
    statements at namespace scope (column 0, as the formatter lays them out) that end in `;`
    and are neither inline, templates nor deleted. Each must be exported."""
    names = set()
    for h in headers:
        lines = strip_comments_and_strings(h.read_text()).split("\n")
        previous = ""
        for i, line in enumerate(lines):
            if line[:1].strip() and not DECL_SKIP.match(line) and not previous.startswith("template"):
                stmt = ""
                for follow in lines[i:]:
                    stmt += follow + " "
                    if ";" in follow or "{" in follow:
                        break
                semi, brace = stmt.find(";"), stmt.find("{")
                if semi != -1 and (brace == -1 or semi < brace) and "= delete" not in stmt:
                    m = re.search(r"(\w+)\s*(\(|\[|;)", stmt.replace("TESSEL_EXPORT", ""))
                    if m and not m.group(1).startswith("TESSEL_"):
                        names.add(m.group(1))
            if line.strip():
                previous = line.strip()
    return names


def split_top(name, sep):
    """Splits at `sep` outside <...> and (...)."""
    parts, depth, cur, i = [], 0, "", 0
    while i < len(name):
        c = name[i]
        if c in "<(":
            depth += 1
        elif c in ">)":
            depth -= 1
        if depth == 0 and name.startswith(sep, i):
            parts.append(cur)
            cur = ""
            i += len(sep)
            continue
        cur += c
        i += 1
    parts.append(cur)
    return parts


def owner_components(symbol):
    """The components of the qualified name a demangled symbol belongs to, without template
    arguments, or None when the symbol is not a C++ name."""
    for prefix in OWNER_PREFIXES:
        if symbol.startswith(prefix):
            symbol = symbol[len(prefix):]
            if prefix == "reference temporary #":
                symbol = symbol.split(" for ", 1)[-1]
            elif prefix == "construction vtable for ":
                symbol = symbol.split("-in-", 1)[-1]
    symbol = symbol.rstrip("*& ")
    if "::" not in symbol and "(" not in symbol and "<" not in symbol:
        return [symbol]
    # The name ends at the first parameter list outside template arguments; a return type
    # (template functions) is separated from it by a space at the outer level.
    symbol = symbol.replace("(anonymous namespace)", "@anon@")
    head = ""
    depth = 0
    for c in symbol:
        if c == "<":
            depth += 1
        elif c == ">":
            depth -= 1
        elif c == "(" and depth == 0:
            break
        head += c
    if "operator" in head:
        head = head[: head.index("operator")] + "operator"
    outer = split_top(head, " ")[-1]
    comps = [re.sub(r"<.*|\[abi:\w+\]", "", c).lstrip("~") for c in split_top(outer, "::")]
    return [c.replace("@anon@", "(anonymous namespace)") for c in comps]


def violations(symbols, idents):
    bad = []
    for sym in symbols:
        if sym in LINKER_MARKERS:
            continue
        if sym.startswith(FORBIDDEN_C_PREFIXES):
            bad.append((sym, "symbol of an FFT or vector-math library"))
            continue
        comps = owner_components(sym)
        if comps[0] in FORBIDDEN_SCOPES:
            bad.append((sym, "standard library or Boost instance"))
        elif "internal" in comps or "(anonymous namespace)" in comps:
            bad.append((sym, "internal or anonymous scope"))
        else:
            unknown = [c for c in comps if c != "operator" and c not in idents]
            if unknown:
                bad.append((sym, "not declared in a public header: " + "::".join(unknown)))
    return bad


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    lib, root = argv[1], Path(argv[2])
    umbrella = Path(argv[3]) if len(argv) == 4 else root / "tessel" / "tessel.h"
    idents = public_identifiers(public_headers(root, umbrella))
    out = subprocess.run(["nm", "-D", "--defined-only", "-C", lib], check=True,
                         capture_output=True, text=True).stdout
    symbols = [line.split(" ", 2)[2] for line in out.splitlines() if line.count(" ") >= 2]
    bad = violations(symbols, idents)
    exported = {c for sym in symbols for c in owner_components(sym)}
    for name in sorted(declared_functions(public_headers(root, umbrella)) - exported):
        bad.append((name, "declared in a public header but not exported"))
    for sym, why in bad:
        print(f"{why}: {sym}")
    print(f"{len(symbols)} exported symbols, {len(bad)} problems")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
