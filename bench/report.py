#!/usr/bin/python3
"""Runs Pellumo's benchmarks and their peers in one go and prints one table: our time, the
peer's on the same input in the same run, the ratio, and the goal. Times are medians of several
runs, in milliseconds of CPU time on one thread; the player's time to its first slide is also
given in wall time. bench/run builds the programs and calls this."""
import argparse
import json
import os
import shutil
import statistics
import subprocess

from PIL import Image

import inputs
import measure
import peers

# Our style beside the xfade transition that does the same kind of thing.
XFADE_PAIRS = [
    ("fade", "Fade"),
    ("wipeleft", "Reveal from left"),
    ("hlslice", "Bars in from left"),
    ("circleopen", "Circular reveal from centre"),
    ("dissolve", "Random squares appear"),
    ("radial", "Diagonal sweep from top left bottom right clockwise"),
]
SIZES = {1080: (1920, 1080, 3.0), 2160: (3840, 2160, 12.0)}  # width, height, goal in ms


class Table:
    def __init__(self):
        self.rows = []

    def add(self, name, ours, peer_name="", peer=None, goal="", met=None, unit="ms"):
        """ours and peer are numbers in `unit`, Samples of several runs (shown as their median
        and their spread), or a text saying why there is none; met says whether the goal holds
        (None: no goal)."""
        self.rows.append((name, ours, peer_name, peer, goal, met, unit))

    def print(self):
        def median(value):
            return value.median if isinstance(value, measure.Sample) else value

        def shown(value, unit):
            value = median(value)
            return value if isinstance(value, str) else "" if value is None else f"{value:.1f} {unit}"

        def spread(value):
            return f"{min(value):.1f}–{max(value):.1f}" if isinstance(value, measure.Sample) else ""

        lines = [("row", "ours", "spread", "peer", "peer's", "spread", "ratio", "goal", "")]
        for name, ours, peer_name, peer, goal, met, unit in self.rows:
            ours_value, peer_value = median(ours), median(peer)
            numbers = isinstance(ours_value, float) and isinstance(peer_value, float) and peer_value > 0
            verdict = "" if met is None else "met" if met else "MISSED"
            lines.append((name, shown(ours, unit), spread(ours), peer_name, shown(peer, unit), spread(peer),
                          f"{ours_value / peer_value:.2f}" if numbers else "", goal, verdict))
        widths = [max(len(line[i]) for line in lines) for i in range(len(lines[0]))]
        for index, line in enumerate(lines):
            print("  ".join(cell.ljust(width) for cell, width in zip(line, widths)).rstrip())
            if index == 0:
                print("  ".join("-" * width for width in widths))


def frame_composition(table, build, args, work):
    """Every style at p = 25, 50 and 75. The median style is taken by a style's mean frame (what
    a transition costs on average) and, for reference, by its slowest; the limits per style
    hold for its slowest frame."""
    # 768 cases: short repetitions, or the run takes many minutes.
    runs = measure.run_benchmarks(f"{build}/transition_bench", (), args.repetitions, 0.01)
    names = [runs.labels[f"ComposeFrame/style:{style}/p:50/height:1080"] for style in range(128)]
    xfade = peers.FfmpegXfade(3)  # each run is seconds of video
    slowest_ms = {}
    for height, (width, _, goal) in SIZES.items():
        frames = [[runs.times[f"ComposeFrame/style:{style}/p:{p}/height:{height}"] for p in (25, 50, 75)]
                  for style in range(128)]
        slowest = slowest_ms[height] = [max(times) for times in frames]
        copy = runs.times[f"FullFrameCopy/height:{height}"]
        size = f"{width}x{height}"
        typical = statistics.median(statistics.mean(times) for times in frames)
        table.add(f"frame {size}: median style, mean frame", typical, "plain copy", copy, "≤ 2× copy",
                  typical <= 2 * copy)
        table.add(f"frame {size}: median style, slowest frame", statistics.median(slowest), "plain copy", copy)
        for rank, style in enumerate(sorted(range(128), key=slowest.__getitem__, reverse=True)[:4]):
            label = "worst style" if rank == 0 else "next"
            worst_p = max((25, 50, 75), key=lambda p: runs.times[f"ComposeFrame/style:{style}/p:{p}/height:{height}"])
            table.add(f"frame {size}: {label}: {names[style]}",
                      runs.samples[f"ComposeFrame/style:{style}/p:{worst_p}/height:{height}"],
                      goal=f"≤ {goal:g} ms", met=slowest[style] <= goal)
        for transition, style_name in XFADE_PAIRS[: 2 if args.quick else None]:
            table.add(f"frame {size}: {style_name}", slowest[names.index(style_name)],
                      f"ffmpeg xfade {transition}", xfade.frame_ms(transition, width, height))
    with open(os.path.join(work, "styles.md"), "w") as out:
        out.write("Each style's slowest frame of p = 25, 50, 75.\n\n")
        out.write("| # | style | 1920x1080 | 3840x2160 |\n|---:|---|---:|---:|\n")
        for style in range(128):
            out.write(f"| {style} | {names[style]} | {slowest_ms[1080][style]:.2f} ms "
                      f"| {slowest_ms[2160][style]:.2f} ms |\n")


