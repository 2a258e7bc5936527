"""The footprint section of bench/run: bench/footprint's rounds (one per
run), as rows of its table.  bench/run gives this module Row and Missing;
the notes (memory by mapping, the CPU of one start of each program a pass
starts) go to standard error.  Needs root, like bench/footprint; without
it the section is left out with the reason."""
import importlib.machinery
import os
import sys
import types

HERE = os.path.dirname(os.path.abspath(__file__))
WINDOW = 60.0  # seconds for a monitored hour


def footprint():
    loader = importlib.machinery.SourceFileLoader(
        "footprint", os.path.join(HERE, "footprint"))
    module = types.ModuleType("footprint")
    module.__file__ = loader.path
    loader.exec_module(module)
    return module


def rows(ctx):
    fp = footprint()
    try:
        rounds, notes = fp.measure(ctx.build, ctx.runs, WINDOW)
    except fp.NotBuilt as e:
        raise Missing(str(e))  # noqa: F821 (given by bench/run)
    except fp.Unfit as e:
        print(f"section footprint left out: {e}", file=sys.stderr)
        return []
    for note in notes:
        print(note, file=sys.stderr)

    def of(name, key):
        return [r[name][key] for r in rounds]

    def beyond_floor(key):
        return [r["ours"][key] - r["floor"][key] for r in rounds]

    steady = "steady: median over the monitored hour"
    every = "Sablo and all it starts, Apache left out"
    return [Row(*fields) for fields in (  # noqa: F821 (given by bench/run)
        ("RSS beyond the libcurl floor", "MiB", beyond_floor("rss"), None,
         ("ours", 1.0), steady),
        ("PSS beyond the libcurl floor", "MiB", beyond_floor("pss"), None,
         ("ours", 1.0), steady),
        ("PSS / ddclient's", "MiB", of("ours", "pss"), of("ddclient", "pss"),
         ("ratio", 0.5), steady),
        ("PSS / inadyn's", "MiB", of("ours", "pss"), of("inadyn", "pss"),
         None, steady),
        ("CPU per monitored minute / inadyn's", "ms", of("ours", "cpu"),
         of("inadyn", "cpu"), ("ratio", 1.0), every),
        ("  Sablo's own process / inadyn's", "ms", of("ours", "cpu_own"),
         of("inadyn", "cpu"), None, "the programs it starts left out"),
        ("CPU per monitored minute / ddclient's", "ms", of("ours", "cpu"),
         of("ddclient", "cpu"), None, every),
    )]
