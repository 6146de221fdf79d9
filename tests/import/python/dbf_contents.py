"""Prints the field names and the records of a dBASE table as Debian's dbfread reads them (JSON),
as an outside check of what the SQL command window did to the file.

    dbf_contents.py TABLE
"""
import json
import sys

import dbfread


def plain(value):
    return value.rstrip(' ') if isinstance(value, str) else value


table = dbfread.DBF(sys.argv[1], char_decode_errors='strict')
print(json.dumps({'fields': table.field_names,
                  'records': [[plain(v) for v in record.values()] for record in table]},
                 ensure_ascii=False))
