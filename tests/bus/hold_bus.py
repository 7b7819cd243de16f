#!/usr/bin/python3
# A relay in front of a real bus: hold_bus.py LISTEN-PATH BUS-PATH SECONDS. Connection 1
# passes at once, later ones wait SECONDS; says "ready", "held N" and "closed N".
import socket
import sys
import threading
import time


def pipe(source, sink):
    try:
        while data := source.recv(65536):
            sink.sendall(data)
    except OSError:
        pass
    for end in (source, sink):
        try:
            end.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def serve(client, number):
    if number > 1:
        print(f"held {number}", flush=True)
        time.sleep(float(sys.argv[3]))
    bus = socket.socket(socket.AF_UNIX)
    bus.connect(sys.argv[2])
    back = threading.Thread(target=pipe, args=(bus, client))
    back.start()
    pipe(client, bus)
    back.join()
    print(f"closed {number}", flush=True)


server = socket.socket(socket.AF_UNIX)
server.bind(sys.argv[1])
server.listen(8)
print("ready", flush=True)
for count in range(1, 100):
    threading.Thread(target=serve, args=(server.accept()[0], count), daemon=True).start()
