#!/usr/bin/env python3
"""Independent views of animated GIFs for the painter tests.

Usage:
  gif_frames.py frames FILE RRGGBB [MAX]  every frame as Pillow composes it (after the disposal
                                          of the frames before), laid over the colour RRGGBB:
                                          a line "WIDTH HEIGHT COUNT", then COUNT frames of
                                          WIDTH x HEIGHT red, green, blue bytes
  gif_frames.py fetch OUTDIR              the animated GIFs of Debian's gdk-pixbuf test package,
                                          extracted into OUTDIR (never stored in the repository)
Exit status 1 with a reason on standard error when it cannot do so.
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

PACKAGE = "gdk-pixbuf-tests"


def fail(reason):
    sys.stderr.write(reason + "\n")
    sys.exit(1)


def frames(path, colour, limit):
    try:
        from PIL import Image, ImageSequence
    except ImportError:
        fail("Pillow is not installed")
    background = tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4)) + (255,)
    image = Image.open(path)
    out = []
    for frame in ImageSequence.Iterator(image):
        rgba = frame.convert("RGBA")
        canvas = Image.new("RGBA", rgba.size, background)
        canvas.alpha_composite(rgba)
        out.append(canvas.convert("RGB").tobytes())
        if len(out) >= limit:
            break
    width, height = image.size
    sys.stdout.buffer.write(b"%d %d %d\n" % (width, height, len(out)))
    for data in out:
        sys.stdout.buffer.write(data)


def fetch(outdir):
    work = tempfile.mkdtemp()
    try:
        try:
            subprocess.run(["apt-get", "download", PACKAGE], cwd=work, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=300)
        except (OSError, subprocess.SubprocessError) as e:
            fail("apt-get download %s failed: %s" % (PACKAGE, e))
        debs = glob.glob(os.path.join(work, PACKAGE + "_*.deb"))
        if not debs:
            fail("apt-get download %s produced no package" % PACKAGE)
        root = os.path.join(work, "root")
        try:
            subprocess.run(["dpkg", "-x", debs[0], root], check=True, timeout=300)
        except (OSError, subprocess.SubprocessError) as e:
            fail("dpkg -x failed: %s" % e)
        found = [p for p in glob.glob(os.path.join(root, "usr/libexec/installed-tests/**/*.gif"),
                                      recursive=True) if os.sep + "fail" + os.sep not in p]
        if not found:
            fail("%s holds no GIF files" % PACKAGE)
        os.makedirs(outdir, exist_ok=True)
        for path in found:
            shutil.copy(path, os.path.join(outdir, os.path.basename(path)))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    if len(sys.argv) >= 4 and sys.argv[1] == "frames":
        frames(sys.argv[2], sys.argv[3], int(sys.argv[4]) if len(sys.argv) > 4 else 1 << 30)
    elif len(sys.argv) == 3 and sys.argv[1] == "fetch":
        fetch(sys.argv[2])
    else:
        fail(__doc__)


if __name__ == "__main__":
    main()