PAINTED_STYLES = (0, 5, 56, 118, 119)


def painting(table, build, args, work):
    """The transition control composing and painting frames on Qt's offscreen platform, beside
    the same control composing them unseen: what painting adds, against a full-frame copy.
    Each round runs them for one style and size back to back, so that whatever else the
    machine does weighs on all alike; a row is the median over the rounds of what the paint
    added in each, beside the median of the copies measured with it. The frames follow one
    another as in a transition; a transition's first frame, which finds nothing of the frame
    before, is shown beside them."""
    added, first, alone, copies, labels = {}, {}, {}, {}, {}
    for _ in range(args.rounds):
        for height in SIZES:
            for style in PAINTED_STYLES:
                case = f"style:{style}/height:{height}"
                only = f"^(First)?(ComposeAndPaint|ComposeOnly)/{case}$|^FullFrameCopy/height:{height}$"
                runs = measure.run_benchmarks(f"{build}/transition_view_bench", [f"--benchmark_filter={only}"], 1,
                                              args.min_time)
                key = (height, style)
                painted = runs.time(f"ComposeAndPaint/{case}")
                added.setdefault(key, measure.Sample()).append(painted - runs.time(f"ComposeOnly/{case}"))
                first.setdefault(key, measure.Sample()).append(
                    runs.time(f"FirstComposeAndPaint/{case}") - runs.time(f"FirstComposeOnly/{case}"))
                # The control times its own paint: what the paint adds beyond it is its composing
                # slowed by the caches the paint has used.
                alone.setdefault(key, measure.Sample()).append(runs.counters[f"ComposeAndPaint/{case}"]["paint"])
                copies.setdefault(key, measure.Sample()).append(runs.time(f"FullFrameCopy/height:{height}"))
                labels[key] = runs.labels[f"ComposeAndPaint/{case}"]
    for height, (width, _, _) in SIZES.items():
        for style in PAINTED_STYLES:
            key = (height, style)
            name = f"paint {width}x{height}: {labels[key]}"
            table.add(f"{name} (added to composing)", added[key], "plain copy", copies[key], "≤ 2× copy",
                      added[key].median <= 2 * copies[key].median)
            table.add(f"{name} (the paint alone)", alone[key], "plain copy", copies[key], "", None)
            table.add(f"{name} (a transition's first frame, added)", first[key], "plain copy", copies[key], "", None)


def resampling(table, build, args, work):
    runs = measure.run_benchmarks(f"{build}/imaging_bench", ["--benchmark_filter=ReduceToScreen"],
                                  args.repetitions, args.min_time)
    pillow, vips = peers.Pillow(args.runs), peers.Vips(work, args.runs)
    for filter_name, pillow_filter, vips_kernel in (("Triangle", Image.Resampling.BILINEAR, "linear"),
                                                    ("Lanczos3", Image.Resampling.LANCZOS, "lanczos3"),
                                                    ("Mitchell", Image.Resampling.BICUBIC, "mitchell")):
        ours = runs.time(f"ReduceToScreen/{filter_name}")
        name = f"resample 6000x4000 → 1920x1280, {filter_name}"
        peer = pillow.resize(pillow_filter)
        table.add(name, ours, f"Pillow {pillow_filter.name}", peer, "faster", ours < peer)
        peer = vips.resize(vips_kernel)
        table.add(name, ours, f"vips {vips_kernel}", peer, "faster", ours < peer)
    # The player's own call shares the rows out over the cores: by the wall clock.
    shared = measure.run_benchmarks(f"{build}/imaging_bench", ["--benchmark_filter=ReduceToScreenOnAllCores"],
                                    args.repetitions, args.min_time, field="real_time")
    table.add("resample 6000x4000 → 1920x1280, Triangle, all cores (wall)", shared.time("ReduceToScreenOnAllCores"),
              "one thread", runs.time("ReduceToScreen/Triangle"), "", None)


