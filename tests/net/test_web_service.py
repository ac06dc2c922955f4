#!/usr/bin/env python3
"""Loopback HTTPS stand-in for the web file-delivery service, used by the tests.

Serves 127.0.0.1 only, on an ephemeral port printed as the first line of
standard output. It ends by itself after --lifetime seconds or as soon as
its standard input is closed (the test program that started it ended).

Answers follow the service's words. The test steers it through a JSON file
(--config) that is read again at every request:
  {"accounts": {"a@example.com": "pw"},          # mail -> password
   "answers": {"getkeystatus": "samekeyreg"},    # operation -> fixed body
   "mode": "normal" | "garbage" | "close" | "huge" | "status500",
   "serverkey": "<hex of the key file>", "srvkeyhash": "..."}
Each request is appended as one JSON line to --log: method, path, query
(raw and parsed), selected headers, the raw body's file, and for POST
bodies the parts as the standard library's email parser reads them
(multipart) or the parsed form (URL-encoded).
"""

import argparse
import email.parser
import email.policy
import hashlib
import http.server
import json
import os
import secrets
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse

MAX_BODY = 256 * 1024 * 1024


class State:
    def __init__(self, args):
        self.config_path = args.config
        self.log_path = args.log
        self.store = args.store
        self.lock = threading.Lock()
        self.counter = 0
        self.keys = {}        # mail -> registered modulus hex
        self.tmpfiles = {}    # temporary name -> stored path
        self.generation = None  # a new steering file starts a fresh service

    def config(self):
        try:
            with open(self.config_path, "r", encoding="utf-8") as f:
                config = json.load(f)
        except (OSError, ValueError):
            return {}
        with self.lock:
            if config.get("generation") != self.generation:
                self.generation = config.get("generation")
                self.keys.clear()
                self.tmpfiles.clear()
        return config

    def next_id(self):
        with self.lock:
            self.counter += 1
            return self.counter

    def log(self, entry):
        with self.lock:
            with open(self.log_path, "a", encoding="utf-8") as f:
                f.write(json.dumps(entry) + "\n")


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def parse_multipart(content_type, body):
    """Parts of a multipart/form-data body, read by the email package."""
    head = ("MIME-Version: 1.0\r\nContent-Type: " + content_type + "\r\n\r\n").encode("latin-1")
    message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(head + body)
    if not message.is_multipart():
        return {"ok": False, "error": "not multipart", "parts": []}
    defects = [type(d).__name__ for d in message.defects]
    parts = []
    for part in message.iter_parts():
        defects += [type(d).__name__ for d in part.defects]
        data = part.get_payload(decode=True) or b""
        disposition = part.get("Content-Disposition", "")
        entry = {
            "name": part.get_param("name", header="content-disposition"),
            "filename": part.get_param("filename", header="content-disposition"),
            "content_type": part.get_content_type() if part.get("Content-Type") else None,
            "disposition": str(disposition),
            "size": len(data),
            "sha256": sha256(data),
        }
        if entry["filename"] is None:
            entry["value"] = data.decode("utf-8", "replace")
        else:
            entry["data"] = data
        parts.append(entry)
    ok = not defects and message.preamble in (None, "") and message.epilogue in (None, "")
    return {"ok": ok, "defects": defects, "parts": parts}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VelquinTest/1.0"

    def log_message(self, *args):
        pass

    @property
    def state(self):
        return self.server.state

    # --- answers -----------------------------------------------------

    def answer(self, body, status=200):
        mode = self.state.config().get("mode", "normal")
        if isinstance(body, str):
            body = body.encode("utf-8")
        if mode == "close":
            self.close_connection = True
            self.connection.shutdown(2) if hasattr(self.connection, "shutdown") else None
            return
        if mode == "status500":
            status, body = 500, b"dberr"
        if mode == "garbage":
            body = secrets.token_bytes(700)
        if mode == "drip":
            # Two bytes a second of an answer that claims a kilobyte.
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            try:
                for _ in range(500):
                    self.wfile.write(b"77")
                    self.wfile.flush()
                    time.sleep(1)
            except OSError:
                pass
            self.close_connection = True
            return
        if mode == "huge":
            self.send_response(200)
            total = 64 * 1024 * 1024
            self.send_header("Content-Length", str(total))
            self.end_headers()
            chunk = b"7" * 65536
            try:
                for _ in range(total // len(chunk)):
                    self.wfile.write(chunk)
            except OSError:
                pass
            self.close_connection = True
            return
        self.send_response(status)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def fixed(self, operation, default):
        return self.state.config().get("answers", {}).get(operation, default)

    def account_ok(self, params):
        accounts = self.state.config().get("accounts", {})
        mail = params.get("ma", [""])[0]
        return mail in accounts and accounts[mail] == params.get("pw", [None])[0]

    # --- GET ---------------------------------------------------------

    def do_GET(self):
        self.state.config()
        url = urllib.parse.urlsplit(self.path)
        params = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        self.state.log({"id": self.state.next_id(), "method": "GET", "path": url.path, "query": url.query,
                        "params": params, "headers": self.selected_headers()})
        body = self.get_answer(url.path, params)
        self.answer(body)

    def get_answer(self, path, params):
        one = lambda name: params.get(name, [""])[0]
        if path.endswith("/api/") and one("c") == "login":
            return self.fixed("login", "success" if self.account_ok(params) else "fail")
        if path.endswith("/api/") and one("c") == "getkeystatus":
            return self.fixed("getkeystatus", self.key_status(params))
        if path.endswith("/api/") and one("c") == "getsrvgenkey":
            return self.server_key(params)
        if one("action_api_common_connectcheck") == "true":
            return self.fixed("connectcheck", "connect")
        if one("action_api_key_regkey") == "true":
            if not self.account_ok(params):
                return self.fixed("regkey", "fail")
            self.state.keys[one("ma")] = one("pubkey")
            return self.fixed("regkey", "success")
        if one("action_api_key_getkey") == "true":
            return self.fixed("getkey", self.state.keys.get(one("ma"), "nonkey"))
        return "httperror"

    def key_status(self, params):
        if not self.account_ok(params):
            return "fail"
        registered = self.state.keys.get(params.get("ma", [""])[0])
        if registered is None:
            return "nonkey"
        return "keyreg" if registered == params.get("pk", [""])[0] else "passkeyold"

    def server_key(self, params):
        config = self.state.config()
        if not self.account_ok(params):
            return "fail"
        if "srvkeyhash" not in params:
            return self.fixed("getsrvgenkey", config.get("srvkeyhash", "nonkey"))
        if params["srvkeyhash"][0] != config.get("srvkeyhash"):
            return "fail"
        return bytes.fromhex(config.get("serverkey", ""))

    # --- POST --------------------------------------------------------

    def do_POST(self):
        self.state.config()
        request_id = self.state.next_id()
        length = int(self.headers.get("Content-Length", "-1"))
        if length < 0 or length > MAX_BODY:
            self.state.log({"id": request_id, "method": "POST", "error": "bad length"})
            self.answer("fail", 411)
            return
        body = self.rfile.read(length)
        raw_path = os.path.join(self.state.store, "body-%d.bin" % request_id)
        with open(raw_path, "wb") as f:
            f.write(body)
        content_type = self.headers.get("Content-Type", "")
        entry = {"id": request_id, "method": "POST", "path": self.path, "headers": self.selected_headers(),
                 "body_file": raw_path, "body_size": len(body)}
        if content_type.startswith("multipart/form-data"):
            multipart = parse_multipart(content_type, body)
            fields = self.store_parts(request_id, multipart["parts"])
        else:
            form = urllib.parse.parse_qs(body.decode("latin-1"), keep_blank_values=True)
            multipart, fields = None, {k: v for k, v in form.items()}
            entry["form"] = form
        entry["multipart"] = multipart
        self.state.log(entry)
        self.answer(self.post_answer(fields))

    def store_parts(self, request_id, parts):
        fields = {}
        for index, part in enumerate(parts):
            if "data" in part:
                path = os.path.join(self.state.store, "part-%d-%d.bin" % (request_id, index))
                with open(path, "wb") as f:
                    f.write(part.pop("data"))
                part["stored"] = path
                fields.setdefault(part["name"], []).append(part)
            else:
                fields.setdefault(part["name"], []).append(part["value"])
        return fields

    def post_answer(self, fields):
        one = lambda name: fields.get(name, [""])[0]
        if one("action_top_ezsendto2_savefile") == "true":
            stored = fields.get("sendfile", [])
            if not stored or isinstance(stored[0], str):
                return "fail"
            name = "tmp%04d" % len(self.state.tmpfiles)
            self.state.tmpfiles[name] = stored[0]["stored"]
            return self.fixed("savefile", name)
        if one("action_top_ezsendto2_finish") == "true":
            return self.fixed("finish", "success")
        if one("action_api_myfolder_postfile") == "true":
            return self.fixed("postfile", "success" if self.account_ok(fields) else "fail")
        if one("action_api_transfer_nonenc") == "true":
            return self.fixed("transfer", "success" if self.account_ok(fields) else "fail")
        return "fail"

    def selected_headers(self):
        names = ["Content-Type", "Content-Length", "User-Agent", "Cache-Control", "Pragma", "Expect",
                 "Transfer-Encoding"]
        return {name: self.headers.get(name) for name in names if self.headers.get(name) is not None}


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # clients that go away mid-request are part of the tests


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--config", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--store", required=True)
    parser.add_argument("--lifetime", type=float, default=600)
    args = parser.parse_args()

    server = Server(("127.0.0.1", 0), Handler)
    server.state = State(args)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.cert, args.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)

    def stop_when_parent_goes():
        sys.stdin.buffer.read()
        os._exit(0)

    threading.Thread(target=stop_when_parent_goes, daemon=True).start()
    threading.Timer(args.lifetime, lambda: os._exit(0)).start()
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
