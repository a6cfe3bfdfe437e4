#!/usr/bin/python3
"""A private SMTP server on loopback for the mail tests.

Every accepted message is written as JSON into OUTDIR (one file each), with
the envelope, the decoded headers and the decoded HTML body; every AUTH
command adds a line to OUTDIR/auth.log. Prints READY
once it listens; ends when its standard input closes.
"""
import argparse
import email
import email.header
import email.policy
import json
import os
import socket
import ssl
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import MISSING, AuthResult


def decoded(value):
    if value is None:
        return None
    return str(email.header.make_header(email.header.decode_header(value)))


class Handler:
    def __init__(self, outdir, refuse_rcpt):
        self.outdir = outdir
        self.refuse_rcpt = refuse_rcpt
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse_rcpt and address == self.refuse_rcpt:
            return "550 no such user"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_AUTH(self, server, session, envelope, args):
        with open(os.path.join(self.outdir, "auth.log"), "a", encoding="utf-8") as f:
            f.write("AUTH %s tls=%s\n" % (args[0], session.ssl is not None or IMPLICIT_TLS))
        return MISSING

    async def handle_DATA(self, server, session, envelope):
        raw = envelope.original_content or envelope.content
        msg = email.message_from_bytes(raw, policy=email.policy.compat32)
        body = msg.get_payload(decode=True) or b""
        record = {
            "helo": session.host_name,
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "from": decoded(msg.get("From")),
            "to": decoded(msg.get("To")),
            "cc": decoded(msg.get("Cc")),
            "bcc": decoded(msg.get("Bcc")),
            "subject": decoded(msg.get("Subject")),
            "content_type": msg.get("Content-Type"),
            "header_names": [k for k in msg.keys()],
            "body": body.decode("utf-8"),
            "tls": session.ssl is not None or IMPLICIT_TLS,
            "login": getattr(session, "quintor_login", None),
        }
        self.count += 1
        path = os.path.join(self.outdir, "%04d.json" % self.count)
        with open(path + ".tmp", "w", encoding="utf-8") as f:
            json.dump(record, f, ensure_ascii=False)
        os.rename(path + ".tmp", path)
        return "250 Message accepted"


IMPLICIT_TLS = False


def main():
    global IMPLICIT_TLS
    p = argparse.ArgumentParser()
    p.add_argument("host")
    p.add_argument("port", type=int)
    p.add_argument("outdir")
    p.add_argument("--auth", help="user:password required before MAIL")
    p.add_argument("--cert")
    p.add_argument("--key")
    p.add_argument("--implicit-tls", action="store_true")
    p.add_argument("--refuse-rcpt")
    a = p.parse_args()
    IMPLICIT_TLS = a.implicit_tls

    kwargs = {}
    context = None
    if a.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(a.cert, a.key)
    if a.implicit_tls:
        kwargs["ssl_context"] = context
    elif context:
        kwargs["tls_context"] = context
    if a.auth:
        user, password = a.auth.split(":", 1)

        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = auth_data.login.decode() == user and auth_data.password.decode() == password
            if ok:
                session.quintor_login = user
            return AuthResult(success=ok)

        kwargs["authenticator"] = authenticator
        kwargs["auth_required"] = True
        # Under implicit TLS the whole session is encrypted already.
        kwargs["auth_require_tls"] = bool(a.cert) and not a.implicit_tls
    controller = Controller(Handler(a.outdir, a.refuse_rcpt), hostname=a.host, port=a.port,
                            server_hostname=a.host, **kwargs)
    if a.implicit_tls:
        # The readiness probe must speak TLS as a client.
        def trigger():
            client = ssl.create_default_context()
            client.check_hostname = False
            client.verify_mode = ssl.CERT_NONE
            with socket.create_connection((a.host, a.port), 5) as raw:
                with client.wrap_socket(raw) as s:
                    s.recv(1024)

        controller._trigger_server = trigger
    controller.start()
    print("READY", flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
