#!/usr/bin/env python3
"""A stand-in for the road database server and the Vantal service, on the loopback address.

Prints its port on the first line of standard output, then serves until killed. Its behaviour is read
from <root>/config.json at every request, so a test changes it between exchanges without restarting:

  net        file served by /dbget, /granule and /get_net
  auth       "user:password" demanded with HTTP basic authentication
  status     an HTTP error status to answer with, with the text "body" (may be empty)
  redirect   answer with 302 to this location
  slow       send the network in chunks of this many bytes, 50 ms apart
  truncate   promise the whole network, send half of it and close the connection
  answer     the literal answer of /dbput (else a JSON map of new ids for the ids the server does not know)

Every request is appended to <root>/requests.log as one JSON line; uploads are kept in
<root>/stored_<endpoint>.xml and the id map given in <root>/stored_ids.json.
"""
import argparse
import base64
import json
import os
import re
import ssl
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit

ID_RE = re.compile(rb'<[A-Za-z]+ id="(\d+)"')
FIRST_NEW_ID = 5000000


class Handler(BaseHTTPRequestHandler):
    root = "."

    def log_message(self, fmt, *args):
        pass

    def config(self):
        try:
            with open(os.path.join(self.root, "config.json"), encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def record(self, body_length, authorised):
        parts = urlsplit(self.path)
        entry = {"method": self.command, "path": parts.path, "query": parts.query,
                 "content_type": self.headers.get("Content-Type", ""), "length": body_length,
                 "authorised": authorised}
        with open(os.path.join(self.root, "requests.log"), "a", encoding="utf-8") as f:
            f.write(json.dumps(entry) + "\n")

    def answer(self, status, body, content_type="text/plain", headers=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for key, value in (headers or {}).items():
            self.send_header(key, value)
        self.end_headers()
        if body:
            self.wfile.write(body)

    def authorised(self, config):
        wanted = config.get("auth")
        if not wanted:
            return True
        given = self.headers.get("Authorization", "")
        return given == "Basic " + base64.b64encode(wanted.encode()).decode()

    def handle_any(self):
        config = self.config()
        length = int(self.headers.get("Content-Length", "0") or 0)
        body = self.rfile.read(length) if length else b""
        ok = self.authorised(config)
        self.record(len(body), ok)
        if not ok:
            self.answer(401, b"", headers={"WWW-Authenticate": 'Basic realm="Trelvo database"'})
            return
        if config.get("redirect"):
            self.answer(302, b"", headers={"Location": config["redirect"]})
            return
        if config.get("status"):
            self.answer(int(config["status"]), config.get("body", "").encode())
            return
        endpoint = urlsplit(self.path).path.rsplit("/", 1)[-1]
        if self.command == "POST":
            self.store(endpoint, body, config)
        else:
            self.send_network(config)

    def store(self, endpoint, body, config):
        with open(os.path.join(self.root, "stored_%s.xml" % endpoint), "wb") as f:
            f.write(body)
        if endpoint != "dbput":
            self.answer(200, b"stored")
            return
        if "answer" in config:
            self.answer(200, config["answer"].encode(), "application/json")
            return
        known = set()
        if config.get("net"):
            with open(config["net"], "rb") as f:
                known = set(ID_RE.findall(f.read()))
        ids = {}
        for old in ID_RE.findall(body):
            if old not in known and old.decode() not in ids:
                ids[old.decode()] = FIRST_NEW_ID + len(ids)
        with open(os.path.join(self.root, "stored_ids.json"), "w", encoding="utf-8") as f:
            json.dump(ids, f)
        self.answer(200, json.dumps(ids).encode(), "application/json")

    def send_network(self, config):
        with open(config["net"], "rb") as f:
            data = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "text/xml")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if config.get("truncate"):
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        chunk = int(config.get("slow", 0))
        if chunk <= 0:
            self.wfile.write(data)
            return
        try:
            for start in range(0, len(data), chunk):
                self.wfile.write(data[start:start + chunk])
                self.wfile.flush()
                time.sleep(0.05)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass

    def do_GET(self):
        self.handle_any()

    def do_POST(self):
        self.handle_any()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    Handler.root = args.root
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
