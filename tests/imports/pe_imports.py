"""Reads the functions a Windows executable imports from its PE headers,
and its file header's Characteristics.

Covers PE32 (x86) and PE32+ (x64) images, the import directory and the
delay-load import directory. A function imported by ordinal is named "#N".
"""

import struct

IMPORT_DIRECTORY = 1
DELAY_IMPORT_DIRECTORY = 13


class PeFormatError(ValueError):
    """The file is not a PE image this reader understands."""


class _Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ" or len(data) < 0x40:
            raise PeFormatError("no MZ header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeFormatError("no PE signature")
        coff = pe + 4
        self.characteristics = self.u16(coff + 18)
        section_count = self.u16(coff + 2)
        optional_size = self.u16(coff + 16)
        optional = coff + 20
        magic = self.u16(optional)
        if magic == 0x10B:
            self.pointer_size, directories = 4, optional + 96
        elif magic == 0x20B:
            self.pointer_size, directories = 8, optional + 112
        else:
            raise PeFormatError(f"unknown optional header magic {magic:#x}")
        directory_count = self.u32(directories - 4)
        self.directories = [
            (self.u32(directories + 8 * k), self.u32(directories + 8 * k + 4))
            for k in range(min(directory_count, 16))
        ]
        self.sections = []
        table = optional + optional_size
        for k in range(section_count):
            entry = table + 40 * k
            virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
                "<IIII", self.bytes_at(entry + 8, 16))
            self.sections.append(
                (virtual_address, max(virtual_size, raw_size), raw_pointer, raw_size))

    def bytes_at(self, offset, size):
        if offset < 0 or offset + size > len(self.data):
            raise PeFormatError(f"truncated at file offset {offset:#x}")
        return self.data[offset:offset + size]

    def u16(self, offset):
        return struct.unpack("<H", self.bytes_at(offset, 2))[0]

    def u32(self, offset):
        return struct.unpack("<I", self.bytes_at(offset, 4))[0]

    def offset(self, rva):
        for virtual_address, size, raw_pointer, raw_size in self.sections:
            if virtual_address <= rva < virtual_address + size:
                if rva - virtual_address >= raw_size:
                    raise PeFormatError(f"RVA {rva:#x} lies outside the file")
                return raw_pointer + rva - virtual_address
        raise PeFormatError(f"RVA {rva:#x} is in no section")

    def string(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PeFormatError(f"unterminated name at RVA {rva:#x}")
        return self.data[start:end].decode("ascii")

    def thunk_names(self, rva):
        """Names of the functions in the thunk table at `rva`."""
        names = []
        ordinal_flag = 1 << (8 * self.pointer_size - 1)
        step = self.pointer_size
        while True:
            offset = self.offset(rva)
            value = self.u32(offset) if step == 4 else struct.unpack(
                "<Q", self.bytes_at(offset, 8))[0]
            if value == 0:
                return names
            if value & ordinal_flag:
                names.append(f"#{value & 0xFFFF}")
            else:
                names.append(self.string((value & 0x7FFFFFFF) + 2))  # after the hint
            rva += step


def _read_image(path):
    with open(path, "rb") as file:
        return _Image(file.read())


def read_characteristics(path):
    """Returns the Characteristics of `path`'s file header (IMAGE_FILE_*)."""
    return _read_image(path).characteristics


def read_imports(path):
    """Returns sorted (dll in lower case, function) pairs that `path` imports."""
    image = _read_image(path)
    imports = set()
    directories = image.directories

    rva, size = directories[IMPORT_DIRECTORY] if len(directories) > IMPORT_DIRECTORY else (0, 0)
    while rva and size:
        names_rva, _, _, dll_rva, address_rva = struct.unpack_from(
            "<IIIII", image.bytes_at(image.offset(rva), 20))
        if dll_rva == 0:
            break
        dll = image.string(dll_rva).lower()
        for name in image.thunk_names(names_rva or address_rva):
            imports.add((dll, name))
        rva += 20

    if len(directories) > DELAY_IMPORT_DIRECTORY:
        rva, size = directories[DELAY_IMPORT_DIRECTORY]
        while rva and size:
            fields = struct.unpack_from("<IIIIIIII", image.bytes_at(image.offset(rva), 32))
            attributes, dll_rva, names_rva = fields[0], fields[1], fields[4]
            if dll_rva == 0:
                break
            if not attributes & 1:
                raise PeFormatError("delay-load table of the old, address-based kind")
            dll = image.string(dll_rva).lower()
            for name in image.thunk_names(names_rva):
                imports.add((dll, name))
            rva += 32
    return sorted(imports)
