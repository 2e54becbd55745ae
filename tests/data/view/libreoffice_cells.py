"""Opens an exported readings file in LibreOffice (headless, its default CSV import) by converting
it to an OpenDocument spreadsheet, and prints each cell as LibreOffice typed it, as JSON:
[[{"type": "date"|"float"|"string"|"", "value": ...}, ...], ...] row by row.

Usage: libreoffice_cells.py SOFFICE FILE.csv OUTDIR
"""
import json
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile
from pathlib import Path

soffice, csv_path, out_dir = sys.argv[1:4]
subprocess.run([soffice, f"-env:UserInstallation=file://{out_dir}/profile", "--headless", "--convert-to", "ods",
                "--outdir", out_dir, csv_path], check=True, capture_output=True, timeout=240)
ods = Path(out_dir) / (Path(csv_path).stem + ".ods")
NS = {"table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
      "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
      "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0"}
root = ET.fromstring(zipfile.ZipFile(ods).read("content.xml"))
rows = []
for row in root.iter(f"{{{NS['table']}}}table-row"):
    cells = []
    for cell in row.findall("table:table-cell", NS):
        repeat = int(cell.get(f"{{{NS['table']}}}number-columns-repeated", "1"))
        kind = cell.get(f"{{{NS['office']}}}value-type", "")
        if kind == "float":
            value = float(cell.get(f"{{{NS['office']}}}value"))
        elif kind == "date":
            value = cell.get(f"{{{NS['office']}}}date-value")
        else:
            value = "".join(cell.itertext())
        cells.extend([{"type": kind, "value": value}] * min(repeat, 64))
    rows.append(cells)
print(json.dumps(rows))
