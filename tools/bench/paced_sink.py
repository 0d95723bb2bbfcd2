#!/usr/bin/python3
"""Takes sound from a FIFO at the pace a sound card would and appends it to
a capture file.

The ALSA file sink alone takes sound as fast as it is written, so a player
under Wine would decode ahead many times faster than it plays, and its CPU
time would mean nothing. ALSA writes into FIFO; this reads it at 44100 Hz
16-bit stereo (176400 bytes a second), allowing a burst of 50 ms when a
stream starts, so the writer blocks once the pipe holds more than it has
"played". Each stream is a writer opening and closing FIFO; the pace starts
afresh with each. Runs until it is ended.

usage: paced_sink.py FIFO CAPTURE
"""
import os
import sys
import time

BYTES_PER_SECOND = 44100 * 2 * 2
BURST = BYTES_PER_SECOND // 20
CHUNK = BYTES_PER_SECOND // 100


def drain(fifo, capture):
    budget = BURST
    last = time.monotonic()
    while True:
        now = time.monotonic()
        budget = min(BURST, budget + (now - last) * BYTES_PER_SECOND)
        last = now
        if budget < CHUNK:
            time.sleep((CHUNK - budget) / BYTES_PER_SECOND)
            continue
        data = os.read(fifo, int(budget) & ~3)
        if not data:
            return
        os.write(capture, data)
        budget -= len(data)


def main():
    fifo_path, capture_path = sys.argv[1:3]
    capture = os.open(capture_path, os.O_WRONLY | os.O_CREAT | os.O_APPEND, 0o644)
    while True:
        fifo = os.open(fifo_path, os.O_RDONLY)
        try:
            drain(fifo, capture)
        finally:
            os.close(fifo)


if __name__ == "__main__":
    main()
