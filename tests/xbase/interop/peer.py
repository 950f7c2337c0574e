#!/usr/bin/python3
"""Black-box peer for the engine's interoperability tests, using Debian's python3-dbf
and python3-dbfread.

  peer.py write DIR          writes d3.dbf (dBase III) and vfp.dbf
                             (Visual FoxPro) and prints what they hold as JSON
  peer.py read FILE          prints the records as python3-dbf reads them
  peer.py dbfread FILE       prints the records as python3-dbfread reads them

Records are printed as {"deleted": bool, "values": {FIELD: value}}; character values
as hex of their stored bytes with trailing blanks removed, numbers as numbers, dates as
"YYYYMMDD" ("" when empty), logicals as true/false/null, date-times as
"YYYYMMDDhhmmss".
"""
import datetime
import decimal
import json
import sys

import dbf
import dbfread


def text_hex(value, codepage="cp936"):
    if value is None:
        return ""
    if isinstance(value, bytes):
        raw = value
    else:
        raw = value.encode(codepage)
    return raw.rstrip(b" \x00").hex()


def plain(value):
    if isinstance(value, (datetime.datetime,)):
        return value.strftime("%Y%m%d%H%M%S")
    if isinstance(value, datetime.date):
        return value.strftime("%Y%m%d")
    if isinstance(value, decimal.Decimal):
        return float(value)
    if isinstance(value, str):
        return text_hex(value)
    if value is None:
        return None
    if isinstance(value, bool):
        return value
    if isinstance(value, (int, float)):
        return value
    if isinstance(value, dbf.Date):
        return value.strftime("%Y%m%d") if value else ""
    if isinstance(value, dbf.DateTime):
        return value.strftime("%Y%m%d%H%M%S") if value else ""
    if isinstance(value, dbf.Logical):
        return None if value is dbf.Unknown else bool(value)
    return str(value)


LAYOUTS = {
    "d3.dbf": ("db3", "NAME C(20); QTY N(8,2); COUNT N(5,0); WHEN D; OK L"),
    "vfp.dbf": ("vfp", "NAME C(20); QTY N(8,2); WHEN D; OK L; CNT I; PR B; CUR Y; TS T"),
}

ROWS = {
    "d3.dbf": [
        ("Hex Bolt M6", 12.5, 7, datetime.date(2007, 3, 15), True),
        ("價格發票", -0.25, -12, None, False),
        ("", 0, 0, datetime.date(2000, 2, 29), None),
        ("deleted one", 1, 1, datetime.date(1999, 12, 31), True),
    ],
    "vfp.dbf": [
        ("价格", 12.5, datetime.date(2007, 3, 15), True, -42, 3.25,
         decimal.Decimal("12.3456"), datetime.datetime(2020, 1, 2, 3, 4, 5)),
        ("zero", 0, None, False, 2147483646, -1e100, decimal.Decimal("-0.0001"),
         datetime.datetime(1999, 12, 31, 23, 59, 59)),
        ("deleted one", 1, None, False, 1, 1.0, decimal.Decimal("1"),
         datetime.datetime(2000, 1, 1, 0, 0, 0)),
    ],
}


def dump_dbf(path):
    table = dbf.Table(path, codepage="cp936")
    table.open(dbf.READ_ONLY)
    out = []
    for record in table:
        values = {}
        for name in table.field_names:
            values[name.upper()] = plain(record[name])
        out.append({"deleted": dbf.is_deleted(record), "values": values})
    table.close()
    return out


def dump_dbfread(path):
    out = []
    table = dbfread.DBF(path, encoding="cp936", load=True, char_decode_errors="strict",
                           ignore_missing_memofile=True)
    for deleted, records in ((False, table.records), (True, table.deleted)):
        for record in records:
            out.append({"deleted": deleted,
                        "values": {k.upper(): plain(v) for k, v in record.items()}})
    return out


def write(directory):
    result = {}
    for name, (kind, layout) in LAYOUTS.items():
        path = f"{directory}/{name}"
        table = dbf.Table(path, layout, dbf_type=kind, codepage="cp936")
        table.open(dbf.READ_WRITE)
        for row in ROWS[name]:
            table.append(row)
        dbf.delete(table[-1])
        table.close()
        result[name] = dump_dbf(path)
    return result


def main():
    command, target = sys.argv[1], sys.argv[2]
    if command == "write":
        data = write(target)
    elif command == "read":
        data = dump_dbf(target)
    elif command == "dbfread":
        data = dump_dbfread(target)
    else:
        raise SystemExit(f"unknown command {command}")
    json.dump(data, sys.stdout)


if __name__ == "__main__":
    main()
