"""An SMTP sink for the mail worker's tests.

Prints "PORT <n>" once listening on 127.0.0.1, then one line per message:
"MAIL <MAIL argument> <RCPT argument> <data> <subject> <From display name> <body>
<broken words>", each field as hex of its UTF-8 or raw bytes. The data is what
arrived after DATA with the dot-stuffing undone; subject, name and body are as
Python's own e-mail parser decodes them; broken words counts the encoded-words
of the header that are no UTF-8 text on their own (the parser forgives those).
A recipient starting with "reject" gets a 550.
Exits when its standard input closes, so it never outlives the test.
"""
import asyncio
import base64
import binascii
import email
import email.policy
import re
import sys

from aiosmtpd.smtp import SMTP


class RecordingSMTP(SMTP):
    async def smtp_MAIL(self, arg):
        self.mail_arg = arg or ""
        await super().smtp_MAIL(arg)

    async def smtp_RCPT(self, arg):
        self.rcpt_arg = arg or ""
        await super().smtp_RCPT(arg)


def broken_words(raw):
    head = raw.split(b"\r\n\r\n", 1)[0]
    broken = 0
    for word in re.findall(rb"=\?UTF-8\?B\?([^?]*)\?=", head):
        try:
            base64.b64decode(word, validate=True).decode("utf-8")
        except (binascii.Error, UnicodeDecodeError):
            broken += 1
    return broken


class Recorder:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("reject"):
            return "550 5.1.1 No such mailbox"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        raw = envelope.original_content
        message = email.message_from_bytes(raw, policy=email.policy.default)
        sender = message["From"]
        name = sender.addresses[0].display_name if sender is not None and sender.addresses else ""
        fields = [server.mail_arg.encode(), server.rcpt_arg.encode(), raw,
                  str(message["Subject"] or "").encode(), name.encode(),
                  message.get_content().encode(), str(broken_words(raw)).encode()]
        print("MAIL", *(f.hex() for f in fields), flush=True)
        return "250 Message accepted"


async def main():
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: RecordingSMTP(Recorder(), hostname="sink.test"),
                                      "127.0.0.1", 0)
    print("PORT", server.sockets[0].getsockname()[1], flush=True)
    await loop.run_in_executor(None, sys.stdin.buffer.read)


asyncio.run(main())
