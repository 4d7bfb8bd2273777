#!/usr/bin/env python3
"""Feeds numbered text lines into the device side of each given pty at one baud rate.

Used by scripts/peer_receive_compare.sh: every terminal gets the same 56-byte lines
("00000042 the quick brown fox ..." CR LF), paced every 10 ms at baud/10 bytes a second,
until the time is up or the script is stopped.
"""
import os
import sys
import termios
import time
import tty

LINE_WORDS = b"the quick brown fox jumps over the lazy dog.."


def line(n):
    return b"%08d " % (n % 100000000) + LINE_WORDS + b"\r\n"


def main():
    baud, seconds, paths = int(sys.argv[1]), float(sys.argv[2]), sys.argv[3:]
    fds = []
    for path in paths:
        # Non-blocking: a terminal that falls behind must not hold up the others.
        fd = os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        tty.setraw(fd, termios.TCSANOW)
        fds.append(fd)
    rate = baud / 10.0
    stream = b""
    next_line = 0
    sent = 0
    start = time.monotonic()
    while time.monotonic() - start < seconds:
        time.sleep(0.01)
        due = int((time.monotonic() - start) * rate)
        while len(stream) < due - sent:
            stream += line(next_line)
            next_line += 1
        chunk, stream = stream[: due - sent], stream[due - sent:]
        for fd in fds:
            try:
                os.write(fd, chunk)
            except BlockingIOError:
                pass
        sent += len(chunk)


if __name__ == "__main__":
    main()
