"""The program's words as the message catalogue holds them: {context: message}."""

import re


def read_catalogue(path):
    words, context, field = {}, None, None
    parts = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            m = re.match(r'^(msgctxt|msgid|msgstr) "(.*)"$', line)
            if m:
                field = m.group(1)
                parts[field] = m.group(2)
            elif line.startswith('"') and field:
                parts[field] += line[1:-1]
            elif not line and parts:
                if "msgctxt" in parts:
                    words[parts["msgctxt"]] = parts.get("msgstr") or parts.get("msgid", "")
                parts, field = {}, None
    if "msgctxt" in parts:
        words[parts["msgctxt"]] = parts.get("msgstr") or parts.get("msgid", "")
    return {k: v.replace('\\"', '"').replace("\\n", "\n") for k, v in words.items()}
