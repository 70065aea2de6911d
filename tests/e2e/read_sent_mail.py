"""Reads one raw message with Python's email package, as a mail program
would, and prints "key=value" lines (newlines in values written as \\n):
decoded headers, the plain-text body, the attachment's name, type, size and
sha256 (and its bytes in hexadecimal when small), the longest raw line, and
the number of parser defects."""

import hashlib
import sys
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


def main():
    with open(sys.argv[1], "rb") as raw_file:
        raw = raw_file.read()
    message = BytesParser(policy=policy.default).parsebytes(raw)
    for header in HEADERS:
        show(header, message.get(header))
    defects = len(message.defects)
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
    attachments = list(message.iter_attachments())
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
