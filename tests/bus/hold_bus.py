#!/usr/bin/python3
# A bus socket in front of a real bus: hold_bus.py LISTEN-PATH BUS-PATH SECONDS. The first
# connection passes at once, later ones wait SECONDS before they pass; says "ready", then
# "held N" and "closed N" as connection N comes and goes.
import socket
import sys
import threading
import time

listen, target, hold = sys.argv[1], sys.argv[2], float(sys.argv[3])


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
        time.sleep(hold)
    upstream = socket.socket(socket.AF_UNIX)
    upstream.connect(target)
    back = threading.Thread(target=pipe, args=(upstream, client))
    back.start()
    pipe(client, upstream)
    back.join()
    print(f"closed {number}", flush=True)


server = socket.socket(socket.AF_UNIX)
server.bind(listen)
server.listen(8)
print("ready", flush=True)
count = 0
while True:
    connection, _ = server.accept()
    count += 1
    threading.Thread(target=serve, args=(connection, count), daemon=True).start()
