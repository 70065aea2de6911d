"""Reads one raw message with Python's email package and prints what a test
checks, one "key=value" per line; newlines in values are written as \\n.

  subject, from, to, cc, bcc, date, message-id: header values, decoded
  body: the text/plain part, decoded to text
  attachment-count, attachment-name, attachment-type: the attached file
  attachment-hex: the attached file's bytes in hexadecimal
"""

import sys
from email import policy
from email.parser import BytesParser


def show(key, value):
    value = "" if value is None else str(value)
    print("%s=%s" % (key, value.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")))


def main():
    with open(sys.argv[1], "rb") as raw:
        message = BytesParser(policy=policy.default).parse(raw)
    for header in ("subject", "from", "to", "cc", "bcc", "date", "message-id"):
        show(header, message.get(header))
    body = message.get_body(preferencelist=("plain",))
    show("body", body.get_content() if body is not None else None)
    attachments = list(message.iter_attachments())
    show("attachment-count", len(attachments))
    if attachments:
        first = attachments[0]
        show("attachment-name", first.get_filename())
        show("attachment-type", first.get_content_type())
        show("attachment-hex", first.get_payload(decode=True).hex())


if __name__ == "__main__":
    main()
