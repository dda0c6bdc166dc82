#!/usr/bin/env python3
"""Pads a PE file with zeros to a multiple of 8 bytes, where an Authenticode
signature must start, and writes its checksum again. Signing then adds the
signature alone, and removing it (osslsigncode remove-signature) gives back
the very bytes of the unsigned file, so that a signed release can be checked
against a build of its sources.
    pad_for_signing.py FILE"""
import struct
import sys

# Where the optional header's CheckSum lies, from the PE signature: the same
# for 32-bit and 64-bit images.
CHECKSUM = 4 + 20 + 64


def pe_checksum(image, checksum_at):
    """The sum that Windows' CheckSumMappedFile computes: 16-bit words folded
    into 16 bits, the checksum field taken as zero, plus the file's length."""
    words = bytearray(image)
    words[checksum_at:checksum_at + 4] = bytes(4)
    if len(words) % 2:
        words.append(0)
    total = sum(w for (w,) in struct.iter_unpack("<H", words))
    while total > 0xFFFF:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(image)


def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        image = bytearray(f.read())
    (pe,) = struct.unpack_from("<I", image, 0x3C)
    if image[:2] != b"MZ" or image[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: not a PE file")
    image += bytes(-len(image) % 8)
    struct.pack_into("<I", image, pe + CHECKSUM, pe_checksum(image, pe + CHECKSUM))
    with open(path, "wb") as f:
        f.write(image)


if __name__ == "__main__":
    main()
