#!/usr/bin/python3
"""Writes a measurement table with Debian's dbf module, as an outside maker of the tables the
program reads: identifiers in code page 1250, Start, Rf1..Rf4, Inc1..Inc4, FACTOR and CLAS.

    measurement_table.py TABLE.dbf
"""
import sys

import dbf

RECORDS = [
    # ID, START, RF1..RF4, INC1..INC4, FACTOR
    ("Žďár", 1.0, 2.0, 3.0, 0.0, 4.5, "+", "n", "", "", 1.0),
    ("Říčany", 0.0, 10.0, 11.0, 12.0, None, "", "", "F", "", 0.0),
    ("Plzeň", 2.0, 7.0, 8.0, 17.0, 2.5, "y", "1", "+", "-", 2.0),
    ("Kolín", 0.0, 50.0, 60.0, None, None, "", "", "", "", 1.0),
    ("Ústí", 0.0, 31.0, 2.0, None, 0.0, "", "", "", "", None),
]

table = dbf.Table(sys.argv[1], "ID C(10); START N(6,2); RF1 N(7,2); RF2 N(7,2); RF3 N(7,2); RF4 N(7,2); "
                  "INC1 C(1); INC2 C(1); INC3 C(1); INC4 C(1); FACTOR N(6,2); CLAS C(5)",
                  codepage="cp1250", dbf_type="db3")
table.open(mode=dbf.READ_WRITE)
for record in RECORDS:
    table.append(record + ("",))
table.close()
