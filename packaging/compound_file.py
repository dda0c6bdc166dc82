"""Overwrites a stream of a compound file (the container of an MSI) in place,
with as many bytes as it holds: the file's layout stays as it is.
Only version 3 files (512-byte sectors), which is what wixl writes."""
import struct

FREE_SECTOR = 0xFFFFFFFF
END_OF_CHAIN = 0xFFFFFFFE
DIRECTORY_ENTRY = 128
MINI_SECTOR = 64


class CompoundFile:
    def __init__(self, data):
        if data[:8] != bytes.fromhex("d0cf11e0a1b11ae1"):
            raise ValueError("not a compound file")
        if struct.unpack_from("<H", data, 0x1E)[0] != 9:
            raise ValueError("only 512-byte sectors are supported")
        self.data = data
        (self.directory_start, _, self.mini_cutoff, self.mini_fat_start, _,
         difat_start, difat_count) = struct.unpack_from("<7I", data, 0x30)
        fat_sectors = [s for s in struct.unpack_from("<109I", data, 0x4C) if s != FREE_SECTOR]
        while difat_count:
            entries = struct.unpack_from("<128I", data, self.offset(difat_start))
            fat_sectors += [s for s in entries[:127] if s != FREE_SECTOR]
            difat_start, difat_count = entries[127], difat_count - 1
        self.fat = [n for s in fat_sectors for n in struct.unpack_from("<128I", data, self.offset(s))]
        self.mini_fat = [n for s in self.chain(self.mini_fat_start)
                         for n in struct.unpack_from("<128I", data, self.offset(s))]
        root = self.entries()[0]
        self.mini_stream = self.chain(root["start"])

    @staticmethod
    def offset(sector):
        return (sector + 1) * 512

    def chain(self, start, table=None):
        table = self.fat if table is None else table
        sectors = []
        while start not in (END_OF_CHAIN, FREE_SECTOR):
            if len(sectors) > len(table):
                raise ValueError("a sector chain runs in a circle")
            sectors.append(start)
            start = table[start]
        return sectors

    def entries(self):
        result = []
        for sector in self.chain(self.directory_start):
            for at in range(self.offset(sector), self.offset(sector) + 512, DIRECTORY_ENTRY):
                name_length = struct.unpack_from("<H", self.data, at + 64)[0]
                name = self.data[at:at + max(name_length - 2, 0)].decode("utf-16-le")
                start, size = struct.unpack_from("<IQ", self.data, at + 116)
                result.append({"name": name, "start": start, "size": size & 0xFFFFFFFF})
        return result

    def extents(self, name):
        """Where the stream NAME lies in the file: (offset, length) pieces in its order."""
        entry = next((e for e in self.entries() if e["name"] == name), None)
        if entry is None:
            raise KeyError(name)
        if entry["size"] >= self.mini_cutoff:
            pieces = [(self.offset(s), 512) for s in self.chain(entry["start"])]
        else:
            pieces = []
            for mini in self.chain(entry["start"], self.mini_fat):
                at = mini * MINI_SECTOR
                pieces.append((self.offset(self.mini_stream[at // 512]) + at % 512, MINI_SECTOR))
        left, result = entry["size"], []
        for offset, length in pieces:
            result.append((offset, min(length, left)))
            left -= result[-1][1]
        return result

    def read(self, name):
        return b"".join(self.data[o:o + n] for o, n in self.extents(name))

    def write(self, name, content):
        extents = self.extents(name)
        if len(content) != sum(n for _, n in extents):
            raise ValueError(f"{name}: the new content must be as long as the old")
        at = 0
        for offset, length in extents:
            self.data[offset:offset + length] = content[at:at + length]
            at += length
