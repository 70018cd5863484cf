#!/usr/bin/env python3
"""Deflates a text file into a C++ include, for the program to inflate once.

    python3 cmake/deflate-text.py TEXT OUTPUT NAME

OUTPUT defines kNAMESize, the text's size, and kNAMEDeflated, the text as a
zlib stream (zlib's uncompress() inflates it). Lines beginning with "#" are
comments the program never reads: they are left out. The same text gives
the same bytes, and OUTPUT is written only when they changed, so that a
build that changed nothing compiles nothing.
"""

import os
import sys
import zlib


def main():
    source, output, name = sys.argv[1:]
    with open(source, "rb") as f:
        text = b"".join(line for line in f if not line.startswith(b"#"))
    deflated = zlib.compress(text, 9)
    rows = [", ".join("0x%02x" % b for b in deflated[i:i + 16]) for i in range(0, len(deflated), 16)]
    include = ("// %s deflated by cmake/deflate-text.py, without its comments.\n"
               "constexpr std::size_t k%sSize = %d;\n"
               "constexpr unsigned char k%sDeflated[] = {\n    %s,\n};\n"
               % (os.path.basename(source), name, len(text), name, ",\n    ".join(rows)))
    if os.path.exists(output):
        with open(output, encoding="ascii") as f:
            if f.read() == include:
                return
    os.makedirs(os.path.dirname(output) or ".", exist_ok=True)
    with open(output, "w", encoding="ascii", newline="\n") as f:
        f.write(include)


if __name__ == "__main__":
    main()
