#!/usr/bin/env python3
"""The table and the plot data of bench/run, from its raw samples (Python 3 standard library).

summarize.py RESULTS EXPECTED MACHINE PROBLEMS PLOTDATA [ENGINE]
RESULTS: workload, tool, round, milliseconds (tab-separated). Prints Markdown.
"""
import statistics
import sys

PEERS = ["sed", "perl", "sd", "rpl"]


def read_expected(path):
    values = {}
    with open(path) as f:
        for line in f:
            key, value = line.split()
            values[key] = int(value)
    return values


def seconds(ms):
    s = ms / 1000.0
    if s >= 10:
        return f"{s:.1f} s"
    if s >= 1:
        return f"{s:.2f} s"
    return f"{s:.3f} s"


def fastest_peer(median, workload):
    """The peer with the smallest median on the workload, or None."""
    timed = [p for p in PEERS if median.get((workload, p))]
    return min(timed, key=lambda p: median[(workload, p)]) if timed else None


def main(argv):
    results, expected_path, machine_path, problems_path, plot_path = argv[1:6]
    engine_path = argv[6] if len(argv) > 6 else None
    expected = read_expected(expected_path)
    samples = {}
    order = []
    with open(results) as f:
        for line in f:
            workload, tool, _round, ms = line.rstrip("\n").split("\t")
            if workload not in order:
                order.append(workload)
            samples.setdefault((workload, tool), []).append(float(ms))
    median = {key: statistics.median(values) for key, values in samples.items()}

    mib = lambda key: expected[key] / (1 << 20)
    big, dense = mib("big.bytes"), mib("dense.bytes")
    labels = {
        "big-grow": (f'{big:.0f} MiB, {expected["big.case"]:,} × "vortex" → "maelstrom" (grow)', expected["big.bytes"]),
        "big-shrink": (f'{big:.0f} MiB, {expected["big.case"]:,} × "vortex" → "eddy" (shrink)', expected["big.bytes"]),
        "big-equal": (f'{big:.0f} MiB, {expected["big.case"]:,} × "vortex" → "spiral" (equal)', expected["big.bytes"]),
        "big-nocase": (f'{big:.0f} MiB, {expected["big.nocase"]:,} × "vortex" in any case → "maelstrom"', expected["big.bytes"]),
        "big-word": (f'{big:.0f} MiB, {expected["big.word"]:,} × whole word "vortex" → "maelstrom"', expected["big.bytes"]),
        "dense-grow": (f'{dense:.0f} MiB, {expected["dense.count"]:,} × "ab" → "xyz"', expected["dense.bytes"]),
        "dense-shrink": (f'{dense:.0f} MiB, {expected["dense.count"]:,} × "ab" → "a"', expected["dense.bytes"]),
        "tree": (f'tree of {expected["tree.txtfiles"]:,} *.txt in {expected["tree.folders"]} folders, '
                 f'{expected["tree.matchingfiles"]:,} matching', expected["tree.txtbytes"]),
        "none": (f'the same tree, no match', expected["tree.txtbytes"]),
    }
    short = {"big-grow": "big grow", "big-shrink": "big shrink", "big-equal": "big equal",
             "big-nocase": "big any case", "big-word": "big whole word", "dense-grow": "dense grow",
             "dense-shrink": "dense shrink", "tree": "tree, 10% match", "none": "tree, no match"}

    out = []
    with open(machine_path) as f:
        machine = f.read().strip().splitlines()
    out.append("Whole program under Wine, from pressing Replace All to \"Finished\", against the peers run")
    out.append("natively on fresh copies of the same data; medians of interleaved rounds.")
    out.append("")
    for line in machine:
        out.append(f"    {line}")
    out.append("")
    out.append("| Workload | Kelvora | sed | perl | sd | rpl | Kelvora MB/s | fastest peer ÷ Kelvora |")
    out.append("|---|---|---|---|---|---|---|---|")
    plot_rows = []
    for workload in order:
        label, size = labels.get(workload, (workload, 0))
        kelvora = median.get((workload, "kelvora"))
        cells = [seconds(kelvora) if kelvora else "–"]
        peer_times = {}
        for peer in PEERS:
            value = median.get((workload, peer))
            cells.append(seconds(value) if value else "–")
            if value:
                peer_times[peer] = value
        rate = f"{size / (kelvora / 1000) / 1e6:,.0f}" if kelvora else "–"
        fastest = fastest_peer(median, workload)
        if kelvora and fastest:
            ratio = f"{peer_times[fastest] / kelvora:.2f} ({fastest})"
        else:
            ratio = "–"
        out.append(f"| {label} | " + " | ".join(cells) + f" | {rate} | {ratio} |")
        limit = None
        for name in ("limit-rewrite", "limit-notice") if workload == "tree" else ("limit-notice",):
            if (workload, name) in median:
                limit = median[(workload, name)]
                break
        if workload.startswith(("big", "dense")):
            limit = None
            if (workload, "memchr") in median and (workload, "memmove") in median:
                limit = median[(workload, "memchr")] + median[(workload, "memmove")]
        values = [kelvora] + [median.get((workload, p)) for p in PEERS] + [limit]
        plot_rows.append((short.get(workload, workload), values))

    out.append("")
    out.append("The limits, measured in the same rounds: natively memchr for an absent byte and one")
    out.append("memmove of all the data; under Wine a walk that makes only the per-file calls (exclusive")
    out.append("open, size, read-only mapping and view, a plain scan, close), then with one bare notice per")
    out.append("file (a poll of the cancel event and SendMessageA to a window on another thread), then")
    out.append("with that window shown and setting the searched-files number into a static control at")
    out.append("each notice, or with the rewriting calls of the matching files.")
    out.append("")
    out.append("| Workload | Kelvora | limit | Kelvora ÷ limit |")
    out.append("|---|---|---|---|")
    for workload in order:
        label, _ = labels.get(workload, (workload, 0))
        kelvora = median.get((workload, "kelvora"))
        if workload.startswith(("big", "dense")):
            scan, move = median.get((workload, "memchr")), median.get((workload, "memmove"))
            if kelvora and scan and move:
                out.append(f"| {label} | {seconds(kelvora)} | memchr {scan:.1f} ms + memmove {move:.1f} ms "
                           f"| {kelvora / (scan + move):.1f} |")
            continue
        names = [("limit-calls", "calls"), ("limit-notice", "calls + notice"),
                 ("limit-display", "calls + notice + one counter shown"),
                 ("limit-rewrite", "calls + notice + rewrite calls")]
        for name, text in names:
            value = median.get((workload, name))
            if kelvora and value:
                out.append(f"| {label} | {seconds(kelvora)} | {text} {seconds(value)} | {kelvora / value:.2f} |")

    floors = [w for w in order if (w, "views") in median and (w, "kelvora") in median]
    if floors:
        out.append("")
        out.append("The platform's floor for a big file under Wine, in the same rounds: the two views that")
        out.append("a rewrite makes, with no matcher in them (the file opened for reading, a read-only view")
        out.append("scanned to its end; the file opened for writing, a writable view of the grown size, one")
        out.append("move of all the data through it, the length set). Page faults of mapped views dominate")
        out.append("it, and their price differs from host to host.")
        out.append("")
        out.append("| Workload | Kelvora | fastest peer | two views | Kelvora ÷ views | fastest peer ÷ views |")
        out.append("|---|---|---|---|---|---|")
        for workload in floors:
            label, _ = labels.get(workload, (workload, 0))
            kelvora, floor = median[(workload, "kelvora")], median[(workload, "views")]
            fastest = fastest_peer(median, workload)
            if fastest:
                peer = median[(workload, fastest)]
                peer_cells = (f"{seconds(peer)} ({fastest})", f"{peer / floor:.2f}")
            else:
                peer_cells = ("–", "–")
            out.append(f"| {label} | {seconds(kelvora)} | {peer_cells[0]} | {seconds(floor)} "
                       f"| {kelvora / floor:.2f} | {peer_cells[1]} |")

    out.append("")
    out.append("Samples (milliseconds, in round order):")
    out.append("")
    for workload in order:
        tools = sorted({tool for (w, tool) in samples if w == workload})
        parts = [f"{tool} " + "/".join(f"{v:.0f}" for v in samples[(workload, tool)]) for tool in tools]
        out.append(f"    {workload}: " + "; ".join(parts))

    if engine_path:
        out.append("")
        out.append("The engine natively, in memory (tools/bench.sh), in the same run:")
        out.append("")
        with open(engine_path) as f:
            for line in f:
                out.append("    " + line.rstrip("\n"))

    with open(problems_path) as f:
        problems = f.read().strip()
    out.append("")
    out.append("Checks: " + ("every tool left identical files, and Kelvora's counters matched the planted counts."
                              if not problems else "PROBLEMS:\n" + problems))
    print("\n".join(out))

    with open(plot_path, "w") as f:
        f.write("# workload kelvora sed perl sd rpl limit (seconds)\n")
        for name, values in plot_rows:
            cells = [f"{v / 1000:.4f}" if v else "?" for v in values]
            f.write(f'"{name}" ' + " ".join(cells) + "\n")


if __name__ == "__main__":
    main(sys.argv)
