#!/usr/bin/env python3
"""Writes the seed corpus of jar_fuzz (tests/fuzz/jar-corpus/) and, beside it,
jar-corpus-facts.txt: what Python's own zipfile module reads from each
archive, which the unit tests hold the program's reader to.

The archives come from Python's zipfile and, where it is installed, from
Info-ZIP's zip, so the reader is checked against what real tools write, not
only against the tests' own writer. Run it again after changing it and
commit what it writes."""

import io
import os
import pathlib
import shutil
import subprocess
import tempfile
import zipfile

HERE = pathlib.Path(__file__).resolve().parent
CORPUS = HERE / "jar-corpus"
FACTS = HERE / "jar-corpus-facts.txt"
STAMP = (2024, 5, 17, 12, 0, 0)

MANIFEST = (
    "Manifest-Version: 1.0\r\n"
    "Created-By: 1.4.2 (Sun Microsystems Inc.)\r\n"
    "MIDlet-1: Snake Deluxe, /icons/snake.png, com.example.snake.SnakeMIDlet\r\n"
    "MIDlet-Name: Snake Deluxe\r\n"
    "MIDlet-Vendor: Example\r\n"
    "MIDlet-Version: 1.0.2\r\n"
    "MIDlet-Description: A snake that grows with every apple it eats, on a f\r\n"
    " ield that gets smaller with every level\r\n"
    "MicroEdition-Profile: MIDP-2.0\r\n"
    "MicroEdition-Configuration: CLDC-1.1\r\n"
    "\r\n"
).encode()

# Bytes that do not compress, so that stored and deflated entries differ.
CLASS_BYTES = bytes((i * 7919 + 13) % 251 for i in range(400))
ICON_BYTES = b"\x89PNG\r\n\x1a\n" + bytes(range(0, 256, 5))


def suite_files(manifest_name="META-INF/MANIFEST.MF", manifest=MANIFEST):
    files = [("META-INF/", b"")]
    if manifest_name:
        files.append((manifest_name, manifest))
    files += [("com/example/snake/SnakeMIDlet.class", CLASS_BYTES), ("icons/snake.png", ICON_BYTES)]
    return files


def python_zip(files, compression=zipfile.ZIP_DEFLATED, comment=b"", streamed=False):
    class Unseekable(io.RawIOBase):
        def __init__(self):
            self.data = bytearray()

        def writable(self):
            return True

        def write(self, b):
            self.data += b
            return len(b)

    out = Unseekable() if streamed else io.BytesIO()
    with zipfile.ZipFile(out, "w", compression=compression, compresslevel=9 if compression else None) as archive:
        for name, data in files:
            info = zipfile.ZipInfo(name, STAMP)
            info.compress_type = zipfile.ZIP_STORED if name.endswith("/") else compression
            if streamed:
                with archive.open(info, "w") as member:
                    member.write(data)
            else:
                archive.writestr(info, data)
        archive.comment = comment
    return bytes(out.data) if streamed else out.getvalue()


def infozip(files):
    if shutil.which("zip") is None:
        return None
    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder, "suite")
        for name, data in files:
            path = root / name
            if name.endswith("/"):
                path.mkdir(parents=True, exist_ok=True)
            else:
                path.parent.mkdir(parents=True, exist_ok=True)
                path.write_bytes(data)
        stamp = 1715947200  # the same moment as STAMP, in UTC
        for path in [root, *root.rglob("*")]:
            os.utime(path, (stamp, stamp))
        target = pathlib.Path(folder, "suite.jar")
        names = [name for name, _ in files]
        subprocess.run(["zip", "-q", "-9", str(target), *names], cwd=root, check=True,
                       env={**os.environ, "TZ": "UTC"})
        return target.read_bytes()


def with_manifest_crc(jar, crc):
    """The manifest's CRC-32 replaced in its local and central header."""
    data = bytearray(jar)
    name = b"META-INF/MANIFEST.MF"
    for signature, crc_at, name_at in ((b"PK\x03\x04", 14, 30), (b"PK\x01\x02", 16, 46)):
        at = data.find(signature)
        while at >= 0:
            if data[at + name_at:at + name_at + len(name)] == name:
                data[at + crc_at:at + crc_at + 4] = crc.to_bytes(4, "little")
            at = data.find(signature, at + 1)
    return bytes(data)


def archives():
    deflated = python_zip(suite_files())
    lowercase_manifest = b"\xef\xbb\xbf" + MANIFEST.replace(b"\r\n", b"\n")
    yield "python-deflated.jar", deflated
    yield "python-stored.jar", python_zip(suite_files(), compression=zipfile.ZIP_STORED)
    yield "python-streamed.jar", python_zip(suite_files(), streamed=True)
    yield "python-comment.jar", python_zip(suite_files(), comment=b"built for the phone " * 10)
    yield "python-lowercase-bom.jar", python_zip(suite_files("meta-inf/manifest.mf", lowercase_manifest))
    yield "python-no-manifest.jar", python_zip(suite_files(None))
    yield "python-bad-crc.jar", with_manifest_crc(deflated, 0x12345678)
    yield "python-truncated.jar", deflated[: len(deflated) * 3 // 5]
    yield "python-empty.zip", python_zip([])
    made_by_zip = infozip(suite_files())
    if made_by_zip is not None:
        yield "infozip.jar", made_by_zip
    elif (CORPUS / "infozip.jar").exists():
        yield "infozip.jar", (CORPUS / "infozip.jar").read_bytes()
    yield "not-a-zip.jar", MANIFEST


def other_seeds():
    """Descriptors and manifests, for the parsers the fuzz target also feeds."""
    jad = (
        "MIDlet-1: Snake Deluxe, /icons/snake.png, com.example.snake.SnakeMIDlet\r\n"
        "MIDlet-Jar-Size: 48213\r\nMIDlet-Jar-URL: snake.jar\r\n"
        "MIDlet-Name: Snake Für Alle\r\nMIDlet-Vendor: Example\r\nMIDlet-Version: 1.0.2\r\n"
    )
    yield "utf8.jad", jad.encode()
    yield "utf8-bom-lf.jad", b"\xef\xbb\xbf" + jad.replace("\r\n", "\n").encode()
    yield "ansi-cr.jad", jad.replace("\r\n", "\r").encode("cp1252")
    yield "utf16le-bom.jad", jad.encode("utf-16")
    yield "utf16be.jad", jad.encode("utf-16-be")
    yield "manifest.mf", MANIFEST


def python_facts(data):
    try:
        with zipfile.ZipFile(io.BytesIO(data)) as archive:
            names = archive.namelist()
            manifest = next((n for n in names if n.upper() == "META-INF/MANIFEST.MF"), None)
            content = archive.read(manifest) if manifest is not None else None
    except (zipfile.BadZipFile, EOFError, OSError):
        return ["broken"]
    facts = ["entry " + name for name in names]
    if content is not None:
        facts.append("manifest " + content.hex())
    return facts


def main():
    if CORPUS.exists():
        shutil.rmtree(CORPUS)
    CORPUS.mkdir()
    lines = ["# Written by make-jar-corpus.py: Python's zipfile reading each archive."]
    for name, data in archives():
        (CORPUS / name).write_bytes(data)
        lines += ["file " + name, *python_facts(data), "end"]
    for name, data in other_seeds():
        (CORPUS / name).write_bytes(data)
    FACTS.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
