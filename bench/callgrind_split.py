#!/usr/bin/env python3
"""Instructions (Ir) of one callgrind dump, per object: the gadget
(libvantro), the simulated platform (libvantro-platform-sim), everything else
(EFL, the C and C++ runtimes, the harness) and the total. Prints one line:
NAME GADGET SIM OTHER TOTAL. Self cost only: a call's inclusive line is
skipped, so every instruction is counted once, in the object it ran in."""
import re
import sys


def split(path):
    names = {}  # compressed ob ids -> names
    ob = ""
    desc = ""
    skip_next = False
    counts = {"gadget": 0, "sim": 0, "other": 0}
    ir_index = None
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if skip_next:
                skip_next = False
                continue
            if line.startswith("events:"):
                ir_index = line.split()[1:].index("Ir")
                continue
            if line.startswith("desc: Trigger:"):
                desc = line
                continue
            m = re.match(r"^(c?ob)=(?:\((\d+)\))?\s*(.*)$", line)
            if m:
                kind, ident, name = m.groups()
                if ident and name:
                    names[ident] = name
                resolved = names.get(ident, name) if ident else name
                if kind == "ob":
                    ob = resolved
                continue
            if line.startswith("calls="):
                skip_next = True
                continue
            if not line or not (line[0].isdigit() or line[0] in "+-*"):
                continue
            parts = line.split()
            if ir_index is None or len(parts) < 2 + ir_index:
                continue
            ir = int(parts[1 + ir_index])
            base = ob.rsplit("/", 1)[-1]
            if base.startswith("libvantro-platform-sim"):
                counts["sim"] += ir
            elif base.startswith("libvantro.so"):
                counts["gadget"] += ir
            else:
                counts["other"] += ir
    m = re.search(r"Client Request: (\S+)", desc)
    return (m.group(1) if m else "?"), counts


for path in sys.argv[1:]:
    name, c = split(path)
    print(name, c["gadget"], c["sim"], c["other"], c["gadget"] + c["sim"] + c["other"])
