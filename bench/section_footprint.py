"""The footprint section of bench/run: bench/footprint's rounds (one per
run), as rows of its table.  bench/run gives this module Row and Missing;
the notes (memory by mapping, the CPU of one start of each program a pass
starts) go to standard error.  Needs root, like bench/footprint; without
it the section is left out with the reason."""
import importlib.machinery
import json
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

    def design_floor():
        # One curl run, two program starts and inadyn's minute for the
        # reverse check: what the monitored minute cannot go below.  The
        # starts are measured alone, one after another, after the rounds.
        return [r["starts"]["curl alone"] + 2 * r["starts"]["/bin/true"] +
                r["inadyn"]["cpu"] for r in rounds]

    def design_floor_beside():
        # The same floor run beside the controller through the window, once
        # a monitored minute, as cold as the controller's own starts.
        return [r["design"]["cpu_children"] + r["inadyn"]["cpu"]
                for r in rounds]

    before = previous_figures()
    steady = "steady: median over the monitored hour"
    every = "Sablo and all it starts, Apache left out"
    floor = "floor = curl alone + two /bin/true starts + inadyn's minute"
    rows = []
    for fields in (
        ("RSS beyond the libcurl floor", "MiB", beyond_floor("rss"), None,
         ("ours", 0.75), steady),
        ("PSS beyond the libcurl floor", "MiB", beyond_floor("pss"), None,
         ("ours", 0.75), steady),
        ("PSS / ddclient's", "MiB", of("ours", "pss"), of("ddclient", "pss"),
         ("ratio", 0.5), steady),
        ("PSS / inadyn's", "MiB", of("ours", "pss"), of("inadyn", "pss"),
         None, steady),
        ("CPU per monitored minute / inadyn's", "ms", of("ours", "cpu"),
         of("inadyn", "cpu"), ("ratio", 1.0), every),
        ("CPU per monitored minute / the design's floor", "ms",
         of("ours", "cpu"), design_floor(), ("ratio", 1.3), floor),
        ("  ... / that floor run in the same minutes", "ms",
         of("ours", "cpu"), design_floor_beside(), ("ratio", 1.3),
         "curl and two /bin/true once a monitored minute beside Sablo, "
         "+ inadyn's minute"),
        ("  Sablo's own process / inadyn's", "ms", of("ours", "cpu_own"),
         of("inadyn", "cpu"), ("ratio", 3.0),
         "the programs it starts left out"),
        ("CPU per monitored minute / ddclient's", "ms", of("ours", "cpu"),
         of("ddclient", "cpu"), None, every),
    ):
        name, unit, note = fields[0], fields[1], fields[5]
        if name in before:
            note += f"; before: {before[name]:g} {unit}"
        rows.append(Row(*fields[:5], note))  # noqa: F821 (given by bench/run)
    return rows


def previous_figures():
    """The medians of the same rows measured before the monitored minute
    was brought near its floor (footprint_before.json), shown beside the
    new ones; empty without the file."""
    try:
        with open(os.path.join(HERE, "footprint_before.json")) as f:
            recorded = json.load(f)
    except OSError:
        return {}
    starts = recorded.get("start costs, ms", {})
    if starts:
        print("start costs before, CPU ms: " + ", ".join(
            f"{k} {v:g}" for k, v in starts.items()), file=sys.stderr)
    return recorded.get("medians", {})
