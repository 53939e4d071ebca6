#!/usr/bin/env python3
"""Makes a library of ALBUMS albums of TRACKS short tracks under ROOT and a
CDDB folder that knows each album, for the library run's benchmark.

A small pool of tracks is encoded once with lame (lengths in whole CD
frames, so the play times the program reads are exact); each album copies
its tracks from the pool in a combination that gives it a disc id of its
own.

With --link the albums hard-link their tracks to the pool instead: no
audio of their own, so that 10,000 albums take little disk and no
encoding. The pool's lengths then spread wider, since short albums have too
few distinct disc ids for that many. Only for runs that write nothing (a
dry run): a tag written to one album would change every album sharing the
file.

usage: make_library.py [--link] ROOT CDDB ALBUMS [TRACKS]
"""
import array
import math
import os
import random
import shutil
import subprocess
import sys
import wave

RATE = 44100
FRAME_SAMPLES = 588  # one CD frame


def encode_pool(folder, count, step):
    """count tracks of 1 s plus step k frames; returns [(path, frames)].

    The spread of lengths gives albums enough different disc lengths for
    thousands of distinct disc ids."""
    pool = []
    for k in range(count):
        frames = 75 + step * k
        samples = frames * FRAME_SAMPLES
        wav = os.path.join(folder, f"pool{k}.wav")
        with wave.open(wav, "wb") as out:
            out.setnchannels(1)
            out.setsampwidth(2)
            out.setframerate(RATE)
            freq = 220.0 + 10 * k
            phase = 2 * math.pi * freq / RATE
            # A whole number of cycles a second: one second, repeated.
            second = array.array("h", (int(6000 * math.sin(phase * i)) for i in range(RATE)))
            out.writeframes((second * (samples // RATE + 1))[:samples].tobytes())
        mp3 = os.path.join(folder, f"pool{k}.mp3")
        subprocess.run(["lame", "--quiet", "-b", "64", wav, mp3], check=True)
        os.remove(wav)
        pool.append((mp3, frames))
    return pool


def digit_sum(value):
    return sum(int(d) for d in str(value))


def disc_id(lengths):
    """The CDDB disc id and frame offsets of whole-frame track lengths."""
    offsets, start = [], 150
    for frames in lengths:
        offsets.append(start)
        start += frames
    total = start // 75 - offsets[0] // 75
    checksum = sum(digit_sum(o // 75) for o in offsets) % 255
    return (checksum << 24) | (total << 8) | len(lengths), offsets, start // 75


def record(disc, offsets, seconds, artist, title, titles):
    lines = ["# xmcd", "#", "# Track frame offsets:"] + [f"#\t{o}" for o in offsets]
    lines += ["#", f"# Disc length: {seconds} seconds", "#", "# Revision: 0",
              "# Submitted via: corvane-bench 1.0", "#", f"DISCID={disc:08x}",
              f"DTITLE={artist} / {title}", "DYEAR=2020", "DGENRE=Test"]
    lines += [f"TTITLE{i}={t}" for i, t in enumerate(titles)]
    lines += ["EXTD="] + [f"EXTT{i}=" for i in range(len(titles))] + ["PLAYORDER="]
    return "\n".join(lines) + "\n"


def main():
    args = sys.argv[1:]
    link = "--link" in args
    if link:
        args.remove("--link")
    root, cddb, albums = args[0], args[1], int(args[2])
    tracks = int(args[3]) if len(args) > 3 else 10
    os.makedirs(os.path.join(cddb, "misc"), exist_ok=True)
    pool_folder = os.path.join(cddb, "..", "pool")
    os.makedirs(pool_folder, exist_ok=True)
    pool = encode_pool(pool_folder, 40, 100 if link else 17)
    chance = random.Random(27)
    used = set()
    made = 0
    while made < albums:
        picks = [chance.randrange(len(pool)) for _ in range(tracks)]
        disc, offsets, seconds = disc_id([pool[p][1] for p in picks])
        if disc in used:
            continue
        used.add(disc)
        artist, title = f"Artist {made // 10:03d}", f"Album {made:04d}"
        folder = os.path.join(root, artist, title)
        os.makedirs(folder, exist_ok=True)
        for i, p in enumerate(picks):
            place = os.link if link else shutil.copyfile
            place(pool[p][0], os.path.join(folder, f"track{i:02d}.mp3"))
        titles = [f"Song {made}-{i + 1}" for i in range(tracks)]
        with open(os.path.join(cddb, "misc", f"{disc:08x}"), "w") as out:
            out.write(record(disc, offsets, seconds, artist, title, titles))
        made += 1
    shutil.rmtree(pool_folder)


if __name__ == "__main__":
    main()