def slide_preparation(table, build, args, work):
    # The decode and the reduction use every core: the wall clock is what the viewer waits,
    # and the CPU time of all threads is shown beside it.
    runs = measure.run_benchmarks(f"{build}/player_bench", ["--benchmark_filter=Prepare|Decode"],
                                  args.repetitions, args.min_time, field="real_time")
    # djpeg's time is the child's CPU time, reported as the benchmark's manual time.
    djpeg = measure.run_benchmarks(f"{build}/player_bench", ["--benchmark_filter=PeerDjpeg"],
                                   args.repetitions, args.min_time, field="real_time").time("PeerDjpeg")
    for name, run in (("JPEG decode", "DecodeSlide"), ("slide preparation, plain", "PrepareSlidePlain"),
                      ("slide preparation, fine", "PrepareSlideFine")):
        ours = runs.time(run)
        table.add(f"{name}, 6000x4000 → 1920x1050 (wall)", ours, "djpeg", djpeg, "≤ 1.2× djpeg", ours <= 1.2 * djpeg)
        cpu = next(value for key, value in runs.cpu_times.items() if key.startswith(run))
        table.add(f"{name}, 6000x4000 → 1920x1050 (CPU, all threads)", cpu, "djpeg", djpeg)


def decoding(table, build, args, work):
    """Ours and Pillow's take turns, file by file and round by round, so that whatever else the
    machine does weighs on both alike; each round gives one time of each (ours: Google
    Benchmark's mean over its iterations; Pillow's: the median of its runs). Within a round
    both run on the same processor, a different one each round: on a shared host one core can
    run a good deal slower than the other for minutes, and Pillow, in this long-lived process,
    would otherwise stay wherever it started."""
    files = inputs.decode_files(os.path.join(work, "decode"))
    pillow = peers.Pillow(args.runs)
    ours, theirs, errors = {}, {}, {}
    processors = sorted(os.sched_getaffinity(0))
    for round_number in range(args.rounds):
        os.sched_setaffinity(0, {processors[round_number % len(processors)]})
        for path in files:
            runs = measure.run_benchmarks(f"{build}/decode_bench", [path], 1, args.min_time)
            if path in runs.errors:
                errors[path] = runs.errors[path]
                continue
            ours.setdefault(path, measure.Sample()).append(runs.times[path])
            theirs.setdefault(path, measure.Sample()).append(pillow.decode(path).median)
    os.sched_setaffinity(0, processors)
    for path in files:
        name = f"decode {os.path.basename(path)} 2000x1500"
        if path in ours:
            table.add(name, ours[path], "Pillow", theirs[path], "faster", ours[path].median < theirs[path].median)
        else:
            error = errors[path]
            table.add(name, "n/a (no reader yet)" if error == "no reader yet" else f"n/a ({error})", "Pillow", None,
                      "faster")
    # Today's formats beside their own library's decoding program on the same file.
    library = inputs.library_files(os.path.join(work, "decode"))
    runs = measure.run_benchmarks(f"{build}/decode_bench", [path for path, _ in library], args.repetitions,
                                  args.min_time)
    decoder = peers.LibraryDecoder(work, args.runs)
    for path, twin in library:
        peer_name, peer = decoder.decode(path, twin)
        name, goal = f"decode {os.path.basename(path)} 2000x1500", f"≤ 1.1× {peer_name}"
        if path in runs.times:
            table.add(name, runs.times[path], peer_name, peer, goal, runs.times[path] <= 1.1 * peer)
        else:
            table.add(name, f"n/a ({runs.errors[path]})", peer_name, peer, goal)
    png = measure.run_benchmarks(f"{build}/png_bench", (), args.repetitions, args.min_time)
    ours, peer = png.time("BM_PngReader"), png.time("BM_Libpng")
    table.add("decode PNG 4000x3000", ours, "libpng", peer, "≤ 1.05× libpng", ours <= 1.05 * peer)


