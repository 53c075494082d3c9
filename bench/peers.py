"""The peers' side of each comparison, timed in the same run as ours, in milliseconds of CPU
time, single-threaded."""
import io
import os

from PIL import Image

import measure
from inputs import photograph

SOURCE_SIZE, TARGET_SIZE = (6000, 4000), (1920, 1280)
SCALE = TARGET_SIZE[0] / SOURCE_SIZE[0]  # the same both ways


class Pillow:
    def __init__(self, runs):
        self.runs = runs
        self.source = None

    def resize(self, pillow_filter):
        self.source = self.source or photograph(*SOURCE_SIZE)
        return measure.median_ms(lambda: self.source.resize(TARGET_SIZE, pillow_filter), self.runs)

    def decode(self, path):
        with open(path, "rb") as file:
            data = file.read()
        return measure.sample_ms(lambda: Image.open(io.BytesIO(data)).load(), self.runs)


# Each of today's formats' own decoding program, by extension: its name and its command, with
# {input} and {output} filled in. heif-convert writes raw YUV (y4m): it decodes, as ours does,
# but converts no colours and encodes nothing.
LIBRARY_DECODERS = {
    ".heic": ("heif-convert", ["heif-convert", "--quiet", "{input}", "{output}.y4m"]),
    ".avif": ("heif-convert", ["heif-convert", "--quiet", "{input}", "{output}.y4m"]),
    # Both decode into memory and write nothing when given no output file.
    ".webp": ("dwebp", ["dwebp", "-quiet", "{input}"]),
    ".jxl": ("djxl", ["djxl", "--quiet", "{input}"]),
}


class LibraryDecoder:
    """A format's own decoding program on a file, in CPU time of all its threads. The same command on the format's 8 x 8 picture is subtracted: process start,
    library start-up and opening the files, which no decode in memory pays."""

    def __init__(self, folder, runs):
        self.output, self.runs = os.path.join(folder, "peer-output"), runs

    def _decode_ms(self, command, path):
        filled = [part.format(input=path, output=self.output) for part in command]
        measure.child_cpu_ms(filled)  # warm-up
        return measure.median_child_ms(filled, self.runs)[1]

    def decode(self, path, twin):
        """The program's name and its time for the file, less its time for the 8 x 8 twin."""
        name, command = LIBRARY_DECODERS[os.path.splitext(path)[1]]
        return name, self._decode_ms(command, path) - self._decode_ms(command, twin)


class Vips:
    """`vips resize` on one thread, reading and writing vips' own .v files (the input is mapped,
    not decoded). The same command on an 8 x 8 picture is subtracted: process start, library
    start-up and opening the files, which are no part of resampling."""

    def __init__(self, folder, runs):
        self.folder, self.runs = folder, runs
        self.env = dict(os.environ, VIPS_CONCURRENCY="1")
        self.source = os.path.join(folder, "photo-6000x4000.v")
        self.tiny = os.path.join(folder, "photo-8x8.v")
        for path, size in ((self.source, SOURCE_SIZE), (self.tiny, (8, 8))):
            if not os.path.exists(path):
                ppm = path[:-2] + ".ppm"
                photograph(*size).save(ppm)
                measure.child_cpu_ms(["vips", "copy", ppm, path])

    def _resize_ms(self, source, kernel):
        # gap 0: the whole reduction with the kernel, as ours and Pillow's, no box shrink first.
        command = ["vips", "resize", source, os.path.join(self.folder, "out.v"), str(SCALE),
                   "--kernel", kernel, "--gap", "0"]
        measure.child_cpu_ms(command, self.env)  # warm-up
        return measure.median_child_ms(command, self.runs, self.env)[1]

    def resize(self, kernel):
        return self._resize_ms(self.source, kernel) - self._resize_ms(self.tiny, kernel)


class FfmpegXfade:
    """ffmpeg's xfade filter, one thread, on two generated 8-bit RGB streams of 25 frames. A run
    whose transition covers every frame, minus a run that passes the first stream through and
    crosses to the second in the last frame only (both runs read every frame of both streams),
    divided by the frames between: the filter's own cost per frame, without the sources', the
    conversions' or the start-up."""

    def __init__(self, runs, frames=25):
        self.runs, self.frames = runs, frames

    def _run_ms(self, transition, width, height, offset_frames, transition_frames):
        source = f"testsrc2=size={width}x{height}:rate=25:duration={self.frames / 25}"
        graph = (f"[0]format=gbrp[a];[1]format=gbrp,hflip[b];[a][b]xfade=transition={transition}"
                 f":duration={transition_frames / 25}:offset={offset_frames / 25}")
        command = ["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin",
                   "-threads", "1", "-filter_threads", "1", "-filter_complex_threads", "1",
                   "-f", "lavfi", "-i", source, "-f", "lavfi", "-i", source,
                   "-filter_complex", graph, "-f", "null", "-"]
        return measure.median_child_ms(command, self.runs)[1]

    def frame_ms(self, transition, width, height):
        every = self._run_ms(transition, width, height, 0, self.frames)
        last = self._run_ms(transition, width, height, self.frames - 1, 1)
        return (every - last) / (self.frames - 1)
