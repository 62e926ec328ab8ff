#!/usr/bin/python3
"""A mail server for the tests, on 127.0.0.1 at a port of the system's choosing.

Writes the port it listens on to FOLDER/port once it listens, and each message it accepts, before
it answers the end of the data, as FOLDER/N.eml (the data as received) beside FOLDER/N.env (the
envelope: "from ADDRESS", then "to ADDRESS" per recipient) and FOLDER/N.json (the message as
the standard library's e-mail parser reads it: headers decoded, the plain-text body, and each
attachment's name, type and file FOLDER/N.K beside it; the body's lines end in LF, and any defects the parser found), N
counting from 1. Runs until it is terminated.

    mail_server.py FOLDER [--starttls CERT KEY] [--tls CERT KEY] [--auth USER PASSWORD]
                          [--refuse ADDRESS] [--behave answer|silent|close-in-data]

--starttls offers STARTTLS and requires it before mail (and before a log-in); --tls speaks TLS
from the first byte. --auth requires a log-in with that user and password. --refuse answers the
recipient ADDRESS with a 550 reply. --behave silent accepts connections and never says a word;
close-in-data greets and takes the envelope like a server, then drops the connection as soon as
the message data starts arriving.
"""
import argparse
import asyncio
import email
import email.policy
import json
import os
import pathlib
import ssl

from aiosmtpd.smtp import SMTP, AuthResult


def write_atomically(path, data):
    part = path.with_name(path.name + ".part")
    part.write_bytes(data)
    os.replace(part, path)


class Handler:
    def __init__(self, folder, refuse):
        self.folder = folder
        self.refuse = refuse.lower() if refuse else None
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse and address.lower() == self.refuse:
            return "550 5.1.1 <%s>: Recipient address rejected: no such mailbox here" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        lines = ["from " + envelope.mail_from] + ["to " + to for to in envelope.rcpt_tos]
        write_atomically(self.folder / ("%d.eml" % self.count), envelope.original_content)
        write_atomically(self.folder / ("%d.env" % self.count),
                         ("\n".join(lines) + "\n").encode())
        write_atomically(self.folder / ("%d.json" % self.count),
                         json.dumps(self.parse(envelope.original_content)).encode())
        return "250 2.0.0 Message accepted"


    def parse(self, data):
        message = email.message_from_bytes(data, policy=email.policy.default)
        summary = {name: str(message.get(name, "")) for name in
                   ("subject", "from", "to", "reply-to", "message-id", "date", "bcc")}
        body = message.get_body(preferencelist=("plain",))
        summary["body"] = body.get_content().replace("\r\n", "\n") if body is not None else None
        summary["attachments"] = []
        defects = list(message.defects)
        for number, part in enumerate(message.iter_attachments(), 1):
            name = "%d.%d" % (self.count, number)
            write_atomically(self.folder / name, part.get_payload(decode=True))
            summary["attachments"].append({"name": part.get_filename(),
                                           "type": part.get_content_type(), "file": name})
            defects += part.defects
        for part in message.walk():
            defects += part.defects
        summary["defects"] = sorted(set(type(defect).__name__ for defect in defects))
        return summary


class Authenticator:
    def __init__(self, user, password):
        self.user = user.encode()
        self.password = password.encode()

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = auth_data.login == self.user and auth_data.password == self.password
        return AuthResult(success=ok, handled=False)


class Silent(asyncio.Protocol):
    """Takes the connection and says nothing."""

    def connection_made(self, transport):
        self.transport = transport


class CloseInData(asyncio.Protocol):
    """Speaks enough SMTP to reach the data, then drops the connection."""

    def connection_made(self, transport):
        self.transport = transport
        self.buffer = b""
        self.in_data = False
        transport.write(b"220 test ESMTP\r\n")

    def data_received(self, data):
        if self.in_data:
            self.transport.abort()
            return
        self.buffer += data
        while b"\r\n" in self.buffer:
            line, self.buffer = self.buffer.split(b"\r\n", 1)
            verb = line[:4].upper()
            if verb == b"EHLO":
                self.transport.write(b"250-test\r\n250 8BITMIME\r\n")
            elif verb == b"DATA":
                self.in_data = True
                self.transport.write(b"354 End data with <CR><LF>.<CR><LF>\r\n")
                if self.buffer:
                    self.transport.abort()
                return
            elif verb == b"QUIT":
                self.transport.write(b"221 Bye\r\n")
                self.transport.close()
            else:
                self.transport.write(b"250 OK\r\n")


def tls_context(cert, key):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


async def serve(args):
    folder = pathlib.Path(args.folder)
    if args.behave == "silent":
        factory = Silent
    elif args.behave == "close-in-data":
        factory = CloseInData
    else:
        handler = Handler(folder, args.refuse)
        options = {}
        if args.starttls:
            options["tls_context"] = tls_context(*args.starttls)
            options["require_starttls"] = True
        if args.auth:
            options["authenticator"] = Authenticator(*args.auth)
            options["auth_required"] = True
            options["auth_require_tls"] = bool(args.starttls or args.tls)

        def factory():
            return SMTP(handler, hostname="test.invalid", **options)

    secure = tls_context(*args.tls) if args.tls else None
    server = await asyncio.get_running_loop().create_server(factory, "127.0.0.1", 0, ssl=secure)
    port = server.sockets[0].getsockname()[1]
    write_atomically(folder / "port", b"%d\n" % port)
    async with server:
        await server.serve_forever()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--auth", nargs=2, metavar=("USER", "PASSWORD"))
    parser.add_argument("--refuse")
    parser.add_argument("--behave", choices=["answer", "silent", "close-in-data"],
                        default="answer")
    asyncio.run(serve(parser.parse_args()))


if __name__ == "__main__":
    main()
