#!/usr/bin/env python3
"""Pack files into a zip whose bytes depend on the files alone: not on when, where, by whom or
under which umask or time zone it is made.

    pack_zip.py ZIP FILE...

Each file goes in under its own name, in the order given. Every field the zip records for it is
fixed: the date, MS-DOS as the system that made it (so no Unix mode, owner or extra time fields),
the archive attribute alone, deflate at the highest level. The zip is written beside ZIP first,
then renamed, so a failed run leaves no half-written zip behind.
"""
import os
import sys
import zipfile

# The earliest date a zip entry can hold (MS-DOS dates start in 1980).
FIXED_DATE = (1980, 1, 1, 0, 0, 0)
# APPNOTE.TXT 4.4.2: "version made by", upper byte 0 is MS-DOS (FAT): the attributes are DOS ones.
MADE_BY_MSDOS = 0
# FILE_ATTRIBUTE_ARCHIVE, what Windows gives a file it zips. Not 0: zipfile turns 0 into a Unix
# mode.
ARCHIVE_ATTRIBUTE = 0x20


def pack(zip_path, files):
    partial = zip_path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for path in files:
            entry = zipfile.ZipInfo(os.path.basename(path), FIXED_DATE)
            entry.create_system = MADE_BY_MSDOS
            entry.external_attr = ARCHIVE_ATTRIBUTE
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as file:
                archive.writestr(entry, file.read(), compresslevel=9)
    os.replace(partial, zip_path)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    pack(sys.argv[1], sys.argv[2:])
