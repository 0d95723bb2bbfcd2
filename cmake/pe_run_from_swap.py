#!/usr/bin/python3
"""Marks a linked PE image (PE32 or PE32+) to be run from the swap file when
started from removable media: sets IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP in its
file header's Characteristics, which GNU ld has no switch for.

Windows then copies the whole image into memory at start, so that taking the
disc out cannot fault a page of code or resources that was never read.

The image's optional header CheckSum, which GNU ld sets, is recomputed so
that it stays right; a CheckSum of 0 (none) stays 0. The change depends on the
file's bytes only, so a reproducible build stays reproducible, and running it
again on a marked image changes nothing. Run it after linking and before any
signing: a signature covers these bytes.

usage: pe_run_from_swap.py IMAGE...
"""

import struct
import sys

REMOVABLE_RUN_FROM_SWAP = 0x0400


class PeFormatError(ValueError):
    """The file is not a PE image."""


def header_offsets(image):
    """(Characteristics offset, CheckSum offset) of the PE image `image`."""
    if len(image) < 0x40 or image[:2] != b"MZ":
        raise PeFormatError("no MZ header")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if pe + 24 + 68 > len(image) or image[pe:pe + 4] != b"PE\0\0":
        raise PeFormatError("no PE signature")
    magic = struct.unpack_from("<H", image, pe + 24)[0]
    if magic not in (0x10B, 0x20B):
        raise PeFormatError(f"unknown optional header magic {magic:#x}")
    # COFF header: Characteristics at 18; the optional header's CheckSum at
    # 64 in both PE32 and PE32+.
    return pe + 4 + 18, pe + 24 + 64


def pe_checksum(image, checksum_offset):
    """The PE checksum of `image`: its 16-bit words summed with end-around
    carry, the CheckSum field counted as 0, plus the file's length."""
    data = bytes(image[:checksum_offset]) + b"\0\0\0\0" + bytes(image[checksum_offset + 4:])
    if len(data) % 2:
        data += b"\0"
    total = 0
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def mark(image):
    """Sets the flag in `image` (a bytearray) and keeps a set CheckSum right.
    Returns (Characteristics before, Characteristics after)."""
    characteristics_at, checksum_at = header_offsets(image)
    before = struct.unpack_from("<H", image, characteristics_at)[0]
    after = before | REMOVABLE_RUN_FROM_SWAP
    struct.pack_into("<H", image, characteristics_at, after)
    if struct.unpack_from("<I", image, checksum_at)[0] != 0:
        struct.pack_into("<I", image, checksum_at, pe_checksum(image, checksum_at))
    return before, after


def main(argv):
    if len(argv) < 2:
        print("usage: pe_run_from_swap.py IMAGE...", file=sys.stderr)
        return 2
    for path in argv[1:]:
        try:
            with open(path, "rb") as file:
                image = bytearray(file.read())
            original = bytes(image)
            mark(image)
            if image != original:
                with open(path, "r+b") as file:
                    file.write(image)
        except (OSError, PeFormatError) as error:
            print(f"pe_run_from_swap: {path}: {error}", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
