#!/usr/bin/python3
"""Network-controller peers that misbehave, for the exchange tests. Each serves on 127.0.0.1 and
prints "serving on 127.0.0.1:<port>" once it listens.

  hostile_peer.py getinfo DEPTH
      answers every connection with an HTTP 200 whose XML document nests DEPTH elements, then closes.
  hostile_peer.py ftp ROOT USER PASSWORD ENDLESS
      an FTP server of ROOT whose file named ENDLESS never ends (zeros for as long as it is read).
"""
import os
import socket
import sys


def serve_getinfo(depth):
    body = (b'<?xml version="1.0"?>' + b"<a>" * depth + b"</a>" * depth)
    answer = b"HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n\r\n" + body
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(8)
    print("serving on 127.0.0.1:%d" % server.getsockname()[1], flush=True)
    while True:
        conn, _ = server.accept()
        with conn:
            conn.settimeout(5)
            request = b""
            try:
                while b"</SOAP-ENV:Envelope>" not in request:
                    chunk = conn.recv(4096)
                    if not chunk:
                        break
                    request += chunk
                conn.sendall(answer)
            except OSError:
                pass


class Endless:
    def __init__(self, name):
        self.name = name
        self.closed = False

    def read(self, size=65536):
        return b"0" * size

    def seek(self, *args):
        pass

    def close(self):
        self.closed = True


def serve_ftp(root, user, password, endless):
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.filesystems import AbstractedFS
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer

    class FileSystem(AbstractedFS):
        def open(self, filename, mode):
            if os.path.basename(filename) == endless and "r" in mode:
                return Endless(filename)
            return super().open(filename, mode)

        def getsize(self, path):
            # A size no file has, so that the client stops only where it decides to.
            if os.path.basename(path) == endless:
                return 1 << 40
            return super().getsize(path)

    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.abstracted_fs = FileSystem
    handler.use_sendfile = False
    server = FTPServer(("127.0.0.1", 0), handler)
    print("serving on 127.0.0.1:%d" % server.address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    if sys.argv[1] == "getinfo":
        serve_getinfo(int(sys.argv[2]))
    else:
        serve_ftp(*sys.argv[2:6])
