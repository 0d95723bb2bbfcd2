"""Tests of the import reader, the import and flag checks and the step that
sets the flag after linking, on PE images made here."""

import os
import struct
import sys
import tempfile
import unittest

from check_imports import TableError, flag_problems, parse_table, problems
from pe_imports import PeFormatError, read_characteristics, read_imports

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake"))
import pe_run_from_swap  # noqa: E402

SECTION_RVA = 0x1000
SECTION_FILE_OFFSET = 0x200


def make_pe(pointer_size, imports, characteristics=0, checksum=0):
    """A PE image (PE32 for 4-byte pointers, PE32+ for 8) with one section
    holding an import directory for `imports`: [(dll, [name or ordinal])],
    and the given file header Characteristics and optional header CheckSum."""
    descriptors_size = 20 * (len(imports) + 1)
    body = bytearray(descriptors_size)
    descriptors = []
    for dll, functions in imports:
        entries = []
        for function in functions:
            if isinstance(function, int):
                entries.append((1 << (8 * pointer_size - 1)) | function)
            else:
                entries.append(SECTION_RVA + len(body))
                body += struct.pack("<H", 0) + function.encode() + b"\0"
        dll_rva = SECTION_RVA + len(body)
        body += dll.encode() + b"\0"
        thunks_rva = SECTION_RVA + len(body)
        for entry in entries + [0]:
            body += entry.to_bytes(pointer_size, "little")
        descriptors.append(struct.pack("<IIIII", thunks_rva, 0, 0, dll_rva, thunks_rva))
    body[:len(descriptors) * 20] = b"".join(descriptors)

    optional_size = (96 if pointer_size == 4 else 112) + 16 * 8
    optional = bytearray(optional_size)
    struct.pack_into("<H", optional, 0, 0x10B if pointer_size == 4 else 0x20B)
    struct.pack_into("<I", optional, 64, checksum)
    struct.pack_into("<I", optional, optional_size - 16 * 8 - 4, 16)
    struct.pack_into("<II", optional, optional_size - 16 * 8 + 8, SECTION_RVA, descriptors_size)

    headers = bytearray(0x40)
    headers[:2] = b"MZ"
    struct.pack_into("<I", headers, 0x3C, 0x40)
    headers += b"PE\0\0" + struct.pack("<HHIIIHH", 0x14C, 1, 0, 0, 0, optional_size,
                                        characteristics)
    headers += optional
    headers += b".idata\0\0" + struct.pack("<IIII", len(body), SECTION_RVA, len(body),
                                          SECTION_FILE_OFFSET) + bytes(16)
    return bytes(headers.ljust(SECTION_FILE_OFFSET, b"\0") + body)


def not_pe_images(good):
    """Images that are not PE images, each made from `good` by one fault."""
    return {
        "empty": b"",
        "no MZ": b"ZM" + good[2:],
        "no PE signature": good[:0x40] + b"XX\0\0" + good[0x44:],
        "unknown magic": good[:0x58] + b"\x07\x01" + good[0x5A:],
    }


class ReadImportsTest(unittest.TestCase):
    def read(self, image):
        with tempfile.NamedTemporaryFile(suffix=".exe") as file:
            file.write(image)
            file.flush()
            return read_imports(file.name)

    def test_lists_every_function_of_every_dll_for_both_bitnesses(self):
        imports = [("KERNEL32.dll", ["GetTickCount64", "LoadLibraryExW"]),
                   ("USER32.dll", ["CreateWindowExW", 42])]
        expected = [("kernel32.dll", "GetTickCount64"), ("kernel32.dll", "LoadLibraryExW"),
                    ("user32.dll", "#42"), ("user32.dll", "CreateWindowExW")]
        for pointer_size in (4, 8):
            with self.subTest(pointer_size=pointer_size):
                self.assertEqual(self.read(make_pe(pointer_size, imports)), expected)

    def test_rejects_what_is_not_a_readable_pe_image(self):
        good = make_pe(8, [("KERNEL32.dll", ["Sleep"])])
        bad = not_pe_images(good)
        bad["truncated in the section"] = good[:SECTION_FILE_OFFSET + 10]
        for name, image in bad.items():
            with self.subTest(name):
                with self.assertRaises(PeFormatError):
                    self.read(image)


class CharacteristicsTest(unittest.TestCase):
    # What the linker gives the programs (x86, x64), and the same marked.
    UNMARKED = [0x030E, 0x022E, 0]
    MARKED = [0x070E, 0x062E, 0x0400]

    def test_reads_the_file_header_flags_for_both_bitnesses(self):
        for pointer_size in (4, 8):
            with self.subTest(pointer_size=pointer_size):
                with tempfile.NamedTemporaryFile(suffix=".exe") as file:
                    file.write(make_pe(pointer_size, [("KERNEL32.dll", ["Sleep"])], 0x062E))
                    file.flush()
                    self.assertEqual(read_characteristics(file.name), 0x062E)

    def test_accepts_only_images_run_from_swap(self):
        for characteristics in self.MARKED:
            with self.subTest(f"{characteristics:#06x}"):
                self.assertEqual(flag_problems(characteristics), [])
        for characteristics in self.UNMARKED:
            with self.subTest(f"{characteristics:#06x}"):
                found = flag_problems(characteristics)
                self.assertEqual(len(found), 1)
                self.assertIn(f"{characteristics:#06x} lack IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP",
                              found[0])


