#!/usr/bin/env python3
"""Prints each performance figure against its target, from the micro-benchmarks' JSON
output (run with repetitions) and, if given, bench/whole_process.py's JSON output.

Micro-benchmarks: every repetition is one sample; a figure is the median of its samples
(min and max beside it) and a ratio is the median of the figure over the median of its
anchor, both taken in the same run. Processor time (cpu_time) is compared, which the
other work on the machine disturbs less than wall time; the drop, the clicks and Reset
are timed by the benchmark itself around the input alone (wall time, manual timing).

Usage: ratios.py MICRO_JSON [WHOLE_PROCESS_JSON [STARTUP_JSON]] [--markdown]
STARTUP_JSON, a whole_process.py run of many short runs, gives the first-frame and
memory figures when present (the other whole-process figures come from WHOLE_PROCESS_JSON).
Exit code 0 whatever the outcome: the table says which targets were met.
"""

import json
import statistics
import sys


def samples(micro, name, field):
    """The per-repetition values of one benchmark, in nanoseconds."""
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
    out = []
    for b in micro["benchmarks"]:
        if b.get("run_type") != "iteration" or b.get("aggregate_name"):
            continue
        if b["run_name"] != name:
            continue
        out.append(b[field] * scale[b.get("time_unit", "ns")])
    if not out:
        raise SystemExit("no samples of %s in the micro-benchmark output" % name)
    return out


def fmt_time(ns):
    if ns >= 1e6:
        return "%.2f ms" % (ns / 1e6)
    if ns >= 1e3:
        return "%.1f µs" % (ns / 1e3)
    return "%.0f ns" % ns


