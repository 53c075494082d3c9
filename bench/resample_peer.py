#!/usr/bin/python3
"""Times the peer of imaging_bench's ReduceToScreenWithTriangle: Pillow reducing a 6000 x 4000
RGB picture to 1920 x 1280 with its bilinear (triangle) filter. Prints the median of several
runs, to set beside `build/bin/imaging_bench --benchmark_filter=Triangle`."""
import os
import random
import statistics
import subprocess
import sys
import time

try:
    import PIL
    from PIL import Image
except ImportError:
    # Debian's python3-pil, installed by install-peers beside this script, serves the system's
    # Python: start again once under it.
    if os.environ.get("PELLUMO_PEERS_INSTALLED"):
        sys.exit(f"resample_peer.py: Pillow is missing for {sys.executable} (Debian: python3-pil)")
    peers = os.path.join(os.path.dirname(os.path.abspath(__file__)), "install-peers")
    if subprocess.run([peers]).returncode != 0:
        sys.exit("resample_peer.py: Pillow is missing and could not be installed (python3-pil)")
    os.environ["PELLUMO_PEERS_INSTALLED"] = "1"
    os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)

WIDTH, HEIGHT = 6000, 4000
TARGET = (1920, 1280)
RUNS = 15


def photograph():
    """Smooth gradients with a little noise, like the benchmark's picture."""
    gradient = Image.linear_gradient("L")
    red = gradient.resize((WIDTH, HEIGHT))
    blue = gradient.rotate(90).resize((WIDTH, HEIGHT))
    rng = random.Random(42)
    noise = Image.frombytes("L", (WIDTH, HEIGHT), rng.randbytes(WIDTH * HEIGHT))
    green = Image.blend(Image.new("L", (WIDTH, HEIGHT), 128), noise, 0.07)
    return Image.merge("RGB", (red, green, blue))


def main():
    picture = photograph()
    picture.resize(TARGET, Image.BILINEAR)  # warm-up
    wall, cpu = [], []
    for _ in range(RUNS):
        start, start_cpu = time.perf_counter(), time.process_time()
        picture.resize(TARGET, Image.BILINEAR)
        wall.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
    # CPU time as well: on a busy machine it is the figure to set beside the benchmark's "CPU".
    print(f"Pillow {PIL.__version__} resize {WIDTH}x{HEIGHT} -> {TARGET[0]}x{TARGET[1]} BILINEAR, "
          f"median of {RUNS} runs: {statistics.median(wall) * 1000:.1f} ms wall, "
          f"{statistics.median(cpu) * 1000:.1f} ms CPU")


if __name__ == "__main__":
    main()
