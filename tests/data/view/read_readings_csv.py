"""Reads an exported readings file with nothing but Python's csv module and prints what a user's
script would get, as JSON: the header, and per row the moment (milliseconds since the epoch, from
the ISO 8601 time and its UTC offset), the status text, and every other column as float() gives it
(null for an empty field; non-finite values as their text, which JSON cannot carry as numbers).
"""
import csv
import json
import math
import sys
from datetime import datetime

TEXT_COLUMNS = {"Time", "UTC offset", "Status", "Tariff"}

with open(sys.argv[1], newline="", encoding="ascii") as f:
    reader = csv.reader(f)
    header = next(reader)
    rows = []
    for line in reader:
        if len(line) != len(header):
            sys.exit(f"row of {len(line)} fields under a header of {len(header)}: {line}")
        fields = dict(zip(header, line))
        moment = datetime.fromisoformat(fields["Time"] + fields["UTC offset"])
        values = {}
        for name, text in fields.items():
            if name in TEXT_COLUMNS:
                values[name] = text
            elif text == "":
                values[name] = None
            else:
                number = float(text)
                values[name] = number if math.isfinite(number) else text
        rows.append({"ms": round(moment.timestamp() * 1000), "values": values})
print(json.dumps({"header": header, "rows": rows}))
