"""The values the palette forms at x87 extended precision (a 64-bit mantissa), worked out here
with exact fractions so that a test can compare the bits the host received:

    text_height(10.0)   the height of a scaled text copy, 10 x cos(30 degrees as a float)
    radians(90.0)       degrees times pi/180, held in extended precision, rounded once
"""

from fractions import Fraction

# More digits of pi than any rounding here can see.
PI = Fraction("3.14159265358979323846264338327950288419716939937510582097494459")
# 30 degrees as the palette writes it: the single-precision value, widened to double.
TEXT_30_DEGREES = 0.52359879016876220703125


def round_to_bits(value, bits):
    """A positive fraction rounded to `bits` significant bits, ties to even."""
    exponent = value.numerator.bit_length() - value.denominator.bit_length()
    while value / Fraction(2) ** exponent >= 2:
        exponent += 1
    while value / Fraction(2) ** exponent < 1:
        exponent -= 1
    unit = Fraction(2) ** (exponent - bits + 1)
    return round(value / unit) * unit  # Fraction.__round__ rounds half to even


def extended(value):
    return round_to_bits(Fraction(value), 64)


def times_extended(x, factor):
    """x times an extended constant, the product held in extended precision and then stored as
    a double: what `double * long double` gives on the x87."""
    product = Fraction(x) * factor
    sign = -1 if product < 0 else 1
    return sign * float(extended(abs(product))) if product else 0.0


def cos(x, terms=40):
    """The cosine of a fraction by its series, far below 2^-64 of error for |x| < 1."""
    x = Fraction(x)
    total, term = Fraction(0), Fraction(1)
    for k in range(terms):
        total += term
        term = -term * x * x / ((2 * k + 1) * (2 * k + 2))
    return total


TEXT_HEIGHT_FACTOR = extended(cos(TEXT_30_DEGREES))
RADIANS_PER_DEGREE = extended(PI / 180)


def text_height(height):
    return times_extended(height, TEXT_HEIGHT_FACTOR)


def radians(degrees):
    return times_extended(degrees, RADIANS_PER_DEGREE)
