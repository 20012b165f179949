#!/usr/bin/env python3
"""Peak disk use of a zip import, against what the import leaves.

Builds a pack of four short WAVs (one padded with 100 MiB of zeros in a junk chunk) in a zip that
also carries 360 MiB of files the pack never names, imports it with plinkum-pack into a fresh data
folder, and samples the folder's allocated size while the import runs.

usage: import_disk.py PLINKUM_PACK
"""
import json
import os
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zipfile

MIB = 1 << 20


def wav(frames, junk=0):
    rate = 48000
    data = b"".join(struct.pack("<h", int(8000 * ((i // 20) % 2 * 2 - 1) * (1 - i / frames))) for i in range(frames))
    chunks = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
    if junk:
        chunks += b"junk" + struct.pack("<I", junk) + bytes(junk)
    chunks += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


def allocated(folder):
    total = 0
    for root, dirs, files in os.walk(folder):
        for name in files:
            try:
                total += os.lstat(os.path.join(root, name)).st_blocks * 512
            except FileNotFoundError:
                pass
    return total


def main():
    tool = sys.argv[1]
    with tempfile.TemporaryDirectory() as tmp:
        archive = os.path.join(tmp, "Padded.zip")
        names = [f"k{i}.wav" for i in range(4)]
        with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
            z.writestr("Padded/pack.json", json.dumps({"name": "Padded", "down": {"standard": names}}))
            for i, name in enumerate(names):
                z.writestr("Padded/" + name, wav(2400, 100 * MIB if i == 0 else 0))
            for i in range(3):
                z.writestr(f"Padded/extras/video{i}.bin", bytes(120 * MIB))
        data = os.path.join(tmp, "data")
        os.makedirs(data)
        peak = 0
        done = threading.Event()

        def sample():
            nonlocal peak
            while not done.is_set():
                peak = max(peak, allocated(data))
                time.sleep(0.002)

        sampler = threading.Thread(target=sample)
        sampler.start()
        env = dict(os.environ, XDG_DATA_HOME=data)
        started = time.monotonic()
        result = subprocess.run([tool, "import", archive], env=env, capture_output=True, text=True)
        seconds = time.monotonic() - started
        done.set()
        sampler.join()
        if result.returncode != 0:
            sys.exit("import failed: " + result.stdout + result.stderr)
        stored = allocated(data)
        print(f"archive {os.path.getsize(archive) / MIB:.1f} MiB, largest file 100.1 MiB, unused 360 MiB")
        print(f"import {seconds:.2f} s; stored {stored / MIB:.2f} MiB; peak {peak / MIB:.1f} MiB "
              f"(result plus {(peak - stored) / MIB:.1f} MiB)")


if __name__ == "__main__":
    main()
