#!/usr/bin/env python3
# An X display that closes its first connection at once, as a busy X server
# now and then does, and passes every later one on to a real display.
# Usage: refusing_display.py REAL_SOCKET READY_FILE
# Takes the first free display number from 100 on and writes it to READY_FILE.
import socket
import sys
import threading


def pump(source, sink):
    try:
        while data := source.recv(65536):
            sink.sendall(data)
        sink.shutdown(socket.SHUT_WR)
    except OSError:
        pass


server = socket.socket(socket.AF_UNIX)
# The display's abstract name too, held but not listening: a client tries it
# first and would reach any other server of that number, even one in another
# file system; refused there, it comes to the socket below.
claim = socket.socket(socket.AF_UNIX)
for number in range(100, 1000):
    try:
        claim.bind(f"\0/tmp/.X11-unix/X{number}")
    except OSError:  # taken
        continue
    try:
        server.bind(f"/tmp/.X11-unix/X{number}")
        break
    except OSError:  # taken
        claim.close()
        claim = socket.socket(socket.AF_UNIX)
server.listen()
with open(sys.argv[2], "w") as ready:
    ready.write(f"{number}\n")
server.accept()[0].close()
while True:
    client, display = server.accept()[0], socket.socket(socket.AF_UNIX)
    display.connect(sys.argv[1])
    for source, sink in ((client, display), (display, client)):
        threading.Thread(target=pump, args=(source, sink), daemon=True).start()
