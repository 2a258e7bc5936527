#!/usr/bin/env python3
"""The libraries each built program loads at its start, as the dynamic
loader resolves them (ldd): a program carries only what its code calls.
norvik posts through the curl program and pulvo through a plain socket,
so neither loads libcurl; only update checks an installer's signature.

    program_libraries_test.py <Sablo> <update> <norvik> <pulvo>
"""
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from end_to_end import check, finish, require  # noqa: E402

require("ldd")
SABLO, UPDATE, NORVIK, PULVO = sys.argv[1:5]

# program, libraries it must load, libraries it must not load
TABLE = [
    (SABLO, ["libcurl.so"], []),
    (UPDATE, ["libcurl.so", "libcrypto.so"], []),
    (NORVIK, [], ["libcurl.so", "libcrypto.so", "libssl.so"]),
    (PULVO, [], ["libcurl.so", "libcrypto.so", "libssl.so"]),
]


def loaded(program):
    out = subprocess.run(["ldd", program], check=True, capture_output=True,
                         text=True).stdout
    return [line.split()[0] for line in out.splitlines() if line.strip()]


for program, wanted, unwanted in TABLE:
    names = loaded(program)
    name = os.path.basename(program)
    check("libc.so.6" in names, f"{name}: ldd lists its libraries {names}")
    for lib in wanted:
        check(any(n.startswith(lib) for n in names), f"{name} loads {lib}")
    for lib in unwanted:
        check(not any(n.startswith(lib) for n in names),
              f"{name} does not load {lib}")
finish()
