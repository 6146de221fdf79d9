"""Reads and writes dBASE tables with Debian's dbfread and dbf modules, as an outside check of
the database layer.

    dbf_oracle.py read TABLE    prints the records as read by both modules (JSON)
    dbf_oracle.py write TABLE   writes a dBASE III table with memos
"""
import datetime
import json
import sys

import dbf
import dbfread


def plain(value):
    if isinstance(value, (datetime.date, datetime.datetime)):
        return value.isoformat()
    if isinstance(value, bytes):
        return value.decode('latin-1')
    if isinstance(value, str):
        return value.rstrip(' ')
    return value


def read(path):
    by_dbfread = [{k: plain(v) for k, v in record.items()}
                  for record in dbfread.DBF(path, char_decode_errors='strict')]
    table = dbf.Table(path)
    table.open(mode=dbf.READ_ONLY)
    names = table.field_names
    by_dbf = [{name.upper(): plain(record[name]) for name in names} for record in table]
    table.close()
    print(json.dumps({'dbfread': by_dbfread, 'dbf': by_dbf}, ensure_ascii=False))


def write(path):
    table = dbf.Table(path, 'NAME C(12); AMOUNT N(8,2); BORN D; OK L; NOTE M',
                      codepage='cp1252', dbf_type='db3')
    table.open(mode=dbf.READ_WRITE)
    table.append(('café crème', 12.5, datetime.date(2001, 2, 3), True,
                  'line one\r\nline two ü'))
    table.append(('long', -0.25, None, False, 'x' * 1500))
    table.append(('empty', None, None, None, ''))
    table.close()


if __name__ == '__main__':
    {'read': read, 'write': write}[sys.argv[1]](sys.argv[2])
