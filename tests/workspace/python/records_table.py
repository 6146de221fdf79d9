#!/usr/bin/python3
"""Writes a dBASE III table with Debian's dbf module, as an outside maker of the tables the
program reads and writes back into.

    records_table.py TABLE.dbf "ID N(4,0); RF1 N(7,2); ..." '[[1, 1.5], [2, null]]'

The records are a JSON list of lists, one value per field in the order the fields are named.
"""
import json
import sys

import dbf

path, fields, records = sys.argv[1], sys.argv[2], json.loads(sys.argv[3])
table = dbf.Table(path, fields, codepage="cp1250", dbf_type="db3")
table.open(mode=dbf.READ_WRITE)
for record in records:
    table.append(tuple(record))
table.close()