def spread(values, fmt):
    return "%s (%s–%s)" % (fmt(statistics.median(values)), fmt(min(values)), fmt(max(values)))


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    markdown = "--markdown" in argv
    if not args:
        print(__doc__)
        return 2
    with open(args[0]) as f:
        micro = json.load(f)
    whole = startup = None
    if len(args) > 1:
        with open(args[1]) as f:
            whole = json.load(f)
        startup = whole
    if len(args) > 2:
        with open(args[2]) as f:
            startup = json.load(f)

    rows = []  # figure, measured (median, min–max), anchor, ratio, target, met

    def ratio_row(label, name, anchor_name, anchor_label, limit, limit_text):
        fig = samples(micro, name, "cpu_time")
        anc = samples(micro, anchor_name, "cpu_time")
        r = statistics.median(fig) / statistics.median(anc)
        rows.append((label, spread(fig, fmt_time), "%s %s" % (anchor_label, spread(anc, fmt_time)),
                     "%.2f×" % r, limit_text, r <= limit))

    def absolute_row(label, name, limit_ns, limit_text):
        fig = samples(micro, name, "real_time")
        rows.append((label, spread(fig, fmt_time), "—", "—", limit_text, statistics.median(fig) < limit_ns))

    ratio_row("stream read and decode", "BM_StreamReadAndDecode", "BM_StreamMemcpy", "stream memcpy", 3.0, "≤ 3×")
    ratio_row("  (pictures decoded to pixels instead)", "BM_StreamReadAndDecodeToPixels", "BM_StreamMemcpy",
              "stream memcpy", 3.0, "≤ 3×")
    ratio_row("full repaint 663×510", "BM_FullRepaint", "BM_FramebufferMemcpy", "framebuffer memcpy", 3.0, "≤ 3×")
    ratio_row("drag frame", "BM_DragFrame", "BM_FullRepaint", "full repaint", 0.2, "≤ 0.2× (1/5)")
    absolute_row("drop, input to finished pixels", "BM_Drop/manual_time", 1e6, "< 1 ms")
    absolute_row("click on the complex, input to finished pixels", "BM_ClickComplex/manual_time", 1e6, "< 1 ms")
    absolute_row("Reset, input to finished pixels", "BM_ClickReset/manual_time", 1e6, "< 1 ms")

    if whole:
        m = whole["runs"]["morvane"]
        b = whole["runs"]["minimal"]
        sm = startup["runs"]["morvane"]
        sb = startup["runs"]["minimal"]

        def col(runs, key):
            return [r[key] for r in runs]

        ms = lambda v: "%.1f ms" % v  # noqa: E731
        mib = lambda v: "%.1f MiB" % (v / 1024)  # noqa: E731
        fm, fb = col(sm, "first_frame_ms"), col(sb, "first_frame_ms")
        r = statistics.median(fm) / statistics.median(fb)
        rows.append(("start to first frame", spread(fm, ms), "minimal SDL2 window " + spread(fb, ms), "%.2f×" % r,
                     "≤ 1.15×", r <= 1.15))
        if all("settled_ms" in run for run in sm + sb):
            sm_, sb_ = col(sm, "settled_ms"), col(sb, "settled_ms")
            r = statistics.median(sm_) / statistics.median(sb_)
            rows.append(("start to the settled picture (with captions)", spread(sm_, ms),
                         "minimal SDL2 window " + spread(sb_, ms), "%.2f×" % r, "≤ 1.15×", r <= 1.15))
        hm, hb = col(m, "hwm_end_kib"), col(b, "hwm_end_kib")  # after the idle and drag phases
        d = statistics.median(hm) - statistics.median(hb)
        rows.append(("peak resident memory (VmHWM)", spread(hm, mib), "minimal SDL2 window " + spread(hb, mib),
                     "+%.1f MiB" % (d / 1024), "≤ +8 MiB", d <= 8 * 1024))
        it, ir = col(m, "idle_ticks"), col(m, "idle_run_ms")
        rows.append(("processor time, %g s idle" % whole["idle_seconds"],
                     "%s ticks; run time %s" % (spread(it, lambda v: "%d" % v), spread(ir, ms)),
                     "minimal SDL2 window " + spread(col(b, "idle_run_ms"), ms), "—", "none",
                     max(it) == 0 and max(ir) < 0.05))
        dr, db = col(m, "drag_run_ms"), col(b, "drag_run_ms")
        r = statistics.median(dr) / statistics.median(db)
        rows.append(("processor time, %g s drag at 200 Hz" % whole["drag_seconds"], spread(dr, ms),
                     "minimal SDL2 window " + spread(db, ms), "%.2f×" % r, "≤ 1.3×", r <= 1.3))
        if all("drag_presents_per_s" in run for run in m):
            fps = col(m, "drag_presents_per_s")
            rows.append(("frames shown per second during the drag", spread(fps, lambda v: "%.0f" % v),
                         "display refresh 60 Hz", "—", "≤ 60", max(fps) <= 60))
            lag, lag_max = col(m, "drag_lag_ms"), col(m, "drag_lag_max_ms")
            # One refresh, and the 2 ms that showing the frame and reporting its damage to
            # the measuring script take (the frame after a move is at most one refresh late).
            rows.append(("drag: pointer move to the frame that shows it, 99th percentile", spread(lag, ms),
                         "longest " + spread(lag_max, ms), "—", "≤ 1 refresh + 2 ms (18.7 ms)",
                         statistics.median(lag) <= 1000 / 60 + 2))

    headers = ("figure", "measured: median (min–max)", "anchor: median (min–max)", "ratio", "target", "met")
    table = [headers] + [(a, b_, c, d, e, "—" if ok is None else ("yes" if ok else "NO")) for a, b_, c, d, e, ok in rows]
    if markdown:
        print("| " + " | ".join(headers) + " |")
        print("|" + "---|" * len(headers))
        for row in table[1:]:
            print("| " + " | ".join(row) + " |")
    else:
        widths = [max(len(r[i]) for r in table) for i in range(len(headers))]
        for i, row in enumerate(table):
            print("  ".join(cell.ljust(w) for cell, w in zip(row, widths)).rstrip())
            if i == 0:
                print("  ".join("-" * w for w in widths))
    # Earlier builds measured in the same runs (whole_process.py --also NAME=PATH).
    if whole:
        others = [n for n in whole["runs"] if n not in ("morvane", "minimal")]
        if others:
            print()
            print("the same runs, each program (medians; ratios to the minimal SDL2 window):")
            figures = [("first frame", "first_frame_ms", startup), ("settled picture", "settled_ms", startup),
                       ("drag processor time", "drag_run_ms", whole)]
            for name in ["morvane"] + others:
                cells = []
                for label, key, data in figures:
                    v = statistics.median(r[key] for r in data["runs"][name])
                    a = statistics.median(r[key] for r in data["runs"]["minimal"])
                    cells.append("%s %.1f ms (%.2f×)" % (label, v, v / a))
                hwm = statistics.median(r["hwm_end_kib"] for r in whole["runs"][name]) / 1024
                cells.append("peak memory %.1f MiB" % hwm)
                print("  %-8s %s" % (name, "; ".join(cells)))
    ctx = micro.get("context", {})
    print()
    print("micro-benchmarks: %s repetitions, load average at start %s" % (
        len(samples(micro, "BM_StreamMemcpy", "cpu_time")), ctx.get("load_avg")))
    if whole:
        for what, data in (("start-up", startup), ("whole process", whole)):
            if what == "start-up" and data is whole:
                continue
            loads = data.get("load", [])
            if loads:
                print("%s: %d runs each, load average median %.2f (max %.2f), session bus: %s" % (
                    what, len(data["runs"]["morvane"]), statistics.median(loads), max(loads), data.get("session_bus")))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
