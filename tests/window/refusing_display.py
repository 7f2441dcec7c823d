#!/usr/bin/env python3
# An X display that closes its first connection at once, as a busy X server
# now and then does, and passes every later one on to a real display.
# Usage: refusing_display.py REAL_SOCKET READY_FILE
# Takes the first free display number from 100 on and writes it to READY_FILE.
import os
import signal
import socket
import sys
import threading

real, ready = sys.argv[1], sys.argv[2]
for number in range(100, 1000):
    lock = f"/tmp/.X{number}-lock"
    try:
        os.close(os.open(lock, os.O_CREAT | os.O_EXCL | os.O_WRONLY))
    except OSError:
        continue
    path = f"/tmp/.X11-unix/X{number}"
    server = socket.socket(socket.AF_UNIX)
    try:
        server.bind(path)
        break
    except OSError:
        os.unlink(lock)
else:
    sys.exit("no free display number")


def leave(*_):
    os.unlink(path)
    os.unlink(lock)
    os._exit(0)


signal.signal(signal.SIGTERM, leave)
server.listen()
with open(ready, "w") as f:
    f.write(f"{number}\n")


def pump(source, sink):
    try:
        while data := source.recv(65536):
            sink.sendall(data)
        sink.shutdown(socket.SHUT_WR)
    except OSError:
        pass


server.accept()[0].close()
while True:
    client = server.accept()[0]
    display = socket.socket(socket.AF_UNIX)
    display.connect(real)
    for source, sink in ((client, display), (display, client)):
        threading.Thread(target=pump, args=(source, sink), daemon=True).start()
