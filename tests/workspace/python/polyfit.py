"""Least-squares polynomial of the points on stdin ("x y" per line) by numpy.polyfit.

Prints c0 .. cDegree (lowest power first) and the coefficient of determination, one per line,
with 17 significant digits."""
import sys

import numpy

degree = int(sys.argv[1])
points = numpy.loadtxt(sys.stdin, ndmin=2)
x, y = points[:, 0], points[:, 1]
coefficients = numpy.polyfit(x, y, degree)
residual = y - numpy.polyval(coefficients, x)
determination = 1.0 - numpy.sum(residual ** 2) / numpy.sum((y - y.mean()) ** 2)
for c in coefficients[::-1]:
    print(repr(float(c)))
print(repr(float(determination)))
