"""Reads one raw message with Python's email package, as a mail program
would, and prints "key=value" lines (newlines in values written as \\n):
decoded headers, the plain-text body, the attachment's name, type, size and
sha256 (and its bytes in hexadecimal when small), the longest raw line, and
the number of parser defects.

Every header line is also given on its own, by name and rank among the lines
of that name: "header.NAME.N" as the default policy decodes it, "strict.NAME.N"
as the strict RFC 2047 decoder (email.header) reads it, and for address
headers "mailbox.NAME.K.name" and "mailbox.NAME.K.address", K counting the
mailboxes of every line of that name."""

import hashlib
import sys
from email import header as email_header
from email import policy
from email.parser import BytesParser

HEADERS = ("subject", "from", "to", "cc", "bcc", "reply-to", "date", "message-id",
           "mime-version", "x-priority", "importance", "x-msmail-priority",
           "disposition-notification-to")

# Larger attachments are compared by their sha256 only.
SMALL_ATTACHMENT = 1 << 20


def show(key, value):
    value = "" if value is None else str(value)
    print("%s=%s" % (key, value.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")))


def show_header_lines(message):
    """Each header line by name and rank; returns the defects of their values."""
    defects = 0
    ranks = {}
    mailboxes = {}
    for (name, value), (_, raw) in zip(message.items(), message.raw_items()):
        rank = ranks.get(name, 0)
        ranks[name] = rank + 1
        defects += len(getattr(value, "defects", ()))
        show("header.%s.%d" % (name, rank), value)
        strict = email_header.make_header(email_header.decode_header(raw.replace("\r\n", "")))
        show("strict.%s.%d" % (name, rank), strict)
        for address in getattr(value, "addresses", ()):
            count = mailboxes.get(name, 0)
            mailboxes[name] = count + 1
            show("mailbox.%s.%d.name" % (name, count), address.display_name)
            show("mailbox.%s.%d.address" % (name, count), address.addr_spec)
    return defects


def main():
    with open(sys.argv[1], "rb") as raw_file:
        raw = raw_file.read()
    message = BytesParser(policy=policy.default).parsebytes(raw)
    for header in HEADERS:
        show(header, message.get(header))
    defects = len(message.defects) + show_header_lines(message)
    for part in message.walk():
        defects += len(part.defects)
    show("defects", defects)
    show("longest-line", max(len(line) for line in raw.split(b"\r\n")))
    # A line break must travel as a line break, not as an encoded CR.
    show("encoded-cr", raw.count(b"=0D"))
    body = message.get_body(preferencelist=("plain",))
    show("body-transfer-encoding", body["content-transfer-encoding"] if body is not None else None)
    text = body.get_content() if body is not None else None
    show("body", text.replace("\r\n", "\n") if text is not None else None)
    # A message of one part may itself be the attachment.
    if message.is_multipart():
        attachments = list(message.iter_attachments())
    else:
        attachments = [message] if message.is_attachment() else []
    show("attachment-count", len(attachments))
    if attachments:
        data = attachments[0].get_payload(decode=True)
        show("attachment-name", attachments[0].get_filename())
        show("attachment-type", attachments[0].get_content_type())
        show("attachment-size", len(data))
        show("attachment-sha256", hashlib.sha256(data).hexdigest())
        if len(data) <= SMALL_ATTACHMENT:
            show("attachment-hex", data.hex())


if __name__ == "__main__":
    main()
