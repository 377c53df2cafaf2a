#!/usr/bin/env python3
# Logs what is created and removed directly inside DIR, one line per event
# ("create NAME", "delete NAME"), into LOG until it is killed; with "opens",
# also every opening of a file there ("open NAME"):
#   watch-dirs.py DIR LOG [opens]
# The first line of LOG is "ready" once the watch is in place.
import ctypes
import os
import struct
import sys

IN_OPEN = 0x020
IN_CREATE = 0x100
IN_DELETE = 0x200
IN_ISDIR = 0x40000000

libc = ctypes.CDLL(None, use_errno=True)
events = IN_CREATE | IN_DELETE | (IN_OPEN if sys.argv[3:] == ["opens"] else 0)
fd = libc.inotify_init()
if fd < 0 or libc.inotify_add_watch(fd, os.fsencode(sys.argv[1]), events) < 0:
    sys.exit("watch-dirs.py: no inotify watch on " + sys.argv[1])
with open(sys.argv[2], "w", buffering=1) as log:
    log.write("ready\n")
    while True:
        data = os.read(fd, 65536)
        pos = 0
        while pos < len(data):
            _, mask, _, length = struct.unpack_from("iIII", data, pos)
            name = data[pos + 16 : pos + 16 + length].rstrip(b"\0").decode("latin-1")
            pos += 16 + length
            if mask & IN_OPEN:
                if not mask & IN_ISDIR and name:
                    log.write("open " + name + "\n")
            else:
                log.write(("create " if mask & IN_CREATE else "delete ") + name + "\n")
