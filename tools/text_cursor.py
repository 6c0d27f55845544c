"""Byte cursor with the installer's token readers and header check.

The release tools read manifests and server lists back exactly as the
installer does, so a file that looks right to a person but parses
differently (a dropped leading blank, a keyword glued to its line end)
is caught here rather than on a user's machine.
"""

import math
import struct

BLANK = b" \t"
END_OF_LINE = b"\0\n\r"
TOKEN_END = b"\0\t\n\r "
LINE_SKIP = b"\0\t\n\r "


def to_single(value):
    """Round a double to single precision, as the installer stores reals."""
    return struct.unpack("<f", struct.pack("<f", value))[0]


class TextCursor:
    def __init__(self, data):
        self.data = bytes(data)
        self.pos = 0

    def at_end(self):
        return self.pos >= len(self.data)

    def _byte(self):
        return self.data[self.pos:self.pos + 1]

    def skip_blanks(self):
        while self.pos < len(self.data) and self.data[self.pos] in BLANK:
            self.pos += 1

    def keyword(self, word, loose_end=False):
        """Tests a keyword; by default it must be followed by a blank.

        loose_end: also accept any token end or the end of the data
        (the rule of ENDOFLIST and SERVER)."""
        start = self.pos
        self.skip_blanks()
        end = self.pos + len(word)
        if self.data[self.pos:end] == word:
            if end < len(self.data):
                follow = self.data[end]
                if follow in BLANK or (loose_end and follow in TOKEN_END):
                    self.pos = end
                    return True
            elif loose_end:
                self.pos = end
                return True
        self.pos = start
        return False

    def _token(self):
        start = self.pos
        while self.pos < len(self.data) and self.data[self.pos] not in TOKEN_END:
            self.pos += 1
        return self.data[start:self.pos]

    def integer(self):
        self.skip_blanks()
        negative = False
        if self._byte() == b"-":
            negative = True
            self.pos += 1
        if self._byte() == b"+":
            self.pos += 1
        value = 0
        for byte in self._token():
            value = value * 10 + (byte - 0x30)
        return -value if negative else value

    def real(self):
        """Returns (single-precision value, the raw token)."""
        self.skip_blanks()
        raw = self._token()
        sign, value, divisor, fraction = 1.0, 0, 1, False
        for byte in raw:
            if byte == 0x2B:
                sign = 1.0
            elif byte == 0x2D:
                sign = -1.0
            elif byte == 0x2E:
                fraction = True
            else:
                value = value * 10 + (byte - 0x30)
                if fraction:
                    divisor *= 10
        return to_single(value / divisor * sign), raw

    def word(self):
        self.skip_blanks()
        return self._token()

    def rest_of_line(self):
        """Up to the line end (trailing blanks kept), then past blank lines."""
        self.skip_blanks()
        start = self.pos
        while self.pos < len(self.data) and self.data[self.pos] not in END_OF_LINE:
            self.pos += 1
        text = self.data[start:self.pos]
        while self.pos < len(self.data) and self.data[self.pos] in END_OF_LINE + BLANK:
            self.pos += 1
        return text

    def skip_line(self):
        self.skip_blanks()
        while self.pos < len(self.data) and self.data[self.pos] not in END_OF_LINE:
            self.pos += 1
        while self.pos < len(self.data) and self.data[self.pos] in LINE_SKIP:
            self.pos += 1

    def check_header(self, versions, keyword):
        """The common header: "A" or "I", a version line, a keyword line.

        Returns the version, or 0 when the header is wrong."""
        if not self.data:
            return 0
        if len(self.data) > 3 and self.data.startswith(b"\xef\xbb\xbf"):
            self.pos = 3
        if self._byte() not in (b"A", b"I"):
            return 0
        self.pos += 1
        self.rest_of_line()
        version = self.integer()
        self.rest_of_line()
        if version not in versions:
            return 0
        if keyword is not None:
            if not self.keyword(keyword, loose_end=True):
                return 0
            self.rest_of_line()
        return version


def disk_kb_from_installed(real):
    """Installed kilobytes rounded up to whole 4-kilobyte blocks."""
    bytes_ = math.ceil(to_single(real * 1024))
    return math.ceil(bytes_ / 4096) * 4
