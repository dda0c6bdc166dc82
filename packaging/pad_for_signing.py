#!/usr/bin/env python3
"""Pads a PE file with zeros to a multiple of 8 bytes, where an Authenticode
signature must start, and writes its checksum again. Signing then adds the
signature alone, and removing it (osslsigncode remove-signature) gives back
the very bytes of the unsigned file, so that a signed release can be checked
against a build of its sources.
    pad_for_signing.py FILE"""
import sys

import pefile


def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        image = f.read()
    image += bytes(-len(image) % 8)
    try:
        # The headers are all that the checksum needs parsed: it sums every
        # byte of the file, padding included.
        pe = pefile.PE(data=image, fast_load=True)
    except pefile.PEFormatError as error:
        sys.exit(f"{path}: {error}")
    pe.OPTIONAL_HEADER.CheckSum = pe.generate_checksum()
    with open(path, "wb") as f:
        f.write(pe.write())


if __name__ == "__main__":
    main()
