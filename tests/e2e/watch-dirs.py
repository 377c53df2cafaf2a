#!/usr/bin/env python3
# Logs what is created and removed directly inside DIR, one line per event
# ("create NAME", "delete NAME"), into LOG until it is killed:
#   watch-dirs.py DIR LOG
# The first line of LOG is "ready" once the watch is in place.
import ctypes
import os
import struct
import sys

IN_CREATE = 0x100
IN_DELETE = 0x200

libc = ctypes.CDLL(None, use_errno=True)
fd = libc.inotify_init()
if fd < 0 or libc.inotify_add_watch(fd, os.fsencode(sys.argv[1]), IN_CREATE | IN_DELETE) < 0:
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
            log.write(("create " if mask & IN_CREATE else "delete ") + name + "\n")
