"""Prints the rows of a critical-value table as Debian's dbfread reads them, one row a line:
NMB ITERS ALPHA VAL, the numbers as Python writes them back exactly (repr)."""
import sys

import dbfread

for record in dbfread.DBF(sys.argv[1]):
    print(record['NMB'], record['ITERS'], repr(record['ALPHA']), repr(record['VAL']))
