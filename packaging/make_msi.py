#!/usr/bin/env python3
"""Builds the installer around one Quillet.dll, with the same bytes from the
same inputs. wixl stamps a package with the time of the build (its summary
information, and the DLL's time in the cabinet) and random codes; here the
times are TIME, the time of the sources, and the codes are derived:
  - the product code (the variable ProductCode) from the DLL: every other
    DLL, a signed one too, is another product, which replaces the one
    installed, as when wixl made a new product code for every package;
  - the package code from the package's own bytes.
    make_msi.py TIME UPGRADE_CODE DLL MSI WIXL [WIXL_ARGUMENT...]
wixl runs in a folder that holds DLL alone, as Quillet.dll, and writes MSI."""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import uuid

import olefile

SUMMARY_INFORMATION = "\x05SummaryInformation"
# Property identifiers and types of the summary information.
REVISION_NUMBER, CREATED, LAST_SAVED = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64
# Seconds from 1601, where a FILETIME counts from, to 1970.
FILETIME_TO_UNIX = 11644473600


def property_offsets(stream):
    """{property identifier: offset of its typed value} of the first property set."""
    (first_set,) = struct.unpack_from("<I", stream, 44)
    _, count = struct.unpack_from("<II", stream, first_set)
    offsets = {}
    for i in range(count):
        pid, offset = struct.unpack_from("<II", stream, first_set + 8 + 8 * i)
        offsets[pid] = first_set + offset
    return offsets


def set_value(stream, offsets, pid, vt, value):
    at = offsets[pid]
    (found,) = struct.unpack_from("<I", stream, at)
    if found != vt:
        raise ValueError(f"summary property {pid} has type {found}, not {vt}")
    if vt == VT_FILETIME:
        struct.pack_into("<Q", stream, at + 4, value)
        return
    (size,) = struct.unpack_from("<I", stream, at + 4)
    text = value.encode("ascii") + b"\0"
    if len(text) != size:
        raise ValueError(f"summary property {pid} holds {size} bytes, not {len(text)}")
    stream[at + 8:at + 8 + size] = text


def derived_code(namespace, content):
    """A name-based UUID in braces, upper case, as Windows Installer writes codes."""
    return "{" + str(uuid.uuid5(uuid.UUID(namespace), hashlib.sha256(content).hexdigest())).upper() + "}"


def rewrite_summary(msi, change):
    """Rewrites the summary information of the package `msi` in place, after
    `change` changed its bytes (as many as there were): the package's layout
    and every other byte stay as wixl wrote them."""
    with olefile.OleFileIO(msi, write_mode=True) as package:
        stream = bytearray(package.openstream(SUMMARY_INFORMATION).read())
        change(stream, property_offsets(stream))
        package.write_stream(SUMMARY_INFORMATION, bytes(stream))


def stamp(msi, time, product_code):
    filetime = (time + FILETIME_TO_UNIX) * 10_000_000

    def times_and_no_package_code(stream, offsets):
        set_value(stream, offsets, CREATED, VT_FILETIME, filetime)
        set_value(stream, offsets, LAST_SAVED, VT_FILETIME, filetime)
        set_value(stream, offsets, REVISION_NUMBER, VT_LPSTR, "{" + str(uuid.UUID(int=0)) + "}")

    rewrite_summary(msi, times_and_no_package_code)
    # The package code is derived from everything else, itself as zeros.
    with open(msi, "rb") as f:
        package_code = derived_code(product_code, f.read())
    rewrite_summary(msi, lambda stream, offsets: set_value(stream, offsets, REVISION_NUMBER, VT_LPSTR, package_code))


def main():
    time, upgrade_code, dll, msi, *wixl = sys.argv[1:]
    time = int(time)
    msi = os.path.abspath(msi)
    with open(dll, "rb") as f:
        product_code = derived_code(upgrade_code, f.read())
    with tempfile.TemporaryDirectory() as folder:
        staged = os.path.join(folder, "Quillet.dll")
        shutil.copyfile(dll, staged)
        # The cabinet keeps the file's time, in words of the local time zone.
        os.utime(staged, (time, time))
        subprocess.run(wixl + ["-D", f"ProductCode={product_code}", "-o", msi],
                       cwd=folder, env=dict(os.environ, TZ="UTC"), check=True)
    stamp(msi, time, product_code)


if __name__ == "__main__":
    main()