def player(table, build, args, work):
    program = f"{build}/show_playback_bench"
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")

    def show(slides, width, height):
        path = os.path.join(work, f"show-{slides}x{width}x{height}")
        if not os.path.exists(path):
            subprocess.run([program, "write-show", path, str(slides), str(width), str(height)], check=True)
        return path

    # From the program's start to the first slide painted; the CPU time says what the player
    # needs, the wall time what a person would have waited on this machine as busy as it was.
    first = {slides: measure.median_child_ms([program, "first-slide", show(slides, 1920, 1080)], args.runs, env)
             for slides in (10, 1000)}
    for index, clock in enumerate(("wall", "CPU")):
        table.add(f"player: first slide, 1000 slides ({clock})", first[1000][index], "10 slides",
                  first[10][index], "< 300 ms", first[1000][index] < 300)
    few, many = (3, 8) if args.quick else (5, 20)
    peak = {}
    for slides in (few, many):
        output = subprocess.run([program, "play", show(slides, 6000, 4000)], check=True, env=env,
                                capture_output=True, text=True).stdout
        peak[slides] = json.loads(output)["peak_kib"] / 1024
    table.add(f"player: peak memory, {many} slides of 24 Mpixel", peak[many], f"{few} slides", peak[few],
              "same", peak[many] <= 1.05 * peak[few], unit="MiB")


def studio(table, build, args, work):
    """The editor given a folder of 500 photographs of 24 Mpixel, its strip then run through
    while thumbnails come: the longest the interface thread was held up (by the wall clock),
    and the longest it worked on end (its own CPU time; on a busy machine it also waits)."""
    program = f"{build}/studio_open_bench"
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    folder = os.path.join(work, "studio-photos")
    count = 100 if args.quick else 500
    for mode, name in (([], "by name"), (["--by-date"], "by date")):
        output = subprocess.run([program, folder, str(count), "6000", "4000", *mode], check=True, env=env,
                                capture_output=True, text=True).stdout
        result = json.loads(output.strip().splitlines()[-1])
        table.add(f"studio: longest pause, folder of {count} photos {name}", result["longest_pause_ms"],
                  "its own work", result["longest_work_ms"], "<= 50 ms", result["longest_pause_ms"] <= 50)


def video_export(table, build, args, work):
    """A ten-slide show of the demo photographs, with music, filmed at 1920x1080 and 30 frames a
    second into H.264 and AAC: frames a second by the wall clock, beside real time's 30."""
    runs = [json.loads(subprocess.run([f"{build}/video_export_bench", os.path.join(work, "video")], check=True,
                                      capture_output=True, text=True).stdout)
            for _ in range(1 if args.quick else 3)]
    fps = statistics.median(run["fps"] for run in runs)
    table.add("video export 1920x1080 30 fps, 10 slides (wall)", fps, "real time", 30.0, "≥ 3× real time",
              fps >= 90, unit="fps")


SECTIONS = (frame_composition, painting, resampling, slide_preparation, decoding, player, studio, video_export)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True, help="the build's bin folder")
    parser.add_argument("--quick", action="store_true", help="fewer runs and cases, for a first look")
    parser.add_argument("--only", choices=[section.__name__ for section in SECTIONS], action="append",
                        help="run this part only (repeatable)")
    args = parser.parse_args()
    args.runs = 3 if args.quick else 7
    args.repetitions = 1 if args.quick else 3
    args.min_time = 0.2 if args.quick else 0.5
    args.rounds = 2 if args.quick else 5
    # The inputs are made afresh by every run, so that they always come from this checkout.
    work = os.path.join(os.path.dirname(os.path.abspath(args.build)), "bench-work")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    table = Table()
    for section in SECTIONS:
        if not args.only or section.__name__ in args.only:
            section(table, args.build, args, work)
    table.print()
    if not args.only or "frame_composition" in args.only:
        print(f"\nEvery style's frame time: {os.path.join(work, 'styles.md')}")


if __name__ == "__main__":
    main()