class RunFromSwapStepTest(unittest.TestCase):
    def test_sets_the_flag_keeping_the_other_flags_and_a_zero_checksum(self):
        for pointer_size in (4, 8):
            for before, after in zip(CharacteristicsTest.UNMARKED, CharacteristicsTest.MARKED):
                with self.subTest(pointer_size=pointer_size, before=f"{before:#06x}"):
                    image = bytearray(make_pe(pointer_size, [("KERNEL32.dll", ["Sleep"])], before))
                    self.assertEqual(pe_run_from_swap.mark(image), (before, after))
                    _, checksum_at = pe_run_from_swap.header_offsets(image)
                    self.assertEqual(struct.unpack_from("<I", image, checksum_at)[0], 0)
                    marked = bytes(image)
                    pe_run_from_swap.mark(image)
                    self.assertEqual(bytes(image), marked, "marking again changed the image")

    def test_keeps_a_set_checksum_right(self):
        for pointer_size in (4, 8):
            with self.subTest(pointer_size=pointer_size):
                image = bytearray(make_pe(pointer_size, [("KERNEL32.dll", ["Sleep"])], 0x022E, 1))
                _, checksum_at = pe_run_from_swap.header_offsets(image)
                right = pe_run_from_swap.pe_checksum(image, checksum_at)
                struct.pack_into("<I", image, checksum_at, right)
                pe_run_from_swap.mark(image)
                # One 16-bit word grew by 0x0400, without a carry: so does the sum.
                self.assertEqual(struct.unpack_from("<I", image, checksum_at)[0], right + 0x0400)

    def test_rejects_what_is_not_a_pe_image(self):
        for name, image in not_pe_images(make_pe(8, [("KERNEL32.dll", ["Sleep"])])).items():
            with self.subTest(name):
                with self.assertRaises(pe_run_from_swap.PeFormatError):
                    pe_run_from_swap.mark(bytearray(image))


class TableTest(unittest.TestCase):
    def test_reads_rows_with_and_without_notes(self):
        text = ("# dll\tfunction\tfirst Windows\tnote\n\n"
                "KERNEL32.dll\tSleep\tWindows 2000\n"
                "kernel32.dll\tGetTickCount64\tWindows Vista\tthe 64-bit tick count\n")
        self.assertEqual(parse_table(text), {("kernel32.dll", "Sleep"): "Windows 2000",
                                             ("kernel32.dll", "GetTickCount64"): "Windows Vista"})

    def test_rejects_bad_rows_naming_the_line(self):
        bad = {
            "too few fields": "kernel32.dll\tSleep\n",
            "too many fields": "kernel32.dll\tSleep\tWindows 2000\tnote\textra\n",
            "empty function": "kernel32.dll\t\tWindows 2000\n",
            "unknown version": "kernel32.dll\tSleep\tWindows 98\n",
            "listed twice": "kernel32.dll\tSleep\tWindows 2000\nKERNEL32.DLL\tSleep\tWindows XP\n",
        }
        for name, text in bad.items():
            with self.subTest(name):
                with self.assertRaisesRegex(TableError, r"^line \d+: "):
                    parse_table(text)


class ProblemsTest(unittest.TestCase):
    TABLE = {("kernel32.dll", "Sleep"): "Windows 2000",
             ("kernel32.dll", "SetDllDirectoryW"): "Windows XP SP1",
             ("kernel32.dll", "GetTickCount64"): "Windows Vista",
             ("kernel32.dll", "CreateFile2"): "Windows 8",
             ("kernel32.dll", "SetDefaultDllDirectories"): "Windows 8",
             ("user32.dll", "GetDpiForWindow"): "Windows 10"}

    def test_accepts_imports_up_to_windows_7(self):
        imports = [("kernel32.dll", "Sleep"), ("kernel32.dll", "SetDllDirectoryW"),
                   ("kernel32.dll", "GetTickCount64")]
        self.assertEqual(problems(imports, self.TABLE), [])

    def test_names_each_import_that_is_too_new_or_unknown(self):
        bad = {
            ("kernel32.dll", "SetDefaultDllDirectories"): "needs Windows 8",
            ("kernel32.dll", "CreateFile2"): "needs Windows 8",
            ("user32.dll", "GetDpiForWindow"): "needs Windows 10",
            ("kernel32.dll", "AddDllDirectory"): "not in the table",
            ("shcore.dll", "Sleep"): "not in the table",
        }
        for (dll, function), reason in bad.items():
            with self.subTest(function):
                found = problems([("kernel32.dll", "Sleep"), (dll, function)], self.TABLE)
                self.assertEqual(len(found), 1)
                self.assertIn(f"{dll} {function}: {reason}", found[0])


if __name__ == "__main__":
    unittest.main()
