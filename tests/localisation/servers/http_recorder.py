"""An HTTP server for the web worker's tests.

Prints "PORT <n>" once listening on 127.0.0.1, then one line per request:
"REQUEST <head as hex> <body as hex>", the head being every byte up to and
including the blank line. The path chooses the answer: "/status/<code>"
answers that code, "/stall" never answers, anything else answers 200.
Exits when its standard input closes, so it never outlives the test.
"""
import os
import queue
import socket
import sys
import threading

# Records go out through one writer, so that a test reading them only later
# (the pipe full) never holds up an answer.
records = queue.Queue()


def write_records():
    while True:
        print(records.get(), flush=True)


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(65536)
        if not chunk:
            return None
        data += chunk
    head, _, body = data.partition(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip())
    while len(body) < length:
        chunk = conn.recv(65536)
        if not chunk:
            break
        body += chunk
    return head + b"\r\n\r\n", body


def serve(conn):
    with conn:
        request = read_request(conn)
        if request is None:
            return
        head, body = request
        records.put("REQUEST %s %s" % (head.hex(), body.hex()))
        path = head.split(b" ")[1].decode("latin-1") if b" " in head else "/"
        if path == "/stall":
            while conn.recv(65536):  # until the client gives up
                pass
            return
        code = 200
        if path.startswith("/status/"):
            code = int(path[len("/status/"):])
        conn.sendall(b"HTTP/1.1 %d Answer\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok"
                     % code)


def main():
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    print("PORT", listener.getsockname()[1], flush=True)
    threading.Thread(target=write_records, daemon=True).start()
    threading.Thread(target=lambda: (sys.stdin.buffer.read(), os._exit(0)), daemon=True).start()
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


main()
